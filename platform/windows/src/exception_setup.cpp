// Linked into every Windows program and DLL of the project that catches
// exceptions.
//
// The mingw-w64 runtime sets up its threads support the first time a module
// catches an exception, and creating the kernel objects it needs clears the
// thread's last error. A host callback that fails with a system error and
// throws, or a file call that fails inside the module before an exception
// reports it, must leave that error for the handler that posts it. So each
// module catches one exception of its own as it loads.
namespace {

const bool g_exceptionSupportReady = [] {
    try {
        throw 0;
    } catch (int) {
    }
    return true;
}();

}  // namespace
