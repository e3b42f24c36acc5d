// The host's reference-counted base object: IUnknown, then the deleting
// destructor and probe, then the reference count.
//
// The host's compiler gives its virtual destructor a single table slot that
// takes a flag (bit 0: free the storage). GCC would give a C++ virtual
// destructor two slots and shift every later operation, so the slot is an
// ordinary virtual operation, destroy, with that behaviour.
#pragma once

#include <cstdint>

#include "host/com_base.h"

class unknown_interface : public IUnknown {
public:
    // Hands out no interface: always E_NOINTERFACE, and object is left as it was.
    HRESULT ORB_STDCALL QueryInterface(REFIID iid, void** object) override;
    // Plain increments and decrements: the host calls us on one thread only.
    ULONG ORB_STDCALL AddRef() override;
    // The release that reaches 0 destroys the object and frees its storage.
    ULONG ORB_STDCALL Release() override;

    // Ends the object's life; frees its storage when bit 0 of flags is set.
    // Returns the object's address, as the host's deleting destructors do.
    virtual void* destroy(std::uint32_t flags) = 0;
    virtual bool probe();

protected:
    unknown_interface() = default;
    ~unknown_interface() = default;
    unknown_interface(const unknown_interface&) = delete;
    unknown_interface& operator=(const unknown_interface&) = delete;

private:
    std::int32_t refcount = 0;
};
