// Win32: exceptions between this GCC-built DLL and a host built with Microsoft's compiler.
//
// Our runtime unwinds with its own tables and never looks at the SEH chain, so
// a host exception would pass over our frames without running a destructor.
// call_into_host therefore puts an SEH record of its own on the chain (fs:[0])
// around each call into the host. Its handler takes the host's exception over
// as the host's runtime takes one into a catch, lets the host's frames below
// unwind (RtlUnwind), and jumps back into call_into_host, which throws it on as
// a host_exception. answer_host, at every entry the host calls, raises such an
// exception again as it was raised, and our runtime's own exceptions as the
// host's std::exception and std::bad_alloc: GCC's unwinder cannot cross the
// host's frames, so nothing of ours may leave an entry as a GCC exception.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <initializer_list>
#include <new>

#include "platform/host_exceptions.h"
#include "platform/win32_exception_objects.h"
#include "platform/win32_host_exception.h"

namespace platform {

namespace {

constexpr DWORD unwinding_flags = 0x2 | 0x4;  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND
constexpr DWORD error_severity = 0xC0000000;
constexpr DWORD stack_overflow = 0xC00000FD;
// The least and the most alignment given to a copy; see object_alignment.
constexpr std::uintptr_t least_alignment = 16, most_alignment = 256;

using thiscall_destructor = void(__attribute__((thiscall)) *)(void* object);
using thiscall_copy = void(__attribute__((thiscall)) *)(void* object, const void* source);
using thiscall_virtual_base_copy = void(__attribute__((thiscall)) *)(void* object, const void* source,
                                                                     int most_derived);

struct seh_record {
    seh_record* next;
    void* handler;
};

// Lives on the stack (the system dispatches only to records within the stack).
struct guard_frame {
    seh_record record;  // first, so the handler's frame argument is this frame
    void* resume[5];    // __builtin_setjmp buffer
    captured_host_exception* capture;
};

seh_record* seh_chain() {
    seh_record* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void set_seh_chain(seh_record* head) { asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

// An entry of whichever of runtimes the host has loaded, or null.
void* host_runtime_entry(std::initializer_list<const char*> runtimes, const char* name) {
    for (const char* runtime : runtimes)
        if (HMODULE module = GetModuleHandleA(runtime))
            if (FARPROC entry = GetProcAddress(module, name)) return reinterpret_cast<void*>(entry);
    return nullptr;
}

// What Microsoft's runtime does when a copy into a catch throws: the host's terminate, else ours.
[[noreturn]] void terminate_as_host() {
    using terminate_function = void(__cdecl*)();
    if (auto host = reinterpret_cast<terminate_function>(host_runtime_entry({"ucrtbase.dll"}, "terminate")))
        host();
    if (auto host = reinterpret_cast<terminate_function>(host_runtime_entry(
            {"msvcr120.dll", "msvcr110.dll", "msvcr100.dll", "msvcr90.dll", "msvcr80.dll", "msvcr71.dll",
             "msvcrt.dll"},
            "?terminate@@YAXXZ")))
        host();
    std::terminate();
}

extern "C" EXCEPTION_DISPOSITION __cdecl terminate_on_exception(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
    if (!(record->ExceptionFlags & unwinding_flags)) terminate_as_host();
    return ExceptionContinueSearch;
}

// The exception the host runtime's innermost active catch holds, which `throw;`
// raises again; null when the runtime does not say (only today's runtimes do).
const EXCEPTION_RECORD* host_current_exception() {
    using accessor = void**(__cdecl*)();
    static const auto current =
        reinterpret_cast<accessor>(host_runtime_entry({"vcruntime140.dll", "ucrtbase.dll"}, "__current_exception"));
    return current ? static_cast<const EXCEPTION_RECORD*>(*current()) : nullptr;
}

bool is_cxx_record(const EXCEPTION_RECORD& record) {
    return record.ExceptionCode == msvc::exception_code && record.NumberParameters >= 3 &&
           record.ExceptionInformation[0] >= msvc::magic_number &&
           record.ExceptionInformation[0] <= msvc::magic_number + 2;
}

bool is_rethrow(const EXCEPTION_RECORD& record) {
    return !record.ExceptionInformation[1] && !record.ExceptionInformation[2];
}

const msvc::catchable_type* thrown_class(const EXCEPTION_RECORD& record) {
    const auto* info = reinterpret_cast<const msvc::throw_info*>(record.ExceptionInformation[2]);
    if (!info || !record.ExceptionInformation[1] || !info->catchable_types || info->catchable_types->count < 1)
        return nullptr;
    const msvc::catchable_type* type = info->catchable_types->types[0];
    return type && type->size > 0 ? type : nullptr;
}

void keep_record(const EXCEPTION_RECORD& record, captured_host_exception& capture) {
    capture.code = record.ExceptionCode;
    capture.flags = record.ExceptionFlags & msvc::noncontinuable;
    capture.parameter_count = record.NumberParameters < 15 ? record.NumberParameters : 15;
    for (std::uint32_t i = 0; i < capture.parameter_count; ++i) capture.parameters[i] = record.ExceptionInformation[i];
}

// The records say nothing of alignment. The object was placed at an address
// aligned for its type, so the copy gets that address's alignment (16 at least,
// which is what SSE types need, and 256 at most).
std::size_t object_alignment(const void* object) {
    std::uintptr_t alignment = reinterpret_cast<std::uintptr_t>(object) & -reinterpret_cast<std::uintptr_t>(object);
    if (alignment < least_alignment) alignment = least_alignment;
    return alignment > most_alignment || alignment == 0 ? most_alignment : alignment;
}

// Runs the host's copy constructor as its runtime would: an exception from it ends the process.
void copy_constructing(const msvc::catchable_type& type, void* copy, const void* source) {
    seh_record guard{seh_chain(), reinterpret_cast<void*>(&terminate_on_exception)};
    set_seh_chain(&guard);
    if (type.properties & msvc::has_virtual_base)
        reinterpret_cast<thiscall_virtual_base_copy>(type.copy_function)(copy, source, 1);
    else
        reinterpret_cast<thiscall_copy>(type.copy_function)(copy, source);
    set_seh_chain(guard.next);
}

// Takes the thrown object over into an object of ours, as the host's runtime
// builds a catch's object: its copy constructor, or the bytes where the type
// has none. Answers the original when it is still to be destroyed (copied),
// null when its bytes have moved or it could not be taken.
void* take_object(const EXCEPTION_RECORD& thrown, captured_host_exception& capture) {
    const msvc::catchable_type& type = *thrown_class(thrown);
    const auto& info = *reinterpret_cast<const msvc::throw_info*>(thrown.ExceptionInformation[2]);
    void* source = reinterpret_cast<void*>(thrown.ExceptionInformation[1]);
    void* copy = msvc::new_exception_object(static_cast<std::size_t>(type.size), object_alignment(source), info);
    if (!copy) {
        // No memory for the copy: the host gets std::bad_alloc, and its object is ended.
        std::uintptr_t parameters[3];
        msvc::bad_alloc_for_host(parameters);
        capture.code = msvc::exception_code;
        capture.flags = msvc::noncontinuable;
        capture.parameter_count = 3;
        for (int i = 0; i < 3; ++i) capture.parameters[i] = parameters[i];
        capture.object = reinterpret_cast<void*>(parameters[1]);
        capture.owned = false;
        return source;
    }
    const bool bytewise = (type.properties & msvc::simple_type) || !type.copy_function;
    if (bytewise)
        std::memcpy(copy, source, static_cast<std::size_t>(type.size));
    else
        copy_constructing(type, copy, source);
    keep_record(thrown, capture);
    capture.parameters[1] = reinterpret_cast<std::uintptr_t>(copy);
    capture.parameters[2] = reinterpret_cast<std::uintptr_t>(&msvc::own_throw_record(copy));
    capture.object = copy;
    capture.owned = true;
    return bytewise ? nullptr : source;
}

// Decides whether the guard takes the exception in record over, and takes it.
// Answers false to let it pass. *original receives a host object that is to be
// destroyed once the host's frames are unwound.
bool take_over(const EXCEPTION_RECORD& record, const void* frame, captured_host_exception& capture,
               void** original, const msvc::throw_info** original_type) {
    *original = nullptr;
    if (!is_cxx_record(record)) {
        // Structured exceptions of error severity; a handler may resume the
        // others, and an overflowed stack has no room for our clean-up. A C++
        // exception of a form we do not know points at objects we cannot keep.
        if ((record.ExceptionCode & error_severity) != error_severity || record.ExceptionCode == stack_overflow ||
            record.ExceptionCode == msvc::exception_code)
            return false;
        keep_record(record, capture);
        return true;
    }
    // `throw;` raises a record without object or type; on its way here a
    // handler of the host's runtime may already have filled it in.
    const EXCEPTION_RECORD* current = host_current_exception();
    const EXCEPTION_RECORD* thrown = &record;
    if (is_rethrow(record)) {
        // Unknown to us: raised again as `throw;`, the host's runtime finds it.
        if (!current) {
            keep_record(record, capture);
            return true;
        }
        thrown = current;
    }
    // Held by a host catch below this call, which goes on owning it: raised
    // again as the same object, the host's runtime sees the rethrow it is.
    // (Held by a catch inside the call, it is left to us by that catch's unwinding.)
    if (current && reinterpret_cast<std::uintptr_t>(current) > reinterpret_cast<std::uintptr_t>(frame) &&
        is_cxx_record(*current) && current->ExceptionInformation[1] == thrown->ExceptionInformation[1]) {
        keep_record(*current, capture);
        capture.object = reinterpret_cast<void*>(current->ExceptionInformation[1]);
        capture.owned = false;
        return true;
    }
    if (!is_cxx_record(*thrown) || !thrown_class(*thrown)) return false;
    *original_type = reinterpret_cast<const msvc::throw_info*>(thrown->ExceptionInformation[2]);
    *original = take_object(*thrown, capture);
    return true;
}

// RtlUnwind as the system's own callers make it: it need not keep ebx, esi,
// edi or ebp, so they are saved around it. Runs the unwind handlers of every
// record below frame (the host's frames inside the call) and unlinks them.
void unwind_frames_below(void* frame, EXCEPTION_RECORD* record) {
    auto* unwind = &RtlUnwind;
    asm volatile(
        "pushl %%ebp\n\t"
        "pushl %%ebx\n\t"
        "pushl %%esi\n\t"
        "pushl %%edi\n\t"
        "pushl $0\n\t"
        "pushl %1\n\t"
        "pushl $0\n\t"
        "pushl %0\n\t"
        "call *%2\n\t"
        "popl %%edi\n\t"
        "popl %%esi\n\t"
        "popl %%ebx\n\t"
        "popl %%ebp"
        : "+a"(frame), "+d"(record), "+c"(unwind)
        :
        : "memory", "cc");
}

extern "C" EXCEPTION_DISPOSITION __cdecl host_call_handler(EXCEPTION_RECORD* record, void* frame, CONTEXT*, void*) {
    if (record->ExceptionFlags & unwinding_flags) return ExceptionContinueSearch;
    guard_frame* guard = static_cast<guard_frame*>(frame);
    void* original = nullptr;
    const msvc::throw_info* original_type = nullptr;
    if (!take_over(*record, frame, *guard->capture, &original, &original_type)) return ExceptionContinueSearch;

    unwind_frames_below(frame, record);
    // The host's catch would have destroyed the object it took; we took a copy, so it ends here.
    if (original && original_type->unwind_function)
        reinterpret_cast<thiscall_destructor>(original_type->unwind_function)(original);
    __builtin_longjmp(guard->resume, 1);
}

// The int 0 of the component's unimplemented operations, described as Microsoft's compiler describes a thrown int.
msvc::type_descriptor int_descriptor{nullptr, nullptr, ".H"};
const msvc::catchable_type int_catchable{msvc::simple_type, &int_descriptor, 0, -1, 0, sizeof(int), nullptr};
const msvc::catchable_type_array int_catchables{1, {&int_catchable}};
const msvc::throw_info int_throw_info{0, nullptr, nullptr, &int_catchables};
int thrown_int = 0;  // writable: a host may catch int&

// How answer_host raises what left the plug-in.
struct raise_record {
    DWORD code = msvc::exception_code;
    DWORD flags = msvc::noncontinuable;
    DWORD count = 3;
    ULONG_PTR parameters[15] = {};

    template <typename Describe>
    void cxx(Describe describe) {
        std::uintptr_t p[3];
        describe(p);
        for (int i = 0; i < 3; ++i) parameters[i] = p[i];
    }
};

}  // namespace

captured_host_exception::~captured_host_exception() {
    if (owned && object) msvc::end_exception_object(object);
}

const char* captured_host_exception::type_name() const {
    const msvc::throw_info* info = thrown_type();
    if (!info || !info->catchable_types || info->catchable_types->count < 1) return "";
    return info->catchable_types->types[0]->type->name;
}

void call_into_host(void (*call)(void* context), void* context) {
    // The handler's jump back arrives with its own ebx, esi and edi. Claiming
    // them here makes this function save the caller's values on entry and put
    // them back on the way out, by return or by our exception.
    asm volatile("" : : : "ebx", "esi", "edi");
    auto capture = std::make_shared<captured_host_exception>();
    guard_frame guard{};
    guard.record.next = seh_chain();
    guard.record.handler = reinterpret_cast<void*>(&host_call_handler);
    guard.capture = capture.get();
    if (__builtin_setjmp(guard.resume) == 0) {
        set_seh_chain(&guard.record);
        try {
            call(context);
        } catch (...) {
            set_seh_chain(guard.record.next);
            throw;
        }
        set_seh_chain(guard.record.next);
        return;
    }
    // Back from the handler: the host's frames are unwound and capture holds its exception.
    set_seh_chain(guard.record.next);
    throw host_exception(std::move(capture));
}

void answer_host(void (*body)(void* context), void* context) {
    raise_record raised;
    try {
        body(context);
        return;
    } catch (const host_exception& e) {
        // From here the host's runtime ends the object, through its throw record.
        captured_host_exception& captured = *e.captured();
        captured.owned = false;
        raised.code = captured.code;
        raised.flags = captured.flags;
        raised.count = captured.parameter_count;
        for (std::uint32_t i = 0; i < captured.parameter_count; ++i) raised.parameters[i] = captured.parameters[i];
    } catch (const std::bad_alloc&) {
        raised.cxx(msvc::bad_alloc_for_host);
    } catch (const std::exception& e) {
        raised.cxx([&](std::uintptr_t(&p)[3]) { msvc::exception_for_host(e.what(), p); });
    } catch (...) {
        raised.cxx([](std::uintptr_t(&p)[3]) { msvc::exception_for_host(nullptr, p); });
    }
    // Nothing of ours is left to destroy here: the host's handler ends this frame.
    RaiseException(raised.code, raised.flags, raised.count, raised.parameters);
}

void throw_int_zero() {
    if (!int_descriptor.type_info_table) int_descriptor.type_info_table = msvc::host_type_info_table();
    thrown_int = 0;
    const ULONG_PTR parameters[3] = {msvc::magic_number, reinterpret_cast<ULONG_PTR>(&thrown_int),
                                     reinterpret_cast<ULONG_PTR>(&int_throw_info)};
    RaiseException(msvc::exception_code, msvc::noncontinuable, 3, parameters);
    std::abort();  // not reached: the exception is not continuable
}

}  // namespace platform
