#include "beside_program.h"
#include "testhost.h"

namespace qxtest {

std::string TestDataFile(const std::string& name) {
    return BesideProgram((std::string(QXFM_TEST_DATA_DIR) + "/" + name).c_str()).ToUtf8();
}

}  // namespace qxtest
