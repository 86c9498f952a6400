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

}  // namespace qxfm
