// WIMSetImageInformation and WIMGetImageInformation: an image's name and
// description as the <IMAGE> XML of WIMGAPI (UTF-16 LE with a byte-order mark).
#include <cstdlib>
#include <cstring>

#include "wimgapi_host.h"
#include "wimgapi_library.h"
#include "wimgapi_objects.h"

namespace {

const WCHAR kByteOrderMark = 0xFEFF;

CString Escaped(const CString& text) {
    CString out;
    for (int i = 0; i < text.GetLength(); ++i) {
        switch (text[i]) {
            case u'&': out += u"&amp;"; break;
            case u'<': out += u"&lt;"; break;
            case u'>': out += u"&gt;"; break;
            case u'"': out += u"&quot;"; break;
            default: out += text[i];
        }
    }
    return out;
}

// A property of an image as text ("" when unset).
CString Property(WIMStruct* wim, int image, const HostChar* name) {
    return FromHostText(wimlib_get_image_property(wim, image, name));
}

void AppendImageXml(WIMStruct* wim, int image, CString* xml) {
    CString element;
    element.Format(u"<IMAGE INDEX=\"%d\"><NAME>%s</NAME><DESCRIPTION>%s</DESCRIPTION></IMAGE>", image,
                   Escaped(Property(wim, image, QX_HOST_TEXT("NAME"))).GetString(),
                   Escaped(Property(wim, image, QX_HOST_TEXT("DESCRIPTION"))).GetString());
    *xml += element;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

BOOL WIMSetImageInformation(HANDLE hImage, PVOID pvImageInfo, DWORD cbImageInfo) {
    return GuardWimCall<BOOL>(FALSE, [&]() -> BOOL {
        WimImageObject* image = LookupWimImage(hImage);
        if (!image) return FALSE;
        if (!pvImageInfo || cbImageInfo < sizeof(WCHAR)) return Fail(ERROR_INVALID_PARAMETER);
        if (!image->file->writable) return Fail(ERROR_ACCESS_DENIED);
        const auto* units = static_cast<const WCHAR*>(pvImageInfo);
        size_t count = cbImageInfo / sizeof(WCHAR);
        if (units[0] == kByteOrderMark) ++units, --count;
        while (count > 0 && units[count - 1] == 0) --count;
        const CString xml(std::u16string(units, count));
        if (xml.Find(u"<IMAGE") < 0) return Fail(ERROR_INVALID_DATA);
        WIMStruct* wim = image->file->wim;
        const HostString name = ToHostText(QxImageInfoElement(xml, u"NAME"));
        const HostString description = ToHostText(QxImageInfoElement(xml, u"DESCRIPTION"));
        int ret = wimlib_set_image_name(wim, image->index, name.c_str());
        if (!ret) ret = wimlib_set_image_descripton(wim, image->index, description.c_str());
        if (ret) return Fail(SetLastErrorFromWimlib(ret, 0));
        image->file->changed = true;
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    });
}

BOOL WIMGetImageInformation(HANDLE hImage, PVOID* ppvImageInfo, PDWORD pcbImageInfo) {
    return GuardWimCall<BOOL>(FALSE, [&]() -> BOOL {
        if (!ppvImageInfo || !pcbImageInfo) return Fail(ERROR_INVALID_PARAMETER);
        CString xml;
        if (WimImageObject* image = LookupWimImage(hImage)) {
            AppendImageXml(image->file->wim, image->index, &xml);
        } else if (WimFileObject* file = LookupWimFile(hImage)) {
            struct wimlib_wim_info info;
            int ret = wimlib_get_wim_info(file->wim, &info);
            if (ret) return Fail(SetLastErrorFromWimlib(ret, 0));
            xml = u"<WIM>";
            for (int i = 1; i <= static_cast<int>(info.image_count); ++i) AppendImageXml(file->wim, i, &xml);
            xml += u"</WIM>";
        } else {
            return FALSE;
        }
        const std::u16string& text = xml.str();
        const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR));
        auto* buffer = static_cast<WCHAR*>(std::malloc(bytes));
        if (!buffer) return Fail(ERROR_NOT_ENOUGH_MEMORY);
        buffer[0] = kByteOrderMark;
        std::memcpy(buffer + 1, text.data(), text.size() * sizeof(WCHAR));
        *ppvImageInfo = buffer;
        *pcbImageInfo = bytes;
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    });
}
