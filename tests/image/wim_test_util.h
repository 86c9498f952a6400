// Helpers of the image engine tests: a message recorder and wimlib-imagex runs.
#pragma once

#include <string>
#include <vector>

#include "run_command.h"
#include "testhost.h"
#include "wimgapi.h"

namespace wimtest {

struct Message {
    DWORD id;
    CString path;
    unsigned long long value;  // percent, error code or part size
};

// Records every message; items whose path contains skipText are not taken;
// the abortAfter-th message of kind abortOn (counting from 1) is answered with abort.
struct Recorder {
    std::vector<Message> messages;
    CString skipText;
    DWORD abortOn = 0;
    int abortAfter = 0;

    std::vector<CString> Paths(DWORD id) const;
    std::vector<unsigned long long> Values(DWORD id) const;
};

// Registers a recorder process-wide for the lifetime of the object.
class RecorderRegistration {
public:
    explicit RecorderRegistration(Recorder& recorder);
    ~RecorderRegistration();
};

using qxtest::RunCommand;
// Image Count of wimlib-imagex info, or -1.
int ImageCountOf(const std::string& hostWim);
// wimlib-imagex verify succeeded.
bool Verifies(const std::string& hostWim, const std::string& refs = "");
// The paths that wimlib-imagex dir lists for an image.
std::string ListingOf(const std::string& hostWim, int image, const std::string& refs = "");

}  // namespace wimtest
