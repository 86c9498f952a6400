// QxImageInfoElement: one element's text in WIMGAPI image information XML.
// Built for Linux and Windows alike (hosts read image names with it).
#include <string>

#include "wimgapi.h"

namespace {

CString Unescaped(const CString& text) {
    static const struct {
        const WCHAR* entity;
        WCHAR ch;
    } kEntities[] = {{u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&apos;", u'\''}};
    CString out;
    for (int i = 0; i < text.GetLength();) {
        bool replaced = false;
        for (const auto& e : kEntities) {
            const int length = static_cast<int>(std::char_traits<WCHAR>::length(e.entity));
            if (text.Mid(i, length) == e.entity) {
                out += e.ch;
                i += length;
                replaced = true;
                break;
            }
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

}  // namespace

CString QxImageInfoElement(const CString& xml, PCWSTR name) {
    const CString open = CString(u"<") + name + u">", close = CString(u"</") + name + u">";
    const int start = xml.Find(open);
    if (start < 0) return CString();
    const int from = start + open.GetLength();
    const int end = xml.Find(close, from);
    return end < 0 ? CString() : Unescaped(xml.Mid(from, end - from));
}
