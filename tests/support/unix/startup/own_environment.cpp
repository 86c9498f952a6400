// Each test program runs in an environment of its own, whatever the user's
// shell exports: a namespace of its own for named objects, so that programs
// running side by side never see each other's operation lock, and none of
// the settings the module, the platform and qxfm read (drive table, plain
// output, cancel point, module file). Built into every test program (not
// taken from the support library, which links only what a program calls).
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

struct OwnEnvironment {
    OwnEnvironment() {
        const std::string ns = "test-" + std::to_string(getpid());
        setenv("QXFM_NAMESPACE", ns.c_str(), 1);
        for (const char* setting : {"QXFM_DRIVES", "QXFM_PLAIN", "QXFM_CANCEL_AFTER", "QXFM_MODULE"})
            unsetenv(setting);
    }
} g_ownEnvironment;

}  // namespace
