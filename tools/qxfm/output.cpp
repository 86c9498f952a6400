#include "output.h"

namespace qxfm {

Output& TheOutput() {
    static Output output;
    return output;
}

bool PrintsSummary() { return !TheOutput().json && TheOutput().verbosity != Verbosity::Quiet; }

double SecondsSinceStart() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - TheOutput().started).count();
}

bool PrintsListing() { return !TheOutput().json; }

}  // namespace qxfm
