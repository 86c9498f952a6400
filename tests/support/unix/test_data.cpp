#include "testhost.h"

namespace qxtest {

std::string TestDataFile(const std::string& name) { return std::string(QXFM_TEST_DATA_DIR) + "/" + name; }

}  // namespace qxtest
