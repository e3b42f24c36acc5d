// The library entry records the module handle at process attach and nothing else.
#include <gtest/gtest.h>

#include "plugin/library_notification.h"
#include "plugin/module_instance.h"

namespace {

TEST(LibraryNotification, AnswersOneForEveryReasonAndRecordsTheHandleOnlyOnAttach) {
    int handles[4];
    void* const before = module_instance;
    struct Case {
        std::uint32_t reason;
        void* expected_after;
    };
    // Detach, thread attach and thread detach leave the stored handle as it was.
    const Case cases[] = {{0, before}, {2, before}, {3, before}, {1, &handles[1]}, {0, &handles[1]},
                          {2, &handles[1]}, {3, &handles[1]}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(handle_library_notification(&handles[c.reason], c.reason, nullptr), 1);
        EXPECT_EQ(module_instance, c.expected_after);
    }
    module_instance = before;
}

}  // namespace
