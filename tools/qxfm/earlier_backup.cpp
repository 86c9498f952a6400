#include "earlier_backup.h"

#include "backup_images.h"
#include "display.h"
#include "paths.h"

namespace qxfm {
namespace {

// "NAME.wim", "NAME.swm", "NAME2.swm" -> NAME, for images that carry no description.
CString NameOfPart(const CString& firstPart) {
    const CString file = firstPart.Mid(firstPart.ReverseFind(u'\\') + 1);
    const int dot = file.ReverseFind(u'.');
    return dot > 0 ? file.Left(dot) : file;
}

}  // namespace

bool FindEarlierBackup(const CString& folder, EarlierBackup* out) {
    if (!HasCatalog(folder)) return false;
    *out = EarlierBackup();
    out->bytes = FileBytes(AsFolder(folder) + u"Tarvolen.fbu");
    std::vector<CString> unreadable;
    for (const ImageSet& set : FindImageSets(folder, &unreadable)) {
        for (const CString& part : set.parts) out->bytes += FileBytes(part);
        if (!out->name.IsEmpty()) continue;
        out->name = NameOfPart(set.parts.front());
        OpenedImageSet opened(set, nullptr, nullptr);
        const std::vector<ImageName> images = opened.Images();
        const CString description = images.empty() ? CString() : images.front().description;
        const int comma = description.ReverseFind(u',');
        if (comma > 0 && comma + 2 <= description.GetLength()) {
            out->name = description.Left(comma);
            out->time = description.Mid(comma + 2).ToUtf8();
        }
    }
    return true;
}

std::string Describe(const EarlierBackup& backup) {
    const std::string name = backup.name.IsEmpty() ? std::string("of unknown name") : backup.name.ToUtf8();
    const std::string size = backup.bytes < (1u << 20) ? std::to_string(backup.bytes) + " bytes" : Bytes(backup.bytes);
    return name + (backup.time.empty() ? "" : " of " + backup.time) + " (" + size + ")";
}

}  // namespace qxfm
