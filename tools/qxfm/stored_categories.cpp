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
    return CheckCategoriesHeld(command, "the backup in " + folder.ToUtf8(), asked, stored);
}

int CheckCategoriesHeld(const char* command, const std::string& where, const std::vector<CString>& asked,
                        const std::vector<CString>& held) {
    std::string unknown, known;
    for (const CString& category : asked) {
        bool found = false;
        for (const CString& h : held) found = found || h.CompareNoCase(category) == 0;
        if (!found) unknown += (unknown.empty() ? "" : ", ") + category.ToUtf8();
    }
    if (unknown.empty()) return kExitOk;
    for (const CString& h : held) known += (known.empty() ? "" : ", ") + h.ToUtf8();
    return Fail(kExitFailed, std::string(command) + " failed: " + where + " holds no category " + unknown +
                                 " (it holds " + known + ")");
}

}  // namespace qxfm
