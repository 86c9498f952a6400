// Each test program runs in an environment of its own, whatever the user's
// shell exports: a namespace of its own for named objects, so that programs
// running side by side never see each other's operation lock, and none of
// the settings the module, the platform and qxfm read (drive table, plain
// output, cancel point, module file). Built into every test program (not
// taken from the support library, which links only what a program calls).
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "qxplatform.h"

namespace {

struct OwnEnvironment {
    // The namespace is named after the process and its start, so that a
    // program never meets what an earlier one of the same process id kept.
    OwnEnvironment() : owner(getpid()) {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const std::string ns = "test-" + std::to_string(owner) + "-" + std::to_string(now.tv_sec) + "." +
                               std::to_string(now.tv_nsec);
        setenv("QXFM_NAMESPACE", ns.c_str(), 1);
        namespaceDir = QxObjectNamespaceDir();
        for (const char* setting : {"QXFM_DRIVES", "QXFM_PLAIN", "QXFM_CANCEL_AFTER", "QXFM_MODULE"})
            unsetenv(setting);
    }
    // What the program kept there (registry keys) goes with it; a child
    // process that exits normally leaves its parent's namespace alone.
    ~OwnEnvironment() {
        std::error_code ignored;
        if (getpid() == owner) std::filesystem::remove_all(namespaceDir, ignored);
    }
    pid_t owner;
    std::string namespaceDir;
} g_ownEnvironment;

}  // namespace
