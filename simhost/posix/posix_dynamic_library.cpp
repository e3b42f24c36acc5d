#include <dlfcn.h>

#include <stdexcept>

#include "simhost/host_objects/dynamic_library.h"

namespace simhost {

DynamicLibrary::DynamicLibrary(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) {
        const char* reason = dlerror();
        throw std::runtime_error(reason ? reason : "unknown loader error");
    }
}

DynamicLibrary::~DynamicLibrary() { dlclose(handle_); }

void* DynamicLibrary::entry(const char* name) const { return dlsym(handle_, name); }

}  // namespace simhost
