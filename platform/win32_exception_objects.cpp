#include "platform/win32_exception_objects.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace platform::msvc {

namespace {

using thiscall_destructor = void(__attribute__((thiscall)) *)(void* object);

// Lies just before the object, which starts on its alignment.
struct object_header {
    throw_info record;               // what the host's runtime is given
    const throw_info* thrown_type;   // whose destructor ends the object
    void* storage;                   // what malloc gave
};

object_header& header_of(const void* object) {
    return *reinterpret_cast<object_header*>(static_cast<char*>(const_cast<void*>(object)) - sizeof(object_header));
}

void __attribute__((thiscall)) end_object_entry(void* object) { end_exception_object(object); }

// std::exception as Microsoft's runtimes lay it out: the table, then the text
// and whether it was allocated (the host's copy constructor duplicates an
// allocated text; its destructor never sees ours, the record's entry ends it).
struct host_std_exception {
    const void* const* table;
    const char* what;
    std::int32_t text_allocated;
};
static_assert(sizeof(host_std_exception) == 12);

// The tables' entries: the deleting destructor, then what().
void* __attribute__((thiscall)) exception_deleting_destructor(void* object, unsigned) { return object; }
const char* __attribute__((thiscall)) exception_what(const host_std_exception* object) {
    return object->what ? object->what : "Unknown exception";
}

// A copy made for a catch by value, which the host destroys before the exception: it shares the text.
void* __attribute__((thiscall)) copy_std_exception(host_std_exception* object, const host_std_exception* source) {
    *object = {source->table, source->what, 0};
    return object;
}

// Today's runtimes name the classes in std, Visual C++ 6's runtime exception at global scope.
type_descriptor bad_alloc_descriptor{nullptr, nullptr, ".?AVbad_alloc@std@@"};
type_descriptor std_exception_descriptor{nullptr, nullptr, ".?AVexception@std@@"};
type_descriptor global_exception_descriptor{nullptr, nullptr, ".?AVexception@@"};

// Run-time type information as Microsoft's compiler lays it out on x86, for
// the host's typeid and dynamic_cast: each table is preceded by a locator
// naming the object's type and its class hierarchy.
struct class_hierarchy;
struct base_class {
    const type_descriptor* type;
    std::uint32_t contained_bases;
    std::int32_t member_displacement, vbtable_displacement, vdisp_displacement;
    std::uint32_t attributes;  // 0x40: hierarchy is present
    const class_hierarchy* hierarchy;
};
struct class_hierarchy {
    std::uint32_t signature, attributes, base_count;
    const base_class* const* bases;  // the class itself first
};
struct object_locator {
    std::uint32_t signature, offset, constructor_displacement;
    const type_descriptor* type;
    const class_hierarchy* hierarchy;
};

extern const class_hierarchy exception_hierarchy, bad_alloc_hierarchy;
const base_class exception_base{&std_exception_descriptor, 0, 0, -1, 0, 0x40, &exception_hierarchy};
const base_class bad_alloc_base{&bad_alloc_descriptor, 1, 0, -1, 0, 0x40, &bad_alloc_hierarchy};
const base_class* const exception_bases[] = {&exception_base};
const base_class* const bad_alloc_bases[] = {&bad_alloc_base, &exception_base};
const class_hierarchy exception_hierarchy{0, 0, 1, exception_bases};
const class_hierarchy bad_alloc_hierarchy{0, 0, 2, bad_alloc_bases};
const object_locator exception_locator{0, 0, 0, &std_exception_descriptor, &exception_hierarchy};
const object_locator bad_alloc_locator{0, 0, 0, &bad_alloc_descriptor, &bad_alloc_hierarchy};

// Each table: the locator, then the entries; objects point just past the locator.
const void* const exception_table[] = {&exception_locator, reinterpret_cast<const void*>(&exception_deleting_destructor),
                                       reinterpret_cast<const void*>(&exception_what)};
const void* const bad_alloc_table[] = {&bad_alloc_locator, reinterpret_cast<const void*>(&exception_deleting_destructor),
                                       reinterpret_cast<const void*>(&exception_what)};

catchable_type std_exception_catchable(const type_descriptor& type) {
    return {0, &type, 0, -1, 0, sizeof(host_std_exception), reinterpret_cast<void*>(&copy_std_exception)};
}
const catchable_type bad_alloc_type = std_exception_catchable(bad_alloc_descriptor);
const catchable_type std_exception_type = std_exception_catchable(std_exception_descriptor);
const catchable_type global_exception_type = std_exception_catchable(global_exception_descriptor);
const catchable_type_array bad_alloc_types{3, {&bad_alloc_type, &std_exception_type, &global_exception_type}};
const catchable_type_array exception_types{2, {&std_exception_type, &global_exception_type}};
const throw_info bad_alloc_record{0, nullptr, nullptr, &bad_alloc_types};
const throw_info exception_record{0, nullptr, nullptr, &exception_types};

// One object serves every out-of-memory exception at once, needing no memory;
// nothing ends it. Writable, as a host may catch it by non-const reference.
host_std_exception the_bad_alloc{bad_alloc_table + 1, "bad allocation", 0};

void describe_with_host_type_info() {
    if (std_exception_descriptor.type_info_table) return;
    const void* table = host_type_info_table();
    for (type_descriptor* d : {&bad_alloc_descriptor, &std_exception_descriptor, &global_exception_descriptor})
        d->type_info_table = table;
}

void raise_parameters(const void* object, const throw_info& record, std::uintptr_t (&parameters)[3]) {
    parameters[0] = magic_number;
    parameters[1] = reinterpret_cast<std::uintptr_t>(object);
    parameters[2] = reinterpret_cast<std::uintptr_t>(&record);
}

}  // namespace

void* new_exception_object(std::size_t size, std::size_t alignment, const throw_info& thrown_type) {
    void* storage = std::malloc(sizeof(object_header) + alignment + size);
    if (!storage) return nullptr;
    const std::uintptr_t first_free = reinterpret_cast<std::uintptr_t>(storage) + sizeof(object_header);
    void* object = reinterpret_cast<void*>((first_free + alignment - 1) & ~(alignment - 1));
    object_header& header = header_of(object);
    header.record = {thrown_type.attributes, reinterpret_cast<void*>(&end_object_entry), thrown_type.forward_compat,
                     thrown_type.catchable_types};
    header.thrown_type = &thrown_type;
    header.storage = storage;
    return object;
}

const throw_info& own_throw_record(const void* object) { return header_of(object).record; }

void end_exception_object(void* object) {
    object_header& header = header_of(object);
    if (void* destructor = header.thrown_type->unwind_function)
        reinterpret_cast<thiscall_destructor>(destructor)(object);
    std::free(header.storage);
}

const void* host_type_info_table() {
    static const char* const runtimes[] = {"vcruntime140.dll", "msvcr120.dll", "msvcr110.dll", "msvcr100.dll",
                                           "msvcr90.dll",      "msvcr80.dll",  "msvcr71.dll",  "msvcrt.dll"};
    for (const char* runtime : runtimes)
        if (HMODULE module = GetModuleHandleA(runtime))
            if (FARPROC table = GetProcAddress(module, "??_7type_info@@6B@"))
                return reinterpret_cast<const void*>(table);
    return nullptr;
}

void bad_alloc_for_host(std::uintptr_t (&parameters)[3]) {
    describe_with_host_type_info();
    the_bad_alloc = {bad_alloc_table + 1, "bad allocation", 0};
    raise_parameters(&the_bad_alloc, bad_alloc_record, parameters);
}

void exception_for_host(const char* what, std::uintptr_t (&parameters)[3]) {
    describe_with_host_type_info();
    const std::size_t length = what ? std::strlen(what) + 1 : 0;
    void* object = new_exception_object(sizeof(host_std_exception) + length, alignof(host_std_exception),
                                        exception_record);
    if (!object) return bad_alloc_for_host(parameters);
    char* text = what ? static_cast<char*>(object) + sizeof(host_std_exception) : nullptr;
    if (text) std::memcpy(text, what, length);
    *static_cast<host_std_exception*>(object) = {exception_table + 1, text, text ? 1 : 0};
    raise_parameters(object, own_throw_record(object), parameters);
}

}  // namespace platform::msvc
