// MessageBoxW: answers OK and keeps the text; caption and text go to stderr.
#include <gtest/gtest.h>

#include "qxplatform.h"

namespace {

TEST(MessageBox, KeepsTheLastTextAndAnswersOk) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxW(nullptr, u"Cannot open C:\\Tarvolen.fbu \u00e9", u"Catalog", MB_OK | MB_ICONERROR), IDOK);
    std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(QxLastMessageBoxText(), u"Cannot open C:\\Tarvolen.fbu \u00e9");
    EXPECT_NE(printed.find("Catalog"), std::string::npos);
    EXPECT_NE(printed.find("Cannot open C:\\Tarvolen.fbu \xc3\xa9"), std::string::npos);

    EXPECT_EQ(MessageBoxW(nullptr, nullptr, nullptr, MB_OK), IDOK);
    EXPECT_EQ(QxLastMessageBoxText(), u"");
}

}  // namespace
