// Win32: exceptions between this GCC-built DLL and a host built with Microsoft's compiler.
//
// Our runtime unwinds with its own tables and never looks at the SEH chain, so
// a host exception would pass over our frames without running a destructor.
// call_into_host therefore puts an SEH record of its own on the chain (fs:[0])
// around each call into the host. Its handler copies the host's exception,
// lets the host's frames below unwind (RtlUnwind), and jumps back into
// call_into_host, which throws the copy as a host_exception. answer_host turns
// such a copy back into the host's own exception with RaiseException.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "platform/host_exceptions.h"
#include "platform/win32_host_exception.h"

namespace platform {

namespace {

constexpr DWORD unwinding_flags = 0x2 | 0x4;  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND
constexpr std::uint32_t simple_type = 1;
constexpr std::uint32_t has_virtual_base = 4;

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

bool is_host_cxx_exception(const EXCEPTION_RECORD& record) {
    return record.ExceptionCode == msvc::exception_code && record.NumberParameters >= 3 &&
           record.ExceptionInformation[0] >= msvc::magic_number &&
           record.ExceptionInformation[0] <= msvc::magic_number + 2 && record.ExceptionInformation[2] != 0;
}

// Copies the thrown object as the host's runtime copies it into a catch clause.
void* copy_thrown_object(const EXCEPTION_RECORD& record) {
    const void* source = reinterpret_cast<const void*>(record.ExceptionInformation[1]);
    const auto* info = reinterpret_cast<const msvc::throw_info*>(record.ExceptionInformation[2]);
    if (!source || !info->catchable_types || info->catchable_types->count < 1) return nullptr;
    const msvc::catchable_type& type = *info->catchable_types->types[0];
    if (type.size <= 0) return nullptr;
    void* copy = std::malloc(static_cast<std::size_t>(type.size));
    if (!copy) return nullptr;
    if ((type.properties & simple_type) || !type.copy_function)
        std::memcpy(copy, source, static_cast<std::size_t>(type.size));
    else if (type.properties & has_virtual_base)
        reinterpret_cast<thiscall_virtual_base_copy>(type.copy_function)(copy, source, 1);
    else
        reinterpret_cast<thiscall_copy>(type.copy_function)(copy, source);
    return copy;
}

void destroy_thrown_object(const msvc::throw_info* info, void* object) {
    if (object && info && info->unwind_function) reinterpret_cast<thiscall_destructor>(info->unwind_function)(object);
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
    if ((record->ExceptionFlags & unwinding_flags) || !is_host_cxx_exception(*record)) return ExceptionContinueSearch;
    guard_frame* guard = static_cast<guard_frame*>(frame);
    captured_host_exception& capture = *guard->capture;
    capture.code = record->ExceptionCode;
    capture.flags = record->ExceptionFlags;
    capture.parameter_count = record->NumberParameters < 15 ? record->NumberParameters : 15;
    for (std::uint32_t i = 0; i < capture.parameter_count; ++i) capture.parameters[i] = record->ExceptionInformation[i];
    capture.object = copy_thrown_object(*record);
    capture.parameters[1] = reinterpret_cast<std::uintptr_t>(capture.object);

    unwind_frames_below(frame, record);
    // The host's catch would destroy its object once done with it; we are done with it now.
    destroy_thrown_object(capture.thrown_type(), reinterpret_cast<void*>(record->ExceptionInformation[1]));
    __builtin_longjmp(guard->resume, 1);
}

// The copy given back to the host lives until the next one: the host's runtime
// destroys the object when its catch is done, and only its storage is left.
std::shared_ptr<captured_host_exception> handed_to_host;

// The int 0 of the component's unimplemented operations, described as Microsoft's compiler describes a thrown int.
msvc::type_descriptor int_descriptor{nullptr, nullptr, ".H"};
const msvc::catchable_type int_catchable{simple_type, &int_descriptor, 0, -1, 0, sizeof(int), nullptr};
const msvc::catchable_type_array int_catchables{1, {&int_catchable}};
const msvc::throw_info int_throw_info{0, nullptr, nullptr, &int_catchables};
int thrown_int;

// The type_info table of the host's C++ runtime, which a faithful type descriptor points at.
// Catch clauses match by the descriptor's name, so none found is no harm.
const void* host_type_info_table() {
    static const char* const runtimes[] = {"vcruntime140.dll", "msvcr120.dll", "msvcr110.dll", "msvcr100.dll",
                                           "msvcr90.dll",      "msvcr80.dll",  "msvcr71.dll",  "msvcrt.dll"};
    for (const char* runtime : runtimes)
        if (HMODULE module = GetModuleHandleA(runtime))
            if (FARPROC table = GetProcAddress(module, "??_7type_info@@6B@"))
                return reinterpret_cast<const void*>(table);
    return nullptr;
}

}  // namespace

captured_host_exception::~captured_host_exception() {
    if (!handed_to_host) destroy_thrown_object(thrown_type(), object);
    std::free(object);
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
    std::shared_ptr<captured_host_exception> pending;
    try {
        body(context);
    } catch (const host_exception& e) {
        pending = e.captured();
    }
    if (!pending) return;
    // Nothing of ours may be left to destroy here: the host's handler ends this frame.
    pending->handed_to_host = true;
    handed_to_host = std::move(pending);
    const captured_host_exception& raised = *handed_to_host;
    ULONG_PTR parameters[15];
    for (std::uint32_t i = 0; i < raised.parameter_count; ++i) parameters[i] = raised.parameters[i];
    RaiseException(raised.code, raised.flags, raised.parameter_count, parameters);
}

void throw_int_zero() {
    if (!int_descriptor.type_info_table) int_descriptor.type_info_table = host_type_info_table();
    thrown_int = 0;
    const ULONG_PTR parameters[3] = {msvc::magic_number, reinterpret_cast<ULONG_PTR>(&thrown_int),
                                     reinterpret_cast<ULONG_PTR>(&int_throw_info)};
    RaiseException(msvc::exception_code, msvc::noncontinuable, 3, parameters);
    std::abort();  // not reached: the exception is not continuable
}

}  // namespace platform
