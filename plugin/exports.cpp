// The ten functions through which the host discovers, names and creates the
// component. Orbivane.def (Windows) and exports.map (ELF) export exactly these.
//
// Only create_interface can fail (it allocates); the others answer constants.
//
// The last five are stdcall on 32-bit Windows; the host knows them by their
// decorated names (_get_info@12 and so on), which Orbivane.def spells out.
#include <cstdint>

#include "host/host_interface.h"
#include "platform/host_exceptions.h"
#include "plugin/main_component.h"
#include "plugin/plugin_identity.h"
#include "plugin/plugin_info.h"

// ORB_EXPORT comes from CMake: nothing on Windows, where Orbivane.def names the exports;
// default visibility for ELF, where exports.map then keeps exactly these ten.
using word = plugin_word;

extern "C" {

// Number of components offered under iid.
ORB_EXPORT std::int32_t has_interface(const IID* iid, word) { return is_plugin_interface_id(iid) ? 1 : 0; }

ORB_EXPORT const char* get_name(const IID* iid, std::int32_t index, host_app*, word) {
    if (!is_plugin_interface_id(iid)) return nullptr;
    return index == main_component_index ? product_name : nullptr;
}

ORB_EXPORT std::int32_t get_interface_version(word) { return plugin_protocol_version; }

// On success *out receives a new component holding one reference for the
// caller; otherwise *out is left untouched. Running out of memory throws
// std::bad_alloc at the host (platform/host_exceptions.h). Without a place to
// put it, nothing is created.
ORB_EXPORT void create_interface(const IID* iid, std::int32_t index, plugin_interface** out, word, word) {
    if (!out || !is_plugin_interface_id(iid) || index != main_component_index) return;
    platform::answer_host(
        [](void* context) {
            plugin_interface* component = new main_component;
            component->AddRef();
            *static_cast<plugin_interface**>(context) = component;
        },
        out);
}

ORB_EXPORT std::int32_t get_id(const IID* iid, std::int32_t index, word) {
    if (!is_plugin_interface_id(iid)) return 0;
    return index == main_component_index ? main_component_id : 0;
}

ORB_EXPORT std::int32_t ORB_STDCALL get_exception(word, word) { return plugin_exception_kind; }

// Returned by value: on 32-bit Windows through the caller's hidden result
// pointer, which this function pops along with its two words (hence @12).
ORB_EXPORT plugin_info ORB_STDCALL get_info(word, word) { return describe_plugin(); }

ORB_EXPORT std::int32_t ORB_STDCALL get_text_encoding(word, word) { return plugin_text_code_page; }

ORB_EXPORT bool ORB_STDCALL has_separate_interfaces(word) { return false; }

// The library does not ask to stay loaded.
ORB_EXPORT bool ORB_STDCALL is_resident(word, word, word) { return false; }

}  // extern "C"
