#include <memory>

#include "quicktime/qt_loader.h"
#include "platform/platform.h"

namespace {

// Owns a zero-filled block from the platform's allocator.
struct block_release {
    void operator()(void* block) const { platform::current_platform().free_block(block); }
};
using version_block = std::unique_ptr<void, block_release>;

}  // namespace

void read_file_version(const char* path, std::uint32_t* most_significant, std::uint32_t* least_significant) {
    if (most_significant) *most_significant = 0;
    if (least_significant) *least_significant = 0;
    platform::Platform& os = platform::current_platform();
    const std::uint32_t size = os.version_info_size(path);
    if (size == 0) return;
    version_block block(os.alloc_zeroed(size));
    if (!block || !os.version_info(path, size, block.get())) return;
    std::uint32_t most = 0;
    std::uint32_t least = 0;
    if (!os.query_fixed_file_version(block.get(), &most, &least)) return;
    if (most_significant) *most_significant = most;
    if (least_significant) *least_significant = least;
}
