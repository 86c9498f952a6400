#include <cstdlib>
#include <stdexcept>

#include "testhost.h"

namespace qxtest {

TempDir::TempDir() {
    char tmpl[] = "/tmp/qxfm-test-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    m_path = tmpl;
}

}  // namespace qxtest
