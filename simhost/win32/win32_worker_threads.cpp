#include <windows.h>

#include <vector>

#include "simhost/rendering/parallel_work.h"
#include "simhost/rendering/worker_threads.h"

namespace simhost {

namespace {

DWORD WINAPI run_task(void* task) {
    (*static_cast<const std::function<void()>*>(task))();
    return 0;
}

}  // namespace

int available_cores() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? static_cast<int>(info.dwNumberOfProcessors) : 1;
}

// A helper that cannot be started leaves its share to the others.
void run_with_helpers(int helpers, const std::function<void()>& task) {
    std::vector<HANDLE> threads;
    for (int i = 0; i < helpers; ++i) {
        HANDLE thread = CreateThread(nullptr, 0, run_task, const_cast<std::function<void()>*>(&task), 0, nullptr);
        if (thread) threads.push_back(thread);
    }
    task();
    for (HANDLE thread : threads) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
}

}  // namespace simhost
