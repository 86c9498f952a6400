#include "code_text.h"

#include <cctype>
#include <cstring>

#include "qxfilemgr.h"

namespace qxfm {
namespace {

// "MSG_OPERATION_BACKUP_END" -> "backup end".
std::string ReadableWord(const std::string& word) {
    std::string out = word;
    for (const char* prefix : {"MSG_OPERATION_", "MSG_ERROR_"})
        if (out.rfind(prefix, 0) == 0) out.erase(0, std::strlen(prefix));
    for (char& c : out) c = c == '_' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The row's text without its code word, with the placeholders filled; the
// readable code word where the row has no text or a path it did not receive.
std::string Fill(const QxfmCodeText& row, const std::string& payload, long long number) {
    const std::string word = CString(row.word).ToUtf8();
    if (!row.text) return ReadableWord(word);
    std::string text = CString(row.text).ToUtf8();
    if (payload.empty() && text.find("%s") != std::string::npos) return ReadableWord(word);
    if (text.rfind(word + " - ", 0) == 0) text.erase(0, word.size() + 3);
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && std::strchr("sdu", text[i + 1])) {
            out += text[i + 1] == 's' ? payload : std::to_string(number);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string OperationText(int code, const std::string& payload) {
    if (const QxfmCodeText* row = QxfmFindOperationCode(code)) return Fill(*row, payload, 0);
    return "operation " + std::to_string(code);
}

std::string ErrorText(long long code, const std::string& payload, long long number) {
    if (code > 0) return SystemErrorText(code);
    // A listed file the backup did not find.
    if (code == MSG_ERROR_SERIALIZATION_FAILED && !payload.empty()) return payload + ": no such file";
    if (const QxfmCodeText* row = QxfmFindErrorCode(static_cast<int>(code))) return Fill(*row, payload, number);
    return "error " + std::to_string(code);
}

std::string SystemErrorText(long long code) {
    WCHAR text[512] = {};
    std::string out;
    if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(code), 0,
                       text, 512, nullptr))
        out = CString(text).ToUtf8();
    while (!out.empty() && std::strchr("\r\n .", out.back())) out.pop_back();
    if (!out.empty()) out[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(out[0])));
    return (out.empty() ? "" : out + " ") + "(system error " + std::to_string(code) + ")";
}

std::string ConstantText(const char16_t* text) {
    std::string out = CString(text).ToUtf8();
    const size_t dash = out.find(" - ");
    return dash == std::string::npos ? out : out.substr(dash + 3);
}

}  // namespace qxfm
