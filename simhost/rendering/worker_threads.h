// The platform's part of parallel_work.h: runs `task` on `helpers` new threads
// and on the calling thread, and returns when every one of them has finished.
#pragma once

#include <functional>

namespace simhost {

void run_with_helpers(int helpers, const std::function<void()>& task);

}  // namespace simhost
