// A host built against the installed package: loads the library as hosts do
// (dlopen, the plain export names) and calls one export. It has a windows.h
// of its own on its include path, which the package's headers leave alone.
#include <dlfcn.h>
#include <windows.h>

#include <QXFileMgr/qxfilemgr.h>
#include <cstdio>

#ifndef CONSUMER_OWN_WINDOWS_H
#error "the package's headers took the place of the consumer's own windows.h"
#endif

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: consumer LIBQXFILEMGR\n");
        return 2;
    }
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
        return 1;
    }
    QxfmEntryPoints entry;
    if (const char* missing = entry.Resolve([module](const char* name) { return dlsym(module, name); })) {
        std::fprintf(stderr, "missing export %s\n", missing);
        return 1;
    }
    // The setters always answer 1.
    const int result = entry.SetDebugLogFileName(CString(u"consumer.log"));
    std::printf("SetDebugLogFileName returned %d\n", result);
    dlclose(module);
    return result == 1 ? 0 : 1;
}
