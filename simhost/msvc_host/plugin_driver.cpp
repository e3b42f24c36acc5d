// The host's side of the plug-in, in Microsoft's C++ ABI: the exports called
// as the host calls them, and the component's command run inside the host's
// own catch clauses.
#include "simhost/msvc_host/plugin_driver.h"

#include "simhost/msvc_host/host_objects.h"
#include "simhost/msvc_host/plugin_allocation_failure.h"
#include "simhost/msvc_host/raised_exceptions.h"

// The two classes of Microsoft's runtime the host catches, as its headers
// declare them: the table (deleting destructor, what), the text, its owner flag.
namespace std {
class exception {
public:
    virtual ~exception();
    virtual const char* what() const;

private:
    const char* what_;
    bool text_allocated_;
};
class bad_alloc : public exception {};
}  // namespace std

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

    watch_plugin_allocations(module);
    plugin_component* component = nullptr;
    try {
        create_interface(&plugin_interface_id, 0, &component, 0, 0);
    } catch (const std::exception& e) {
        _snprintf(message, static_cast<size_t>(size), "The plug-in %s could not create its component: %s.", path,
                  e.what());
        return nullptr;
    }
    if (!component) _snprintf(message, static_cast<size_t>(size), "The plug-in %s created no component.", path);
    return component;
}

namespace {

// What the host reports of the exception its catch holds: its text, and
// whether its value arrived as raised.
void describe(const char* text, bool intact, engine_invoke_report* report) {
    _snprintf(report->message, sizeof report->message, "%s%s", text, intact ? "" : " (damaged)");
    report->message[sizeof report->message - 1] = '\0';
}

bool is_aligned(const void* object) { return (reinterpret_cast<unsigned>(object) & (alignof(aligned_failure) - 1)) == 0; }

// The filter of the host's __except: takes every exception, noting its code and first argument.
int take_structured(const void* pointers, unsigned long* code, unsigned long* argument) {
    // EXCEPTION_POINTERS, whose record holds code, flags, record, address, count, arguments.
    const unsigned long* record = *static_cast<const unsigned long* const*>(pointers);
    *code = record[0];
    *argument = record[4] >= 1 ? record[5] : 0;
    return 1;  // EXCEPTION_EXECUTE_HANDLER
}

// The command inside a structured-exception handler: the code it ended with, or 0.
unsigned long invoke_under_except(plugin_component* component, host_scene* scene, unsigned long* argument) {
    unsigned long code = 0;
    __try {
        component->invoke(0, scene, 0);
    } __except (take_structured(_exception_info(), &code, argument)) {
    }
    return code;
}

// The command again inside the catch that holds first: it fails once more,
// with a new host_failure or, as_rethrow, by rethrowing first.
void invoke_again(plugin_component* component, host_scene* scene, const host_failure& first, bool as_rethrow,
                  engine_invoke_report* report) {
    rearm_injected_failure(as_rethrow);
    char first_reason[200];
    copy_text(first_reason, sizeof first_reason, first.reason);
    try {
        component->invoke(0, scene, 0);
        copy_text(report->message, sizeof report->message, "the second command returned");
    } catch (const host_failure& second) {
        const bool expected = as_rethrow ? &second == &first : second.serial == first.serial + 1;
        describe(second.reason, expected && strcmp(second.reason, first_reason) == 0, report);
        report->failure_serial = second.serial;
    }
    // The first exception outlives the second.
    if (first.serial != 1 || strcmp(first.reason, first_reason) != 0) describe(first_reason, false, report);
}

}  // namespace

void invoke_component(void* component_object, void* engine_scene, engine_invoke_report* report) {
    begin_command();
    begin_counting_plugin_allocations();
    host_scene* scene = scene_for(engine_scene);
    auto* component = static_cast<plugin_component*>(component_object);
    const int size = static_cast<int>(sizeof report->message);
    const raised_kind kind = injected_kind();
    report->outcome = engine_invoke_failure_escaped;
    if (kind == raised_kind::structured) {
        unsigned long argument = 0;
        const unsigned long code = invoke_under_except(component, scene, &argument);
        if (code == 0) report->outcome = engine_invoke_returned;
        _snprintf(report->message, static_cast<size_t>(size), "structured exception 0x%08lX %lu", code, argument);
        report->failure_serial = static_cast<int>(argument);
    } else {
        try {
            component->invoke(0, scene, 0);
            report->outcome = engine_invoke_returned;
        } catch (const host_stop&) {
            report->outcome = engine_invoke_stop_escaped;
            copy_text(report->message, size, "the user stopped the command");
        } catch (const host_failure& failure) {
            report->failure_serial = failure.serial;
            copy_text(report->message, size, failure.reason);
            if (kind == raised_kind::reentrant || kind == raised_kind::rethrow)
                invoke_again(component, scene, failure, kind == raised_kind::rethrow, report);
        } catch (const owned_resource& resource) {
            describe(resource_text(resource.handle), true, report);
        } catch (const move_only_resource& resource) {
            describe(resource_text(resource.handle), true, report);
        } catch (const virtual_failure& failure) {
            report->failure_serial = failure.serial;
            describe(failure.reason, true, report);
        } catch (const aligned_failure& failure) {
            const float f = static_cast<float>(failure.serial);
            const four_floats lanes = failure.lanes;
            report->failure_serial = failure.serial;
            describe("aligned", is_aligned(&failure) && lanes[0] == f && lanes[1] == 2 * f && lanes[2] == 3 * f &&
                                    lanes[3] == 4 * f,
                     report);
        } catch (const std::bad_alloc& e) {
            // Its run-time type information says what it is, as the host's logging might ask.
            const std::exception& base = e;
            describe(e.what(), dynamic_cast<const std::bad_alloc*>(&base) == &e, report);
            char text[sizeof report->message];
            copy_text(text, sizeof text, report->message);
            _snprintf(report->message, static_cast<size_t>(size), "std::bad_alloc: %s", text);
        } catch (const std::exception& e) {
            _snprintf(report->message, static_cast<size_t>(size), "std::exception: %s", e.what());
        } catch (int value) {
            report->outcome = engine_invoke_int_escaped;
            report->int_value = value;
            _snprintf(report->message, static_cast<size_t>(size), "the integer %d", value);
        } catch (...) {
            report->outcome = engine_invoke_unknown_escaped;
            copy_text(report->message, size, "an exception of a type the host does not know");
        }
    }
    // Counted once the catch is over, when the host's runtime has destroyed what it caught.
    report->failures_raised = host_failure::raised;
    report->failures_alive = host_failure::alive + census::alive;
    report->released_twice = census::double_releases;
    report->references_held = references_held();
}

int32_t release_component(void* component) {
    return static_cast<int>(static_cast<plugin_component*>(component)->Release());
}

}  // namespace msvc_host
