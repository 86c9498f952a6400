#include "atlstr.h"

#include "utf8_codec.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool InSet(WCHAR ch, const WCHAR* set) {
    for (; set && *set; ++set)
        if (*set == ch) return true;
    return false;
}

// The small printf engine behind Format and the log writers.
class Formatter {
public:
    explicit Formatter(std::u16string& out) : m_out(out) {}

    void Run(const WCHAR* f, va_list args) {
        va_list ap;
        va_copy(ap, args);
        while (f && *f) {
            if (*f != u'%') {
                m_out += *f++;
                continue;
            }
            ++f;
            if (*f == u'%') {
                m_out += u'%';
                ++f;
                continue;
            }
            Field field;
            for (;; ++f) {
                if (*f == u'-') field.left = true;
                else if (*f == u'+') field.plus = true;
                else if (*f == u' ') field.space = true;
                else if (*f == u'0') field.zero = true;
                else if (*f == u'#') field.alt = true;
                else break;
            }
            if (*f == u'*') {
                field.width = va_arg(ap, int);
                if (field.width < 0) {
                    field.left = true;
                    field.width = -field.width;
                }
                ++f;
            } else {
                while (*f >= u'0' && *f <= u'9') field.width = field.width * 10 + (*f++ - u'0');
            }
            if (*f == u'.') {
                ++f;
                field.precision = 0;
                if (*f == u'*') {
                    field.precision = va_arg(ap, int);
                    ++f;
                } else {
                    while (*f >= u'0' && *f <= u'9') field.precision = field.precision * 10 + (*f++ - u'0');
                }
            }
            int longs = 0;
            bool size_t_arg = false;
            for (;; ++f) {
                if (*f == u'l') ++longs;
                else if (*f == u'h') {
                } else if (*f == u'z' || *f == u'j' || *f == u't') size_t_arg = true;
                else if (*f == u'I' && f[1] == u'6' && f[2] == u'4') {
                    longs = 2;
                    f += 2;
                } else break;
            }
            const WCHAR conv = *f;
            if (!conv) break;
            ++f;
            switch (conv) {
            case u'd':
            case u'i': {
                long long v = longs >= 2 || size_t_arg ? va_arg(ap, long long)
                              : longs == 1         ? va_arg(ap, long)
                                                   : va_arg(ap, int);
                Integer(field, v < 0, v < 0 ? 0ULL - static_cast<unsigned long long>(v) : v, 10, false);
                break;
            }
            case u'u':
            case u'x':
            case u'X':
            case u'o': {
                unsigned long long v = longs >= 2 || size_t_arg ? va_arg(ap, unsigned long long)
                                       : longs == 1         ? va_arg(ap, unsigned long)
                                                            : va_arg(ap, unsigned int);
                Integer(field, false, v, conv == u'o' ? 8 : conv == u'u' ? 10 : 16, conv == u'X');
                break;
            }
            case u'c': {
                WCHAR ch = static_cast<WCHAR>(va_arg(ap, int));
                Pad(field, std::u16string(1, ch));
                break;
            }
            case u's':
            case u'S': {
                const WCHAR* s = va_arg(ap, const WCHAR*);
                std::u16string text = s ? s : u"(null)";
                if (field.precision >= 0 && static_cast<size_t>(field.precision) < text.size())
                    text.resize(static_cast<size_t>(field.precision));
                Pad(field, text);
                break;
            }
            case u'p': {
                void* p = va_arg(ap, void*);
                Field hex;
                hex.width = static_cast<int>(sizeof(void*) * 2);
                hex.zero = true;
                Integer(hex, false, reinterpret_cast<uintptr_t>(p), 16, true);
                break;
            }
            case u'f':
            case u'F':
            case u'e':
            case u'E':
            case u'g':
            case u'G': {
                double v = va_arg(ap, double);
                char fmt[32];
                std::snprintf(fmt, sizeof fmt, "%%%s%s%s%s%s*.*%c", field.left ? "-" : "", field.plus ? "+" : "",
                              field.space ? " " : "", field.zero ? "0" : "", field.alt ? "#" : "",
                              static_cast<char>(conv));
                char buf[512];
                std::snprintf(buf, sizeof buf, fmt, field.width, field.precision < 0 ? 6 : field.precision, v);
                for (const char* p = buf; *p; ++p) m_out += static_cast<WCHAR>(*p);
                break;
            }
            default:
                m_out += u'%';
                m_out += conv;
                break;
            }
        }
        va_end(ap);
    }

private:
    struct Field {
        bool left = false, plus = false, space = false, zero = false, alt = false;
        int width = 0;
        int precision = -1;
    };

    void Pad(const Field& field, const std::u16string& text) {
        size_t pad = field.width > 0 && static_cast<size_t>(field.width) > text.size()
                         ? static_cast<size_t>(field.width) - text.size()
                         : 0;
        if (!field.left) m_out.append(pad, u' ');
        m_out += text;
        if (field.left) m_out.append(pad, u' ');
    }

    void Integer(const Field& field, bool negative, unsigned long long v, unsigned base, bool upper) {
        std::u16string digits;
        const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
        do {
            digits.insert(digits.begin(), static_cast<WCHAR>(set[v % base]));
            v /= base;
        } while (v);
        if (field.precision >= 0 && digits.size() < static_cast<size_t>(field.precision))
            digits.insert(0, static_cast<size_t>(field.precision) - digits.size(), u'0');
        std::u16string sign;
        if (negative) sign = u"-";
        else if (field.plus && base == 10) sign = u"+";
        else if (field.space && base == 10) sign = u" ";
        if (field.alt && base == 16 && digits != u"0") sign += upper ? u"0X" : u"0x";
        size_t len = sign.size() + digits.size();
        if (field.zero && !field.left && field.precision < 0 && field.width > 0 && static_cast<size_t>(field.width) > len)
            digits.insert(0, static_cast<size_t>(field.width) - len, u'0');
        Pad(field, sign + digits);
    }

    std::u16string& m_out;
};

}  // namespace

int QxCompareNoCase(const WCHAR* a, const WCHAR* b) {
    if (!a) a = u"";
    if (!b) b = u"";
    for (;; ++a, ++b) {
        WCHAR ca = QxToUpper(*a), cb = QxToUpper(*b);
        if (ca != cb) return ca < cb ? -1 : 1;
        if (!ca) return 0;
    }
}

int QxFormatTruncated(WCHAR* buffer, size_t count, const WCHAR* format, va_list args) {
    if (!buffer || count == 0) return -1;
    std::u16string out;
    Formatter(out).Run(format, args);
    const bool cut = out.size() > count - 1;
    if (cut) out.resize(count - 1);
    std::memcpy(buffer, out.data(), out.size() * sizeof(WCHAR));
    buffer[out.size()] = 0;
    return cut ? -1 : static_cast<int>(out.size());
}

CString CString::FromUtf8(const std::string& s) { return CString(QxUtf8ToUtf16(s.data(), s.size())); }

std::string CString::ToUtf8() const { return QxUtf16ToUtf8(m_str.data(), m_str.size()); }

int CString::Compare(const WCHAR* psz) const {
    int c = m_str.compare(psz ? psz : u"");
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int CString::CompareNoCase(const WCHAR* psz) const { return QxCompareNoCase(m_str.c_str(), psz); }

int CString::Find(WCHAR ch, int iStart) const {
    if (iStart < 0 || static_cast<size_t>(iStart) >= m_str.size()) return -1;
    size_t p = m_str.find(ch, static_cast<size_t>(iStart));
    return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const WCHAR* pszSub, int iStart) const {
    if (!pszSub || iStart < 0 || static_cast<size_t>(iStart) > m_str.size()) return -1;
    size_t p = m_str.find(pszSub, static_cast<size_t>(iStart));
    return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(WCHAR ch) const {
    size_t p = m_str.rfind(ch);
    return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

int CString::FindOneOf(const WCHAR* pszCharSet) const {
    for (size_t i = 0; i < m_str.size(); ++i)
        if (InSet(m_str[i], pszCharSet)) return static_cast<int>(i);
    return -1;
}

CString CString::Left(int nCount) const {
    if (nCount <= 0) return CString();
    return CString(m_str.substr(0, static_cast<size_t>(nCount)));
}

CString CString::Mid(int iFirst) const { return Mid(iFirst, GetLength()); }

CString CString::Mid(int iFirst, int nCount) const {
    if (iFirst < 0) iFirst = 0;
    if (nCount <= 0 || static_cast<size_t>(iFirst) >= m_str.size()) return CString();
    return CString(m_str.substr(static_cast<size_t>(iFirst), static_cast<size_t>(nCount)));
}

CString CString::Right(int nCount) const {
    if (nCount <= 0) return CString();
    if (static_cast<size_t>(nCount) >= m_str.size()) return *this;
    return CString(m_str.substr(m_str.size() - static_cast<size_t>(nCount)));
}

CString& CString::MakeUpper() {
    for (auto& ch : m_str) ch = QxToUpper(ch);
    return *this;
}

CString& CString::MakeLower() {
    for (auto& ch : m_str) ch = QxToLower(ch);
    return *this;
}

CString& CString::Trim() { return Trim(u" \t\r\n\v\f"); }
CString& CString::Trim(WCHAR chTarget) { return TrimRight(chTarget).TrimLeft(chTarget); }
CString& CString::Trim(const WCHAR* pszTargets) { return TrimRight(pszTargets).TrimLeft(pszTargets); }

CString& CString::TrimLeft(WCHAR chTarget) {
    const WCHAR set[2] = {chTarget, 0};
    return TrimLeft(set);
}

CString& CString::TrimLeft(const WCHAR* pszTargets) {
    size_t i = 0;
    while (i < m_str.size() && InSet(m_str[i], pszTargets)) ++i;
    m_str.erase(0, i);
    return *this;
}

CString& CString::TrimRight(WCHAR chTarget) {
    const WCHAR set[2] = {chTarget, 0};
    return TrimRight(set);
}

CString& CString::TrimRight(const WCHAR* pszTargets) {
    size_t n = m_str.size();
    while (n > 0 && InSet(m_str[n - 1], pszTargets)) --n;
    m_str.resize(n);
    return *this;
}

int CString::Replace(const WCHAR* pszOld, const WCHAR* pszNew) {
    std::u16string from = pszOld ? pszOld : u"";
    std::u16string to = pszNew ? pszNew : u"";
    if (from.empty()) return 0;
    int count = 0;
    for (size_t p = m_str.find(from); p != std::u16string::npos; p = m_str.find(from, p + to.size())) {
        m_str.replace(p, from.size(), to);
        ++count;
    }
    return count;
}

int CString::Replace(WCHAR chOld, WCHAR chNew) {
    int count = 0;
    for (auto& ch : m_str)
        if (ch == chOld) {
            ch = chNew;
            ++count;
        }
    return count;
}

int CString::Delete(int iIndex, int nCount) {
    if (iIndex >= 0 && nCount > 0 && static_cast<size_t>(iIndex) < m_str.size())
        m_str.erase(static_cast<size_t>(iIndex), static_cast<size_t>(nCount));
    return GetLength();
}

int CString::Insert(int iIndex, const WCHAR* psz) {
    if (iIndex < 0) iIndex = 0;
    if (static_cast<size_t>(iIndex) > m_str.size()) iIndex = GetLength();
    m_str.insert(static_cast<size_t>(iIndex), psz ? psz : u"");
    return GetLength();
}

CString CString::Tokenize(const WCHAR* pszTokens, int& iStart) const {
    if (iStart < 0) return CString();
    size_t i = static_cast<size_t>(iStart);
    while (i < m_str.size() && InSet(m_str[i], pszTokens)) ++i;
    if (i >= m_str.size()) {
        iStart = -1;
        return CString();
    }
    size_t end = i;
    while (end < m_str.size() && !InSet(m_str[end], pszTokens)) ++end;
    iStart = static_cast<int>(end < m_str.size() ? end + 1 : end);
    return CString(m_str.substr(i, end - i));
}

void CString::Format(const WCHAR* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(const WCHAR* pszFormat, va_list args) {
    m_str.clear();
    Formatter(m_str).Run(pszFormat, args);
}

void CString::AppendFormat(const WCHAR* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    Formatter(m_str).Run(pszFormat, args);
    va_end(args);
}

BSTR CString::AllocSysString() const { return SysAllocStringLen(m_str.data(), static_cast<UINT>(m_str.size())); }
