// The drive table behind QxSetDriveTable/QxFindDrive and its two sources.
#pragma once

#include <string>
#include <vector>

#include "qxplatform.h"

struct QxDriveTable {
    std::vector<QxDrive> drives;          // ordered by letter
    std::vector<std::string> realRoots;   // drives[i].hostRoot with symlinks resolved
    const QxDrive* byLetter[26] = {};
    std::string problem;                  // why the table has no drives: a malformed QXFM_DRIVES; "" when sound
};

// The current table (never null; valid for the life of the process).
const QxDriveTable& QxCurrentDriveTable();

// Parses the QXFM_DRIVES syntax; false for a malformed text, with *problem
// naming the entry and what is wrong with it.
bool QxParseDriveSpec(const std::string& tableText, std::vector<QxDrive>& drives, std::string* problem = nullptr);

// The host's mounts as drives: "/" is C:, further file systems D:, E:, ...
std::vector<QxDrive> QxDrivesFromHostMounts();
// Where the host has mounted file systems, in mount order (paths without symlinks).
std::vector<std::string> QxHostMountPoints();

// The drive whose host root holds a host path (longest root wins), or nullptr;
// *rest receives the part of the path after the root ("" or "/a/b").
const QxDrive* QxDriveHoldingHostPath(const std::string& hostPath, std::string* rest);

// Host folder of a drive's root ("/" for the host root).
inline std::string QxDriveRootDir(const QxDrive& drive) { return drive.hostRoot.empty() ? "/" : drive.hostRoot; }
