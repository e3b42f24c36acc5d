// The plug-in library's exports and component, as a host calls them.
#pragma once

#include <cstdint>

#include "host/com_base.h"
#include "host/host_interface.h"

namespace simhost {

// The host's plug-in interface {50E47D69-8922-11D1-9A00-00C04FCC9C26}.
constexpr GUID plugin_interface_id{0x50E47D69, 0x8922, 0x11D1, {0x9A, 0x00, 0x00, 0xC0, 0x4F, 0xCC, 0x9C, 0x26}};

// The information record. On 32-bit Windows it is 40 bytes; elsewhere the
// same ten fields with native pointers.
struct PluginInfoRecord {
    std::int32_t numbers[6];
    const char* name;
    const char* author;
    const char* company;
    const char* description;
};
#if defined(_WIN32) && defined(__i386__)
static_assert(sizeof(PluginInfoRecord) == 40, "the information record is 40 bytes");
#endif

using has_interface_fn = std::int32_t (*)(const IID*, std::int32_t);
using get_name_fn = const char* (*)(const IID*, std::int32_t, host_app*, std::int32_t);
using get_interface_version_fn = std::int32_t (*)(std::int32_t);
using create_interface_fn = void (*)(const IID*, std::int32_t, IUnknown**, std::int32_t, std::int32_t);
using get_id_fn = std::int32_t (*)(const IID*, std::int32_t, std::int32_t);
using get_exception_fn = std::int32_t(ORB_STDCALL*)(std::int32_t, std::int32_t);
using get_info_fn = PluginInfoRecord(ORB_STDCALL*)(std::int32_t, std::int32_t);
using get_text_encoding_fn = std::int32_t(ORB_STDCALL*)(std::int32_t, std::int32_t);
using has_separate_interfaces_fn = bool(ORB_STDCALL*)(std::int32_t);
using is_resident_fn = bool(ORB_STDCALL*)(std::int32_t, std::int32_t, std::int32_t);

// Export names: Windows decorates the five stdcall entries.
struct PluginExportNames {
    const char* has_interface = "has_interface";
    const char* get_name = "get_name";
    const char* get_interface_version = "get_interface_version";
    const char* create_interface = "create_interface";
    const char* get_id = "get_id";
#if defined(_WIN32)
    const char* get_exception = "_get_exception@8";
    const char* get_info = "_get_info@12";
    const char* get_text_encoding = "_get_text_encoding@8";
    const char* has_separate_interfaces = "_has_separate_interfaces@4";
    const char* is_resident = "_is_resident@12";
#else
    const char* get_exception = "get_exception";
    const char* get_info = "get_info";
    const char* get_text_encoding = "get_text_encoding";
    const char* has_separate_interfaces = "has_separate_interfaces";
    const char* is_resident = "is_resident";
#endif
};

// The component is reached through its table of operations, as the host
// application reaches it: the object's first word points at the table,
// Release is entry 2 (COM stdcall) and invoke entry 32 (a member call,
// thiscall on 32-bit Windows). Calling through the table rather than through
// a mirrored class keeps the host free of any claim about the plug-in's types.
constexpr int component_release_entry = 2;
constexpr int component_invoke_entry = 32;

#if defined(_WIN32) && defined(__i386__)
#define SIMHOST_THISCALL __attribute__((thiscall))
#else
#define SIMHOST_THISCALL
#endif

using component_release_fn = ULONG(ORB_STDCALL*)(void* component);
using component_invoke_fn = void(SIMHOST_THISCALL*)(void* component, std::int32_t ignored1, host_scene* scene,
                                                     std::int32_t ignored2);

inline void* component_entry(void* component, int index) {
    void* const* table = *static_cast<void* const* const*>(component);
    return table[index];
}

inline ULONG release_component(void* component) {
    return reinterpret_cast<component_release_fn>(component_entry(component, component_release_entry))(component);
}

inline void invoke_component(void* component, host_scene* scene) {
    reinterpret_cast<component_invoke_fn>(component_entry(component, component_invoke_entry))(component, 0, scene, 0);
}

}  // namespace simhost
