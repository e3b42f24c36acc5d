// The windowing functions this process exports, found the way the plug-in
// finds them: dlsym(RTLD_DEFAULT) by name.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "host/host_ref.h"
#include "platform/posix_windowing.h"
#include "simhost/host_objects/session.h"

namespace simhost {
namespace {

struct HostWindowing {
    orbivane_host_save_dialog_fn save_dialog;
    orbivane_host_find_window_fn find_window;
    orbivane_host_window_exists_fn window_exists;
    orbivane_host_set_window_text_fn set_window_text;
    orbivane_host_message_beep_fn message_beep;
};

HostWindowing exported() {
    return {reinterpret_cast<orbivane_host_save_dialog_fn>(dlsym(RTLD_DEFAULT, ORBIVANE_HOST_SAVE_DIALOG)),
            reinterpret_cast<orbivane_host_find_window_fn>(dlsym(RTLD_DEFAULT, ORBIVANE_HOST_FIND_WINDOW)),
            reinterpret_cast<orbivane_host_window_exists_fn>(dlsym(RTLD_DEFAULT, ORBIVANE_HOST_WINDOW_EXISTS)),
            reinterpret_cast<orbivane_host_set_window_text_fn>(dlsym(RTLD_DEFAULT, ORBIVANE_HOST_SET_WINDOW_TEXT)),
            reinterpret_cast<orbivane_host_message_beep_fn>(dlsym(RTLD_DEFAULT, ORBIVANE_HOST_MESSAGE_BEEP))};
}

const char filter[] = "QTVR Object file\0*.mov\0";

TEST(Windowing, EveryFunctionIsExportedToThePlugIn) {
    const HostWindowing w = exported();
    EXPECT_NE(w.save_dialog, nullptr);
    EXPECT_NE(w.find_window, nullptr);
    EXPECT_NE(w.window_exists, nullptr);
    EXPECT_NE(w.set_window_text, nullptr);
    EXPECT_NE(w.message_beep, nullptr);
}

TEST(Windowing, SaveDialogAnswersPathAndTitleAddingTheDefaultExtension) {
    struct Case {
        std::optional<std::string> answer;
        unsigned file_size;
        int result;
        const char* path;
        const char* title;
    } cases[] = {
        {"/out/vase.mov", 260, 1, "/out/vase.mov", "vase.mov"},
        {"/out/vase", 260, 1, "/out/vase.mov", "vase.mov"},
        {"/out.d/vase.qt", 260, 1, "/out.d/vase.qt", "vase.qt"},
        {"/out/vase.mov", 10, 0, "", ""},  // does not fit: the dialog fails
        {std::nullopt, 260, 0, "", ""},    // the user cancels
    };
    for (const Case& c : cases) {
        SessionOptions o;
        o.save_path = c.answer;
        Session session(std::move(o));
        char file[260] = {}, title[260] = {};
        int result = -1;
        session.run_command([&](host_scene*) {
            result = exported().save_dialog(filter, "mov", 2, file, c.file_size, title, sizeof title);
        });
        EXPECT_EQ(result, c.result) << c.path;
        EXPECT_STREQ(file, c.path);
        EXPECT_STREQ(title, c.title);
        const std::vector<CallRecord> calls = session.calls().of("window", "save_dialog");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_NE(calls[0].arguments.find("QTVR Object file | *.mov"), std::string::npos) << calls[0].arguments;
    }
}

TEST(Windowing, ProgressWindowLivesWithItsObjectAndTakesItsText) {
    Session session;
    const HostWindowing w = exported();
    void* window = nullptr;
    const CommandResult result = session.run_command([&](host_scene* s) {
        EXPECT_EQ(w.find_window("progress"), nullptr);
        {
            host_ref<host_progress> p(s->create_progress("progress", 0, 0));
            window = w.find_window("progress");
            ASSERT_NE(window, nullptr);
            EXPECT_EQ(w.window_exists(window), 1);
            EXPECT_EQ(w.set_window_text(window, "progress  1/312 (remain 933 sec)"), 1);
            // Renamed: no longer found by its old title, still there.
            EXPECT_EQ(w.find_window("progress"), nullptr);
            EXPECT_EQ(w.window_exists(window), 1);
        }
        EXPECT_EQ(w.window_exists(window), 0);
        EXPECT_EQ(w.set_window_text(window, "too late"), 0);
        // A new progress object gets a new window; the old handle stays dead.
        host_ref<host_progress> again(s->create_progress("progress", 0, 0));
        EXPECT_NE(w.find_window("progress"), window);
        EXPECT_EQ(w.window_exists(window), 0);
    });
    EXPECT_TRUE(result.ok()) << result.exception << result.audit.text();
    ASSERT_EQ(session.windowing().windows().size(), 2u);
    EXPECT_EQ(session.windowing().windows()[0].texts, std::vector<std::string>{"progress  1/312 (remain 933 sec)"});
}

TEST(Windowing, BeepsAreCountedAndOutsideACommandNothingAnswers) {
    Session session;
    const HostWindowing w = exported();
    session.run_command([&](host_scene*) {
        w.message_beep(0);
        w.message_beep(0x40);
    });
    EXPECT_EQ(session.windowing().beeps(), (std::vector<unsigned>{0, 0x40}));
    char file[260] = "untouched", title[260] = "untouched";
    EXPECT_EQ(w.save_dialog(filter, "mov", 2, file, sizeof file, title, sizeof title), 0);
    EXPECT_STREQ(file, "untouched");
    EXPECT_EQ(w.find_window("progress"), nullptr);
}

}  // namespace
}  // namespace simhost
