#include "win32_call_probe.h"

#include <vector>

// std::uint32_t orbivane_probe_call(entry, ecx, words, count, popped): a plain
// cdecl routine in assembly, so nothing between us and the callee adjusts the
// stack behind our back.
asm(R"(
    .text
    .globl _orbivane_probe_call
_orbivane_probe_call:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    pushl %ebx
    movl 16(%ebp), %esi
    movl 20(%ebp), %edi
    movl %esp, %ebx
1:  testl %edi, %edi
    jz 2f
    decl %edi
    pushl (%esi,%edi,4)
    jmp 1b
2:  movl 12(%ebp), %ecx
    call *8(%ebp)
    movl %ebx, %ecx
    subl %esp, %ecx
    movl 20(%ebp), %edx
    shll $2, %edx
    subl %ecx, %edx
    movl 24(%ebp), %ecx
    movl %edx, (%ecx)
    movl %ebx, %esp
    popl %ebx
    popl %edi
    popl %esi
    popl %ebp
    ret
)");

extern "C" std::uint32_t orbivane_probe_call(const void* entry, const void* ecx, const std::uint32_t* words,
                                             std::uint32_t count, std::uint32_t* popped);

probed_call probe_call(const void* entry, const void* ecx, std::initializer_list<std::uint32_t> words) {
    const std::vector<std::uint32_t> list(words);
    probed_call result{};
    result.eax = orbivane_probe_call(entry, ecx, list.data(), static_cast<std::uint32_t>(list.size()),
                                     &result.popped_bytes);
    return result;
}
