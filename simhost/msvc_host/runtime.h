// The few C runtime and Win32 functions the host's Microsoft-ABI side uses,
// declared here: no Microsoft headers or libraries are involved. msvcrt.def,
// vcruntime140.def and kernel32.def name the DLLs that export them.
#pragma once

namespace msvc_host {
using size_t = decltype(sizeof 0);
}

extern "C" {
struct msvcrt_file {
    char opaque[32];
};
msvcrt_file* __cdecl __iob_func();
int __cdecl fprintf(msvcrt_file* file, const char* format, ...);
int __cdecl _snprintf(char* buffer, msvc_host::size_t size, const char* format, ...);
void* __cdecl malloc(msvc_host::size_t size);
void* __cdecl calloc(msvc_host::size_t count, msvc_host::size_t size);
void __cdecl free(void* block);
int __cdecl strcmp(const char* a, const char* b);
int __cdecl strncmp(const char* a, const char* b, msvc_host::size_t size);
char* __cdecl strncpy(char* to, const char* from, msvc_host::size_t size);
const char* __cdecl getenv(const char* name);
long __cdecl strtol(const char* text, char** end, int base);
void* __cdecl memset(void* to, int value, msvc_host::size_t size);
__declspec(noreturn) void __cdecl exit(int status);
int __cdecl __getmainargs(int* argc, char*** argv, char*** environment, int expand_wildcards, int* startup_info);

__declspec(dllimport) void* __stdcall LoadLibraryA(const char* path);
__declspec(dllimport) void* __stdcall GetProcAddress(void* module, const char* name);
__declspec(dllimport) int __stdcall FreeLibrary(void* module);
}

namespace msvc_host {

inline msvcrt_file* standard_error() { return &__iob_func()[2]; }

// Copies a text into a buffer of size bytes, always terminated.
inline void copy_text(char* to, int size, const char* from) {
    if (size <= 0) return;
    strncpy(to, from ? from : "", static_cast<size_t>(size) - 1);
    to[size - 1] = '\0';
}

}  // namespace msvc_host
