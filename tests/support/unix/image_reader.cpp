// Image files as wimlib-imagex reads them.
#include "image_reader.h"
#include "run_command.h"

namespace qxtest {

static std::string RefOption(const std::string& refs) { return refs.empty() ? "" : " --ref='" + refs + "'"; }

int ImageCountOf(const std::string& hostWim) {
    std::string info = RunCommand("wimlib-imagex info '" + hostWim + "'");
    size_t at = info.find("Image Count:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 12));
}

bool Verifies(const std::string& hostWim, const std::string& refs) {
    int status = -1;
    RunCommand("wimlib-imagex verify '" + hostWim + "'" + RefOption(refs), &status);
    return status == 0;
}

std::string ListingOf(const std::string& hostWim, int image, const std::string& refs) {
    return RunCommand("wimlib-imagex dir '" + hostWim + "' " + std::to_string(image) + RefOption(refs));
}

}  // namespace qxtest
