#include "module.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace qxfm {
namespace {

// QXFM_MODULE names the module file; otherwise the build tree's copy two
// folders above this program, then the system's own search (rpath and
// ld.so.conf; on Windows the program's folder and PATH).
std::string ModuleCandidate() {
    if (const char* forced = std::getenv("QXFM_MODULE"); forced && *forced) return forced;
    const std::string self = ProgramFile();
    if (self.empty()) return QXFM_MODULE_NAME;
    const fs::path beside = fs::u8path(self).parent_path().parent_path().parent_path() / QXFM_MODULE_NAME;
    std::error_code ec;
    return fs::is_regular_file(beside, ec) ? beside.u8string() : std::string(QXFM_MODULE_NAME);
}

}  // namespace

bool Module::Load(std::string* error) {
    const std::string file = ModuleCandidate();
    if (!library.Open(file, error)) return false;
    if (const char* missing = Resolve([this](const char* name) { return library.Symbol(name); })) {
        *error = std::string("the module lacks the export ") + missing;
        return false;
    }
    return true;
}

}  // namespace qxfm
