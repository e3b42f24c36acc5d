// The library's own module instance handle, recorded when the process attaches.
#pragma once

extern void* module_instance;
