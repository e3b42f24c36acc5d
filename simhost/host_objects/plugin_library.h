// A plug-in library loaded and driven through its exports, as the host
// application does: ask whether it offers the plug-in interface, read the
// component's name, identifier and information record, create the
// component once, invoke it for each command, and release it at unload.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "host/host_interface.h"
#include "simhost/host_objects/call_log.h"
#include "simhost/host_objects/dynamic_library.h"
#include "simhost/host_objects/plugin_abi.h"

namespace simhost {

class plugin_error : public std::runtime_error {
public:
    explicit plugin_error(const std::string& sentence) : std::runtime_error(sentence) {}
};

struct PluginDescription {
    std::string path;
    std::int32_t components = 0;  // offered under the host's plug-in interface
    std::string name;             // get_name for component 0
    std::int32_t id = 0;
    std::int32_t interface_version = 0;
    std::int32_t exception_kind = 0;
    std::int32_t text_encoding = 0;
    bool separate_interfaces = false;
    bool resident = false;
    std::int32_t info_numbers[6] = {};
    std::string info_name, info_author, info_company, info_description;  // as given (code page 932)
};

// The description as the call log's "describe" line shows it (texts in UTF-8).
CallArguments describe_arguments(const PluginDescription& d);

class PluginLibrary {
public:
    // Loads, describes and creates component 0; throws plugin_error with one sentence.
    PluginLibrary(const std::string& path, host_app* app, CallLog& log);
    // Releases the component if still held, then unloads.
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const PluginDescription& description() const { return description_; }
    // Runs the command; exceptions from the plug-in pass through.
    void invoke(host_scene* scene);
    // Gives back the host's reference; the count the component answers (0 when it freed itself).
    std::int32_t release_component();

private:
    CallLog& log_;
    std::unique_ptr<DynamicLibrary> library_;
    PluginDescription description_;
    void* component_ = nullptr;  // the plug-in's object, reached through its table
};

}  // namespace simhost
