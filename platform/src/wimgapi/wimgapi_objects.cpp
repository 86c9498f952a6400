#include "wimgapi_objects.h"

#include <mutex>
#include <unordered_set>
#include <vector>

#include "wimgapi_callbacks.h"

namespace {

std::mutex g_objectsLock;
std::unordered_set<WimObject*> g_objects;

template <class T>
T* Lookup(HANDLE handle) {
    std::lock_guard<std::mutex> lock(g_objectsLock);
    auto* object = static_cast<WimObject*>(handle);
    T* typed = g_objects.count(object) ? dynamic_cast<T*>(object) : nullptr;
    if (!typed) SetLastError(ERROR_INVALID_HANDLE);
    return typed;
}

}  // namespace

WimFileObject::~WimFileObject() {
    if (wim) wimlib_free(wim);
}

HANDLE RegisterWimObject(WimObject* object) {
    std::lock_guard<std::mutex> lock(g_objectsLock);
    g_objects.insert(object);
    return object;
}

WimFileObject* LookupWimFile(HANDLE handle) { return Lookup<WimFileObject>(handle); }

WimImageObject* LookupWimImage(HANDLE handle) { return Lookup<WimImageObject>(handle); }

bool CloseWimObject(HANDLE handle) {
    std::vector<WimObject*> doomed;
    {
        std::lock_guard<std::mutex> lock(g_objectsLock);
        auto* object = static_cast<WimObject*>(handle);
        if (!g_objects.erase(object)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        doomed.push_back(object);
        if (dynamic_cast<WimFileObject*>(object)) {
            for (auto it = g_objects.begin(); it != g_objects.end();) {
                auto* image = dynamic_cast<WimImageObject*>(*it);
                if (image && image->fileHandle == handle) {
                    doomed.push_back(image);
                    it = g_objects.erase(it);
                } else {
                    ++it;
                }
            }
        }
    }
    ForgetWimCallbacks(handle);
    // Image objects first: they point into their file object.
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) delete *it;
    return true;
}
