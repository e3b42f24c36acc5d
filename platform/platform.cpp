#include "platform/platform.h"

namespace platform {

namespace {
Platform* installed = nullptr;
}

Platform& current_platform() { return installed ? *installed : native_platform(); }

void install_platform(Platform* replacement) { installed = replacement; }

}  // namespace platform
