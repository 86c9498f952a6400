// Each test program has a namespace of its own for named objects, so that
// programs running side by side do not see each other's operation lock. Built
// into every test program (not taken from the support library, which links
// only what a program calls).
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

struct NamespaceForThisProcess {
    NamespaceForThisProcess() {
        std::string ns = "test-" + std::to_string(getpid());
        setenv("QXFM_NAMESPACE", ns.c_str(), 0);
    }
} g_namespace;

}  // namespace
