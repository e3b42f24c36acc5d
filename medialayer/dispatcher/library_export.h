// Marks the few functions the library exports. Windows takes its list from
// QuickTime.def; on Linux the version script keeps everything else local.
#pragma once

#ifdef _WIN32
#define QTS_EXPORT
#else
#define QTS_EXPORT __attribute__((visibility("default")))
#endif
