// A C++ exception raised by a host built with Microsoft's compiler, as the
// Win32 platform layer holds it between catching it and giving it back.
// Private to platform/ and its tests.
//
// Microsoft's compiler throws by raising the SEH exception 0xE06D7363 with
// three parameters: a magic number, the address of the thrown object and a
// throw record that describes the object's type (names of the types a catch
// may match, size, copy constructor) and its destructor. On x86 every address
// in these records is a plain pointer.
#pragma once

#include <cstdint>
#include <memory>

namespace platform {

namespace msvc {

constexpr std::uint32_t exception_code = 0xE06D7363;  // 0xE0000000 | "msc"
constexpr std::uint32_t magic_number = 0x19930520;    // 0x19930521 and 0x19930522 are later forms
constexpr std::uint32_t noncontinuable = 1;

struct type_descriptor {
    const void* type_info_table;  // the runtime's type_info table
    void* spare;
    char name[4];  // decorated name, zero-terminated, as long as it needs to be (".H" for int)
};

struct catchable_type {
    std::uint32_t properties;  // bit 0: a simple type, copied bytewise; bit 2: has a virtual base
    const type_descriptor* type;
    std::int32_t member_displacement, vbtable_displacement, vdisp_displacement;
    std::int32_t size;
    void* copy_function;  // thiscall copy constructor, or null
};

struct catchable_type_array {
    std::int32_t count;
    const catchable_type* types[1];  // the thrown type itself first, then its bases
};

struct throw_info {
    std::uint32_t attributes;
    void* unwind_function;  // thiscall destructor of the thrown object, or null
    void* forward_compat;
    const catchable_type_array* catchable_types;
};

}  // namespace msvc

// The host's exception record and our own copy of its object. Destroys the
// copy unless it was handed back to the host, whose runtime destroys it then.
class captured_host_exception {
public:
    captured_host_exception() = default;
    captured_host_exception(const captured_host_exception&) = delete;
    captured_host_exception& operator=(const captured_host_exception&) = delete;
    ~captured_host_exception();

    std::uint32_t code = 0;
    std::uint32_t flags = 0;
    std::uint32_t parameter_count = 0;
    std::uintptr_t parameters[15] = {};  // parameters[1] points at object once captured
    void* object = nullptr;              // our copy (malloc'd), null for a throw without one
    bool handed_to_host = false;

    const msvc::throw_info* thrown_type() const { return reinterpret_cast<const msvc::throw_info*>(parameters[2]); }
    // The decorated name of the thrown type, e.g. ".H" for int; empty when unknown.
    const char* type_name() const;
};

// What call_into_host throws into our own code.
class host_exception {
public:
    explicit host_exception(std::shared_ptr<captured_host_exception> captured) : captured_(std::move(captured)) {}
    const std::shared_ptr<captured_host_exception>& captured() const { return captured_; }

private:
    std::shared_ptr<captured_host_exception> captured_;
};

}  // namespace platform
