#include "stored_categories.h"

#include "outcome.h"
#include "paths.h"

namespace qxfm {

int StoredCategories(Host& host, const char* command, const CString& folder, std::vector<CString>* categories) {
    const std::string catalog = (AsFolder(folder) + u"Tarvolen.fbu").ToUtf8();
    const std::string failed = std::string(command) + " failed: ";
    if (!HasCatalog(folder)) return Fail(kExitFailed, failed + "no backup catalog Tarvolen.fbu in " + folder.ToUtf8());
    categories->reserve(64);
    if (host.module().GetCategoriesFromSerializationData(AsFolder(folder), categories) != 1)
        return Fail(kExitFailed, failed + "the backup catalog " + catalog + " cannot be read: it is damaged");
    // A catalog always stores the categories of its backup; none means the file is no catalog of this library.
    if (categories->empty())
        return Fail(kExitFailed, failed + "the backup catalog " + catalog +
                                     " holds no categories: it is damaged or not a backup catalog");
    return kExitOk;
}

int CheckCategoriesStored(Host& host, const char* command, const CString& folder, const std::vector<CString>& asked) {
    std::vector<CString> stored;
    if (const int status = StoredCategories(host, command, folder, &stored); status != kExitOk) return status;
    std::string unknown, known;
    for (const CString& category : asked) {
        bool held = false;
        for (const CString& s : stored) held = held || s.CompareNoCase(category) == 0;
        if (!held) unknown += (unknown.empty() ? "" : ", ") + category.ToUtf8();
    }
    if (unknown.empty()) return kExitOk;
    for (const CString& s : stored) known += (known.empty() ? "" : ", ") + s.ToUtf8();
    return Fail(kExitFailed, std::string(command) + " failed: the backup in " + folder.ToUtf8() +
                                 " holds no category " + unknown + " (it holds " + known + ")");
}

}  // namespace qxfm
