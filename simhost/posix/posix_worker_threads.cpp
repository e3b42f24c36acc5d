#include <algorithm>
#include <thread>
#include <vector>

#include "simhost/rendering/parallel_work.h"
#include "simhost/rendering/worker_threads.h"

namespace simhost {

int available_cores() { return std::max(1u, std::thread::hardware_concurrency()); }

void run_with_helpers(int helpers, const std::function<void()>& task) {
    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(helpers));
    for (int i = 0; i < helpers; ++i) threads.emplace_back(task);
    task();
    for (std::thread& t : threads) t.join();
}

}  // namespace simhost
