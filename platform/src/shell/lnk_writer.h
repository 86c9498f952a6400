// The bytes of a shell link (.lnk) file: header, link information with the
// volume and the local path, and the string data.
#pragma once

#include <string>

#include "atlstr.h"

struct QxShellLinkContent {
    CString targetPath;  // full Windows path "C:\..."
    CString description;
    CString relativePath;  // target relative to the link's folder, empty for none
    CString workingDir;
    CString arguments;
    // What the target was when the link was made.
    DWORD fileAttributes = 0;
    FILETIME creationTime{}, accessTime{}, writeTime{};
    DWORD fileSizeLow = 0;
    // The target's volume; without one the link holds no link information.
    bool hasVolume = false;
    UINT driveType = DRIVE_UNKNOWN;
    DWORD driveSerial = 0;
    std::string volumeLabel;
};

// Longest text one string-data entry can hold (16-bit count).
constexpr int kQxMaxLinkString = 0xFFFF;

// The file's bytes. Strings longer than kQxMaxLinkString are cut.
std::string QxBuildShellLink(const QxShellLinkContent& link);
