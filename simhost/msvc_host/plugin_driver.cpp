// The host's side of the plug-in, in Microsoft's C++ ABI: the exports called
// as the host calls them, and the component's command run inside the host's
// own catch clauses.
#include "simhost/msvc_host/plugin_driver.h"

#include "simhost/msvc_host/host_objects.h"

namespace msvc_host {

namespace {

// The application object handed to get_name; the plug-in calls none of its operations.
class application final : public host_app {
public:
    long __stdcall QueryInterface(const guid&, void**) override { return static_cast<long>(0x80004002u); }
    unsigned long __stdcall AddRef() override { return 1; }
    unsigned long __stdcall Release() override { return 1; }
};
application the_application;

void* export_named(void* module, const char* name, const char* path, char* message, int size) {
    void* entry = GetProcAddress(module, name);
    if (!entry) _snprintf(message, static_cast<size_t>(size), "The plug-in %s does not export %s.", path, name);
    return entry;
}

}  // namespace

void* create_component(void* module, const char* path, engine_plugin_description* d, char* message, int32_t size) {
    message[0] = '\0';
    const auto has_interface =
        reinterpret_cast<has_interface_fn>(export_named(module, "has_interface", path, message, size));
    const auto get_name = reinterpret_cast<get_name_fn>(export_named(module, "get_name", path, message, size));
    const auto get_interface_version =
        reinterpret_cast<get_interface_version_fn>(export_named(module, "get_interface_version", path, message, size));
    const auto create_interface =
        reinterpret_cast<create_interface_fn>(export_named(module, "create_interface", path, message, size));
    const auto get_id = reinterpret_cast<get_id_fn>(export_named(module, "get_id", path, message, size));
    const auto get_exception =
        reinterpret_cast<get_exception_fn>(export_named(module, "_get_exception@8", path, message, size));
    const auto get_info = reinterpret_cast<get_info_fn>(export_named(module, "_get_info@12", path, message, size));
    const auto get_text_encoding =
        reinterpret_cast<get_text_encoding_fn>(export_named(module, "_get_text_encoding@8", path, message, size));
    const auto has_separate_interfaces = reinterpret_cast<has_separate_interfaces_fn>(
        export_named(module, "_has_separate_interfaces@4", path, message, size));
    const auto is_resident =
        reinterpret_cast<is_resident_fn>(export_named(module, "_is_resident@12", path, message, size));
    if (message[0]) return nullptr;

    d->components = has_interface(&plugin_interface_id, 0);
    if (d->components < 1) {
        _snprintf(message, static_cast<size_t>(size),
                  "The library %s offers no component under the host's plug-in interface.", path);
        return nullptr;
    }
    d->name = get_name(&plugin_interface_id, 0, &the_application, 0);
    d->id = get_id(&plugin_interface_id, 0, 0);
    const plugin_info info = get_info(0, 0);
    for (int i = 0; i < 6; ++i) d->info_numbers[i] = info.numbers[i];
    d->info_name = info.name;
    d->info_author = info.author;
    d->info_company = info.company;
    d->info_description = info.description;
    d->interface_version = get_interface_version(0);
    d->text_encoding = get_text_encoding(0, 0);
    d->exception_kind = get_exception(0, 0);
    d->separate_interfaces = has_separate_interfaces(0);
    d->resident = is_resident(0, 0, 0);

    plugin_component* component = nullptr;
    create_interface(&plugin_interface_id, 0, &component, 0, 0);
    if (!component) _snprintf(message, static_cast<size_t>(size), "The plug-in %s created no component.", path);
    return component;
}

void invoke_component(void* component, void* engine_scene, engine_invoke_report* report) {
    begin_command();
    host_scene* scene = scene_for(engine_scene);
    const int size = static_cast<int>(sizeof report->message);
    try {
        static_cast<plugin_component*>(component)->invoke(0, scene, 0);
        report->outcome = engine_invoke_returned;
    } catch (const host_stop&) {
        report->outcome = engine_invoke_stop_escaped;
        copy_text(report->message, size, "the user stopped the command");
    } catch (const host_failure& failure) {
        report->outcome = engine_invoke_failure_escaped;
        report->failure_serial = failure.serial;
        copy_text(report->message, size, failure.reason);
    } catch (int value) {
        report->outcome = engine_invoke_int_escaped;
        report->int_value = value;
        _snprintf(report->message, static_cast<size_t>(size), "the integer %d", value);
    } catch (...) {
        report->outcome = engine_invoke_unknown_escaped;
        copy_text(report->message, size, "an exception of a type the host does not know");
    }
    // Counted once the catch is over, when the host's runtime has destroyed what it caught.
    report->failures_raised = host_failure::raised;
    report->failures_alive = host_failure::alive;
    report->references_held = references_held();
}

int32_t release_component(void* component) {
    return static_cast<int>(static_cast<plugin_component*>(component)->Release());
}

}  // namespace msvc_host
