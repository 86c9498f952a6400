#include "lnk_writer.h"

#include "lnk_format.h"

namespace {

using namespace qxlnk;

class Bytes {
public:
    void U16(WORD v) {
        m_out += static_cast<char>(v & 0xFF);
        m_out += static_cast<char>(v >> 8);
    }
    void U32(DWORD v) {
        U16(static_cast<WORD>(v & 0xFFFF));
        U16(static_cast<WORD>(v >> 16));
    }
    void Time(const FILETIME& t) {
        U32(t.dwLowDateTime);
        U32(t.dwHighDateTime);
    }
    void Raw(const void* data, size_t size) { m_out.append(static_cast<const char*>(data), size); }
    void AnsiZ(const std::string& s) { m_out.append(s.c_str(), s.size() + 1); }
    void WideZ(const CString& s) {
        for (int i = 0; i < s.GetLength(); ++i) U16(s[i]);
        U16(0);
    }
    DWORD Size() const { return static_cast<DWORD>(m_out.size()); }
    const std::string& str() const { return m_out; }

private:
    std::string m_out;
};

std::string VolumeId(const QxShellLinkContent& link) {
    Bytes v;
    v.U32(kVolumeIdHeaderSize + static_cast<DWORD>(link.volumeLabel.size()) + 1);
    v.U32(link.driveType);
    v.U32(link.driveSerial);
    v.U32(kVolumeIdHeaderSize);  // the label follows at once
    v.AnsiZ(link.volumeLabel);
    return v.str();
}

std::string LinkInfo(const QxShellLinkContent& link) {
    std::string volume = VolumeId(link);
    std::string localPath = link.targetPath.ToUtf8();  // the ANSI code page is UTF-8 here
    DWORD volumeOffset = kLinkInfoUnicodeHeaderSize;
    DWORD localPathOffset = volumeOffset + static_cast<DWORD>(volume.size());
    DWORD suffixOffset = localPathOffset + static_cast<DWORD>(localPath.size()) + 1;
    DWORD localPathUnicodeOffset = suffixOffset + 1;
    DWORD suffixUnicodeOffset = localPathUnicodeOffset + (static_cast<DWORD>(link.targetPath.GetLength()) + 1) * 2;
    DWORD size = suffixUnicodeOffset + 2;

    Bytes info;
    info.U32(size);
    info.U32(kLinkInfoUnicodeHeaderSize);
    info.U32(kVolumeIdAndLocalBasePath);
    info.U32(volumeOffset);
    info.U32(localPathOffset);
    info.U32(0);  // no network link
    info.U32(suffixOffset);
    info.U32(localPathUnicodeOffset);
    info.U32(suffixUnicodeOffset);
    info.Raw(volume.data(), volume.size());
    info.AnsiZ(localPath);
    info.AnsiZ("");  // common path suffix
    info.WideZ(link.targetPath);
    info.WideZ(CString());
    return info.str();
}

void StringData(Bytes& out, const CString& s) {
    int count = s.GetLength() < kQxMaxLinkString ? s.GetLength() : kQxMaxLinkString;
    out.U16(static_cast<WORD>(count));
    for (int i = 0; i < count; ++i) out.U16(s[i]);
}

}  // namespace

std::string QxBuildShellLink(const QxShellLinkContent& link) {
    // Only strings with text are stored (as Windows does; readers reject empty ones).
    DWORD flags = kIsUnicode;
    if (link.hasVolume) flags |= kHasLinkInfo;
    if (!link.description.IsEmpty()) flags |= kHasName;
    if (!link.relativePath.IsEmpty()) flags |= kHasRelativePath;
    if (!link.workingDir.IsEmpty()) flags |= kHasWorkingDir;
    if (!link.arguments.IsEmpty()) flags |= kHasArguments;

    Bytes out;
    out.U32(kHeaderSize);
    out.Raw(kLinkClsid, sizeof kLinkClsid);
    out.U32(flags);
    out.U32(link.fileAttributes);
    out.Time(link.creationTime);
    out.Time(link.accessTime);
    out.Time(link.writeTime);
    out.U32(link.fileSizeLow);
    out.U32(0);  // icon index
    out.U32(kShowNormal);
    out.U16(0);  // hot key
    out.U16(0);  // reserved
    out.U32(0);
    out.U32(0);

    if (flags & kHasLinkInfo) {
        std::string info = LinkInfo(link);
        out.Raw(info.data(), info.size());
    }
    // String data in its fixed order.
    if (flags & kHasName) StringData(out, link.description);
    if (flags & kHasRelativePath) StringData(out, link.relativePath);
    if (flags & kHasWorkingDir) StringData(out, link.workingDir);
    if (flags & kHasArguments) StringData(out, link.arguments);
    out.U32(0);  // terminal block of the extra data
    return out.str();
}
