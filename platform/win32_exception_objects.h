// Exception objects the plug-in hands to a host built with Microsoft's
// compiler. Private to platform/.
//
// The host's runtime ends an exception object after the catch that took it by
// calling the destructor its throw record names. Each object made here gets a
// throw record of its own whose destructor entry ends the object and then
// frees its storage, so every exception owns its object however the host's
// catches nest, re-enter the plug-in or run on other threads.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32_host_exception.h"

namespace platform::msvc {

// Storage for an object of size bytes at an address aligned to alignment (a
// power of two), under a throw record that describes it as thrown_type does
// and ends it with thrown_type's destructor. Null when memory is short.
void* new_exception_object(std::size_t size, std::size_t alignment, const throw_info& thrown_type);
// The throw record of an object from new_exception_object.
const throw_info& own_throw_record(const void* object);
// Ends an object from new_exception_object as the host's runtime would.
void end_exception_object(void* object);

// The type_info table of the host's C++ runtime, which faithful type
// descriptors point at; null when none is loaded (catch clauses match by the
// descriptors' names, so that is no harm).
const void* host_type_info_table();

// The parameters of a raise of 0xE06D7363 that the host's catch (const
// std::bad_alloc&) takes, and its catch (const std::exception&) with what()
// "bad allocation". Needs no memory.
void bad_alloc_for_host(std::uintptr_t (&parameters)[3]);
// The same for a std::exception whose what() is what (copied); a
// std::bad_alloc instead when memory is short.
void exception_for_host(const char* what, std::uintptr_t (&parameters)[3]);

}  // namespace platform::msvc
