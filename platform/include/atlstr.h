// CString: a wide string of UTF-16 code units with the familiar interface.
#pragma once

#include <cstdarg>
#include <string>

#include <windows.h>

class QXPLATFORM_API CString {
public:
    CString() = default;
    CString(const WCHAR* psz) : m_str(psz ? psz : u"") {}
    CString(const WCHAR* pch, int nLength) : m_str(pch, pch + (nLength > 0 ? nLength : 0)) {}
    CString(WCHAR ch, int nRepeat = 1) : m_str(nRepeat > 0 ? nRepeat : 0, ch) {}
    CString(const std::u16string& s) : m_str(s) {}
    CString(std::u16string&& s) : m_str(std::move(s)) {}

    // Conversions with the host's UTF-8 (the ANSI code page of this platform).
    static CString FromUtf8(const std::string& utf8);
    std::string ToUtf8() const;

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    WCHAR GetAt(int i) const { return m_str[static_cast<size_t>(i)]; }
    void SetAt(int i, WCHAR ch) { m_str[static_cast<size_t>(i)] = ch; }
    WCHAR operator[](int i) const { return m_str[static_cast<size_t>(i)]; }
    const WCHAR* GetString() const { return m_str.c_str(); }
    operator const WCHAR*() const { return m_str.c_str(); }
    const std::u16string& str() const { return m_str; }

    CString& operator=(const WCHAR* psz) {
        m_str = psz ? psz : u"";
        return *this;
    }
    CString& operator+=(const CString& s) {
        m_str += s.m_str;
        return *this;
    }
    CString& operator+=(const WCHAR* psz) {
        if (psz) m_str += psz;
        return *this;
    }
    CString& operator+=(WCHAR ch) {
        m_str += ch;
        return *this;
    }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend CString operator+(const CString& a, const WCHAR* b) { return CString(a.m_str + (b ? b : u"")); }
    friend CString operator+(const WCHAR* a, const CString& b) { return CString((a ? a : u"") + b.m_str); }
    friend CString operator+(const CString& a, WCHAR b) { return CString(a.m_str + b); }

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const WCHAR* b) { return a.m_str == (b ? b : u""); }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_str != b.m_str; }
    friend bool operator!=(const CString& a, const WCHAR* b) { return !(a == b); }
    // Ordinal order of UTF-16 code units.
    friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }

    int Compare(const WCHAR* psz) const;
    // Case-insensitive compare (the platform's wide case-insensitive rule).
    int CompareNoCase(const WCHAR* psz) const;

    int Find(WCHAR ch, int iStart = 0) const;
    int Find(const WCHAR* pszSub, int iStart = 0) const;
    int ReverseFind(WCHAR ch) const;
    int FindOneOf(const WCHAR* pszCharSet) const;

    CString Left(int nCount) const;
    CString Mid(int iFirst) const;
    CString Mid(int iFirst, int nCount) const;
    CString Right(int nCount) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& Trim();
    CString& Trim(WCHAR chTarget);
    CString& Trim(const WCHAR* pszTargets);
    CString& TrimLeft(WCHAR chTarget);
    CString& TrimLeft(const WCHAR* pszTargets);
    CString& TrimRight(WCHAR chTarget);
    CString& TrimRight(const WCHAR* pszTargets);
    int Replace(const WCHAR* pszOld, const WCHAR* pszNew);
    int Replace(WCHAR chOld, WCHAR chNew);
    int Delete(int iIndex, int nCount = 1);
    int Insert(int iIndex, const WCHAR* psz);
    // Next token after iStart, skipping leading separators; iStart becomes -1 at the end.
    CString Tokenize(const WCHAR* pszTokens, int& iStart) const;

    // printf-style formatting: %s (wide string), %c, %d %i %u %x %X %o with
    // flags "-+ 0#", width, precision, and the length modifiers h l ll I64 z;
    // %f %g %e for doubles; %% for a percent sign.
    void Format(const WCHAR* pszFormat, ...);
    void FormatV(const WCHAR* pszFormat, va_list args);
    void AppendFormat(const WCHAR* pszFormat, ...);

    BSTR AllocSysString() const;

private:
    std::u16string m_str;
};

// Case-insensitive comparison of two wide strings (like _wcsicmp): code unit by
// code unit after upper-casing.
QXPLATFORM_API int QxCompareNoCase(const WCHAR* a, const WCHAR* b);
// Upper- and lower-casing of one UTF-16 code unit by Unicode simple case
// mapping, whatever the locale; surrogates and unmapped characters stay.
QXPLATFORM_API WCHAR QxToUpper(WCHAR ch);
QXPLATFORM_API WCHAR QxToLower(WCHAR ch);
// Formats into a bounded buffer like _vsnwprintf_s with _TRUNCATE: at most
// count-1 characters and a terminator. Returns the length written, or -1 when
// the text did not fit and was cut (or count is 0: nothing is written).
QXPLATFORM_API int QxFormatTruncated(WCHAR* buffer, size_t count, const WCHAR* format, va_list args);
