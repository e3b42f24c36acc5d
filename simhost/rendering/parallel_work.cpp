#include "simhost/rendering/parallel_work.h"

#include <algorithm>
#include <atomic>

#include "simhost/rendering/worker_threads.h"

namespace simhost {

void run_pieces(int pieces, int workers, const std::function<void(int, int)>& work) {
    std::atomic<int> next{0}, started{0};
    const std::function<void()> take = [&] {
        const int worker = started++;
        for (int piece = next++; piece < pieces; piece = next++) work(piece, worker);
    };
    const int helpers = std::clamp(workers, 1, std::max(pieces, 1)) - 1;
    run_with_helpers(helpers, take);
}

}  // namespace simhost
