#include "plugin/unknown_interface.h"

HRESULT ORB_STDCALL unknown_interface::QueryInterface(REFIID, void**) { return E_NOINTERFACE; }

ULONG ORB_STDCALL unknown_interface::AddRef() { return static_cast<ULONG>(++refcount); }

ULONG ORB_STDCALL unknown_interface::Release() {
    const std::int32_t count = --refcount;
    if (count != 0) return static_cast<ULONG>(count);
    destroy(1);
    return 0;
}

bool unknown_interface::probe() { return true; }
