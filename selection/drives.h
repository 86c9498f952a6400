// The drives a scan of all drives walks, and what is known about them.
#pragma once

#include <vector>

#include "atlstr.h"

// Logs the machine's physical memory in MB.
void LogPhysicalMemory();
// True when path (a drive root or any path on it) lies on a fixed disk whose
// partition is not the active one; an empty path is accepted. A rejected drive
// is reported to the host.
bool IsScannableDrive(const CString& path);
// Appends the upper-cased roots of the accepted logical drives to roots,
// announcing each accepted drive and reporting each rejected one.
void ListScanRoots(std::vector<CString>* roots);
// Bytes in use on the volume of root (total minus free); 0 when unknown.
double GetUsedBytes(const CString& root);
