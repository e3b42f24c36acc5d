// Calls an entry point the way the host's compiler does on 32-bit Windows and
// reports how many argument bytes the callee took off the stack, so the
// calling conventions are checked at the machine level rather than by a
// caller compiled with the same assumptions.
#pragma once

#include <cstdint>
#include <initializer_list>

struct probed_call {
    std::uint32_t eax;           // the result register
    std::uint32_t popped_bytes;  // 0 for cdecl; 4 per word for stdcall and thiscall
};

// Pushes words right to left (the first word ends up nearest the return
// address), loads ecx (the object for thiscall), and calls entry.
probed_call probe_call(const void* entry, const void* ecx, std::initializer_list<std::uint32_t> words);
