// Constants of the shell link (.lnk) file format, shared by its writer and reader.
#pragma once

#include "windows.h"

namespace qxlnk {

// Link flags.
constexpr DWORD kHasTargetIdList = 0x01;
constexpr DWORD kHasLinkInfo = 0x02;
constexpr DWORD kHasName = 0x04;
constexpr DWORD kHasRelativePath = 0x08;
constexpr DWORD kHasWorkingDir = 0x10;
constexpr DWORD kHasArguments = 0x20;
constexpr DWORD kHasIconLocation = 0x40;
constexpr DWORD kIsUnicode = 0x80;

constexpr DWORD kHeaderSize = 0x4C;
// {00021401-0000-0000-C000-000000000046} as stored after the header size.
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// Link information: its header with the offsets of the Unicode fields, and its flag.
constexpr DWORD kLinkInfoUnicodeHeaderSize = 0x24;
constexpr DWORD kVolumeIdAndLocalBasePath = 0x1;
constexpr DWORD kVolumeIdHeaderSize = 0x10;

constexpr DWORD kShowNormal = 1;

}  // namespace qxlnk
