// The built plug-in module, loaded the way the host loads it (dlopen or
// LoadLibraryA): ORBIVANE_PLUGIN_PATH when set, else the module of this build.
#pragma once

#include <string>

class plugin_module {
public:
    plugin_module();
    ~plugin_module();
    plugin_module(const plugin_module&) = delete;
    plugin_module& operator=(const plugin_module&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    const std::string& path() const { return path_; }
    // An exported entry point by name; null when the module does not export it.
    void* entry(const char* name) const;
#if defined(_WIN32)
    // An exported entry point by ordinal.
    void* entry(unsigned ordinal) const;
#endif

    // Casts entry(name) to the given function pointer type.
    template <typename Function>
    Function function(const char* name) const {
        return reinterpret_cast<Function>(entry(name));
    }

private:
    std::string path_;
    void* handle_ = nullptr;
};

// The one loaded module all tests share, as the host keeps it loaded.
const plugin_module& loaded_plugin();
