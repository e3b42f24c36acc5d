// The file version as an ELF note (section ".note.qtversion"), the Linux
// counterpart of the Windows version resource: owner "QuickTime", type 1,
// and the two 32-bit words of the Windows fixed file information.
#include <cstdint>

#include "qts_version.h"

namespace {

struct VersionNote {
    std::uint32_t name_size;
    std::uint32_t desc_size;
    std::uint32_t type;
    char name[12];  // "QuickTime" and its terminator, padded to 4 bytes
    std::uint32_t file_version_ms;
    std::uint32_t file_version_ls;
};
static_assert(sizeof(VersionNote) == 32, "note layout has no gaps");

[[gnu::section(".note.qtversion"), gnu::used, gnu::aligned(4)]] const VersionNote version_note{
    10, 8, 1, "QuickTime",
    (std::uint32_t(QTS_VERSION_MAJOR) << 16) | QTS_VERSION_MINOR,
    (std::uint32_t(QTS_VERSION_BUILD) << 16) | QTS_VERSION_REVISION,
};

}  // namespace
