#include "image/image_set.h"

#include <cstring>

#include "services/file_utils.h"
#include "services/scoped_handle.h"
#include "wimgapi.h"

namespace {

// The header of one image file; false when it cannot be opened as one.
bool ReadHeader(const CString& path, WIM_INFO* info) {
    const ScopedWimHandle wim(WIMCreateFile(path, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr));
    return wim && WIMGetAttributes(wim.get(), info, sizeof *info) != FALSE;
}

}  // namespace

ImageSetFault CheckImageSet(const std::vector<CString>& paths) {
    ImageSetFault fault;
    std::vector<bool> seen(paths.size() + 1, false);
    WIM_INFO first{};
    for (size_t i = 0; i < paths.size(); ++i) {
        fault.path = paths[i];
        if (!IsExistingFile(paths[i])) {
            fault.kind = ImageSetFault::Missing;
            return fault;
        }
        WIM_INFO info{};
        bool fits = ReadHeader(paths[i], &info) && info.TotalParts == paths.size() && info.PartNumber >= 1 &&
                    info.PartNumber <= paths.size() && !seen[info.PartNumber] && (i > 0 || info.PartNumber == 1);
        if (fits && i == 0) first = info;
        if (!fits || std::memcmp(info.Guid, first.Guid, sizeof info.Guid) != 0) {
            fault.kind = ImageSetFault::Foreign;
            return fault;
        }
        seen[info.PartNumber] = true;
    }
    fault.path.Empty();
    return fault;
}
