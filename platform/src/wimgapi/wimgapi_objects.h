// The objects behind WIMGAPI handles: an open image file and a loaded image.
// Handles are looked up in a registry, so a stale or foreign handle is refused
// with ERROR_INVALID_HANDLE instead of being dereferenced.
#pragma once

#include <wimlib.h>

#include <map>
#include <string>

#include "atlstr.h"
#include "wimgapi.h"
#include "wimgapi_host.h"

struct WimObject {
    virtual ~WimObject() = default;
};

struct WimFileObject : WimObject {
    ~WimFileObject() override;
    WIMStruct* wim = nullptr;  // always backed by the file at hostPath
    CString winPath;
    HostString hostPath;
    bool writable = false;
    CString tempPath;
    bool referencedParts = false;
    std::map<unsigned, CString> partPaths;  // this file and its referenced parts, by part number
    int dataCheck = -1;                     // wimlib's result of reading all data once; -1 before
    bool changed = false;                   // images or properties not yet written to the file
};

struct WimImageObject : WimObject {
    HANDLE fileHandle = nullptr;
    WimFileObject* file = nullptr;
    int index = 0;  // 1-based
};

// Takes ownership; returns the new handle.
HANDLE RegisterWimObject(WimObject* object);
// The object of a live handle, or nullptr with ERROR_INVALID_HANDLE set.
WimFileObject* LookupWimFile(HANDLE handle);
WimImageObject* LookupWimImage(HANDLE handle);
// Closes a handle; closing a file handle also ends its image handles.
bool CloseWimObject(HANDLE handle);
// Writes what was changed since the file was opened or last written, all at
// once, reporting the progress to the callbacks of handle; true when nothing
// was changed. An aborted or failed write leaves the file as it was.
bool WriteWimChanges(HANDLE handle, WimFileObject& file);
// The same, then reads the file again, so that its data is read from the file
// and no longer from the captured files.
bool WriteAndReopenWim(HANDLE handle, WimFileObject& file);
