#include "platform/platform.h"

#include "platform/native_platform.h"

namespace platform {

namespace {
Platform* installed = nullptr;
}

Platform& current_platform() { return installed ? *installed : native_platform(); }

void install_platform(Platform* replacement) { installed = replacement; }

std::time_t NativePlatform::calendar_time() { return std::time(nullptr); }

}  // namespace platform
