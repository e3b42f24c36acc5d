// Runs one job on several workers at once: the renderer's way onto every core.
//
// The work is split by the caller into numbered pieces that never touch the
// same memory; workers take the next piece until none is left, so the result
// never depends on how many workers there are or which took what. The
// mingw build's C++ runtime has no std::thread, so each platform starts its
// workers its own way (posix/, win32/).
#pragma once

#include <functional>

namespace simhost {

// The cores this machine offers, at least 1.
int available_cores();

// Calls work(piece, worker) once for every piece in [0, pieces), on up to
// `workers` threads (the caller's own among them), worker being the number
// in [0, workers) of the thread that takes it; returns when all are done.
void run_pieces(int pieces, int workers, const std::function<void(int piece, int worker)>& work);

}  // namespace simhost
