#include "plugin_module.h"

#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

std::string module_path() {
    // The environment may point at another build; by default, the module built beside us.
    const char* path = std::getenv("ORBIVANE_PLUGIN_PATH");
    std::string result = path && *path ? path : ORBIVANE_PLUGIN_BUILT_PATH;
#if defined(_WIN32)
    // CTest hands us the Linux path of the build tree; Wine shows / as drive Z:.
    if (!result.empty() && result[0] == '/') {
        for (char& c : result)
            if (c == '/') c = '\\';
        result = "Z:" + result;
    }
#endif
    return result;
}

}  // namespace

plugin_module::plugin_module() : path_(module_path()) {
    if (path_.empty()) return;
#if defined(_WIN32)
    handle_ = reinterpret_cast<void*>(LoadLibraryA(path_.c_str()));
#else
    handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
}

plugin_module::~plugin_module() {
    if (!handle_) return;
#if defined(_WIN32)
    FreeLibrary(reinterpret_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
}

void* plugin_module::entry(const char* name) const {
    if (!handle_) return nullptr;
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
}

#if defined(_WIN32)
void* plugin_module::entry(unsigned ordinal) const {
    if (!handle_) return nullptr;
    return reinterpret_cast<void*>(
        GetProcAddress(reinterpret_cast<HMODULE>(handle_), MAKEINTRESOURCEA(static_cast<WORD>(ordinal))));
}
#endif

const plugin_module& loaded_plugin() {
    static const plugin_module module;
    return module;
}
