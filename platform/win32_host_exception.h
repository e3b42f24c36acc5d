// A C++ exception raised by a host built with Microsoft's compiler, as the
// Win32 platform layer holds it between catching it and giving it back.
// Private to platform/ and its tests.
//
// Microsoft's compiler throws by raising the SEH exception 0xE06D7363 with
// three parameters: a magic number, the address of the thrown object and a
// throw record that describes the object's type (names of the types a catch
// may match, size, copy constructor) and its destructor. On x86 every address
// in these records is a plain pointer. `throw;` raises the same exception with
// neither object nor record: the runtime rethrows the exception its innermost
// active catch holds.
#pragma once

#include <cstdint>
#include <memory>

namespace platform {

namespace msvc {

constexpr std::uint32_t exception_code = 0xE06D7363;  // 0xE0000000 | "msc"
constexpr std::uint32_t magic_number = 0x19930520;    // 0x19930521 and 0x19930522 are later forms
constexpr std::uint32_t noncontinuable = 1;

// catchable_type::properties
constexpr std::uint32_t simple_type = 1;       // copied bytewise into a catch
constexpr std::uint32_t by_reference_only = 2;
constexpr std::uint32_t has_virtual_base = 4;  // the copy constructor takes a most-derived flag

struct type_descriptor {
    const void* type_info_table;  // the runtime's type_info table
    void* spare;
    char name[24];  // decorated name, zero-terminated (".H" for int); the host's may be longer
};

struct catchable_type {
    std::uint32_t properties;
    const type_descriptor* type;
    std::int32_t member_displacement, vbtable_displacement, vdisp_displacement;
    std::int32_t size;
    void* copy_function;  // thiscall copy constructor; null when the copy is bytewise
};

struct catchable_type_array {
    std::int32_t count;
    const catchable_type* types[3];  // the thrown type itself first, then its bases; the host's may be longer
};

struct throw_info {
    std::uint32_t attributes;
    void* unwind_function;  // thiscall destructor of the thrown object, or null
    void* forward_compat;
    const catchable_type_array* catchable_types;
};

}  // namespace msvc

// What a host call raised, as the plug-in holds it until answer_host gives it
// back: the record's code, flags and parameters, and for a C++ exception an
// object of the plug-in's own. That object lives in storage with a throw
// record of its own, whose destructor entry ends the host's object and frees
// the storage; so the host's runtime ends each exception it is given as it
// ends its own, and every exception owns its object.
class captured_host_exception {
public:
    captured_host_exception() = default;
    captured_host_exception(const captured_host_exception&) = delete;
    captured_host_exception& operator=(const captured_host_exception&) = delete;
    // Ends the object unless it was handed to the host.
    ~captured_host_exception();

    std::uint32_t code = 0;
    std::uint32_t flags = 0;
    std::uint32_t parameter_count = 0;
    std::uintptr_t parameters[15] = {};  // for a C++ exception [1] is object, [2] its throw record
    void* object = nullptr;              // the thrown object as the plug-in sees it, or null
    bool owned = false;                  // object is ours to end (else a host catch below owns it)

    bool is_cxx() const { return code == msvc::exception_code && parameter_count >= 3; }
    // The record describing object's type, or null (a structured exception, an unresolved `throw;`).
    const msvc::throw_info* thrown_type() const {
        return is_cxx() ? reinterpret_cast<const msvc::throw_info*>(parameters[2]) : nullptr;
    }
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
