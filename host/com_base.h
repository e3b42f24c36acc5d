// The Windows root interface and the calling conventions the host's objects use.
//
// On 32-bit Windows IUnknown's three methods are COM stdcall (as <unknwn.h>
// declares them) and every other virtual operation is thiscall, GCC's default
// for member functions there. Elsewhere the conventions collapse to the
// platform's one C++ convention, so the same declarations serve both builds.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#include <unknwn.h>
#else
#include <cstring>

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
using IID = GUID;
using REFIID = const IID&;

constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT S_OK = 0;

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
};
#endif

static_assert(sizeof(GUID) == 16, "GUID is 16 bytes");

#if defined(_WIN32) && defined(__i386__)
#define ORB_STDCALL __attribute__((stdcall))
#else
#define ORB_STDCALL
#endif
