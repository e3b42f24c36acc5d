#include "qts_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace qts_test {
namespace {

void* load(const std::string& path, std::string& error) {
#ifdef _WIN32
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) error = "LoadLibraryA failed: " + std::to_string(GetLastError());
    return reinterpret_cast<void*>(module);
#else
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) error = dlerror();
    return module;
#endif
}

void* symbol(void* module, const char* name) {
    if (module == nullptr) return nullptr;
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
#else
    return dlsym(module, name);
#endif
}

template <typename F>
void resolve(void* module, F& out, const char* name, std::string& error) {
    out = reinterpret_cast<F>(symbol(module, name));
    if (out == nullptr && error.empty()) error = std::string("missing export ") + name;
}

}  // namespace

std::string library_path() {
#ifdef _WIN32
    // The build tree seen through Wine's drive for the Unix root.
    std::string path = "Z:" QTS_LIBRARY_PATH;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
#else
    return QTS_LIBRARY_PATH;
#endif
}

void* find_export(const char* name) { return symbol(QtsLibrary::get().module, name); }

QtsLibrary& QtsLibrary::get() {
    static QtsLibrary library = [] {
        QtsLibrary l;
        void* m = l.module = load(library_path(), l.error);
        if (m == nullptr) return l;
        resolve(m, l.dispatcher, "theQuickTimeDispatcher", l.error);
        resolve(m, l.fault_reset, "medialayer_fault_reset", l.error);
        resolve(m, l.fault_on_call, "medialayer_fault_on_call", l.error);
        resolve(m, l.fault_on_selector, "medialayer_fault_on_selector", l.error);
        resolve(m, l.fault_on_write, "medialayer_fault_on_write", l.error);
        resolve(m, l.get_live_counts, "medialayer_get_live_counts", l.error);
        resolve(m, l.call_count, "medialayer_call_count", l.error);
        return l;
    }();
    return library;
}

medialayer_live_counts QtsLibrary::live_counts() const {
    medialayer_live_counts counts{-1, -1, -1};
    get_live_counts(&counts);
    return counts;
}

}  // namespace qts_test
