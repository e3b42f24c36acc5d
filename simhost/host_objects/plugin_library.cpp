#include "simhost/host_objects/plugin_library.h"

namespace simhost {

namespace {

template <typename Fn>
Fn resolve(const DynamicLibrary& library, const char* name, const std::string& path) {
    void* found = library.entry(name);
    if (!found) throw plugin_error("The plug-in " + path + " does not export " + name + ".");
    return reinterpret_cast<Fn>(found);
}

std::string text_of(const char* text) { return text ? text : ""; }

}  // namespace

PluginLibrary::PluginLibrary(const std::string& path, host_app* app, CallLog& log) : log_(log) {
    try {
        library_ = std::make_unique<DynamicLibrary>(path);
    } catch (const std::exception& e) {
        throw plugin_error("The plug-in " + path + " cannot be loaded: " + e.what() + ".");
    }
    const PluginExportNames names;
    const auto has_interface = resolve<has_interface_fn>(*library_, names.has_interface, path);
    const auto get_name = resolve<get_name_fn>(*library_, names.get_name, path);
    const auto get_interface_version = resolve<get_interface_version_fn>(*library_, names.get_interface_version, path);
    const auto create_interface = resolve<create_interface_fn>(*library_, names.create_interface, path);
    const auto get_id = resolve<get_id_fn>(*library_, names.get_id, path);
    const auto get_exception = resolve<get_exception_fn>(*library_, names.get_exception, path);
    const auto get_info = resolve<get_info_fn>(*library_, names.get_info, path);
    const auto get_text_encoding = resolve<get_text_encoding_fn>(*library_, names.get_text_encoding, path);
    const auto has_separate = resolve<has_separate_interfaces_fn>(*library_, names.has_separate_interfaces, path);
    const auto is_resident = resolve<is_resident_fn>(*library_, names.is_resident, path);

    PluginDescription& d = description_;
    d.path = path;
    d.components = has_interface(&plugin_interface_id, 0);
    log_.add("plugin", 0, "has_interface", CallArguments().add("components", d.components));
    if (d.components < 1) throw plugin_error("The library " + path + " offers no component under the host's plug-in interface.");

    d.name = text_of(get_name(&plugin_interface_id, 0, app, 0));
    d.id = get_id(&plugin_interface_id, 0, 0);
    const PluginInfoRecord info = get_info(0, 0);
    for (int i = 0; i < 6; ++i) d.info_numbers[i] = info.numbers[i];
    d.info_name = text_of(info.name);
    d.info_author = text_of(info.author);
    d.info_company = text_of(info.company);
    d.info_description = text_of(info.description);
    d.interface_version = get_interface_version(0);
    d.text_encoding = get_text_encoding(0, 0);
    d.exception_kind = get_exception(0, 0);
    d.separate_interfaces = has_separate(0);
    d.resident = is_resident(0, 0, 0);
    log_.add("plugin", 0, "describe", describe_arguments(d));

    IUnknown* created = nullptr;
    create_interface(&plugin_interface_id, 0, &created, 0, 0);
    log_.add("plugin", 0, "create_interface", CallArguments().add("created", created != nullptr));
    if (!created) throw plugin_error("The plug-in " + path + " created no component.");
    component_ = created;
}

PluginLibrary::~PluginLibrary() { release_component(); }

void PluginLibrary::invoke(host_scene* scene) {
    if (!component_) throw plugin_error("The plug-in's component has already been released.");
    log_.add("plugin", 0, "invoke");
    invoke_component(component_, scene);
}

std::int32_t PluginLibrary::release_component() {
    if (!component_) return 0;
    const auto count = static_cast<std::int32_t>(simhost::release_component(component_));
    component_ = nullptr;
    log_.add("plugin", 0, "Release", CallArguments().add("count", count));
    return count;
}

}  // namespace simhost
