// Loading a shared library and finding its entries (dlopen on POSIX).
#pragma once

#include <string>

namespace simhost {

class DynamicLibrary {
public:
    // Throws std::runtime_error with the loader's reason.
    explicit DynamicLibrary(const std::string& path);
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Null when the library has no such entry.
    void* entry(const char* name) const;
    // The loader's handle (HMODULE on Windows).
    void* handle() const { return handle_; }

private:
    void* handle_;
};

}  // namespace simhost
