#include "run_command.h"

#include <sys/wait.h>

#include <cstdio>

namespace qxtest {

std::string RunCommand(const std::string& command, int* status) {
    std::string out;
    if (status) *status = -1;
    if (FILE* p = popen((command + " 2>&1").c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        const int rc = pclose(p);
        if (status && WIFEXITED(rc)) *status = WEXITSTATUS(rc);
    }
    return out;
}

}  // namespace qxtest
