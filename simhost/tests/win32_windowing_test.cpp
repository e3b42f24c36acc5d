// The Windows host's windowing: real progress windows found by title, their
// texts seen by the window procedure, and the save dialog answered through a
// module's own GetSaveFileNameA import (this test program's, here).
#include <windows.h>
#include <commdlg.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simhost/host_objects/windowing.h"
#include "simhost/win32/win32_windowing.h"

namespace simhost {
namespace {

const CallRecord* last_record(const CallLog& log, const char* operation) {
    const CallRecord* found = nullptr;
    for (const CallRecord& r : log.records())
        if (r.operation == operation) found = &r;
    return found;
}

class Win32Windowing : public ::testing::Test {
protected:
    void SetUp() override { set_active_windowing(&windowing); }
    void TearDown() override { set_active_windowing(nullptr); }

    CallLog log;
    Windowing windowing{log};
};

TEST_F(Win32Windowing, TheProgressWindowIsARealTopLevelWindowFoundByItsTitle) {
    std::vector<std::string> seen;
    windowing.on_text = [&seen](const std::string& text) { seen.push_back(text); };
    void* window = windowing.open_window("progress");
    ASSERT_NE(window, nullptr) << "no window: is there a display?";
    EXPECT_EQ(FindWindowA(nullptr, "progress"), static_cast<HWND>(window));
    char title[64] = {};
    GetWindowTextA(static_cast<HWND>(window), title, sizeof title);
    EXPECT_STREQ(title, "progress");

    // The plug-in's own call, not the host's: the window procedure sees it.
    ASSERT_TRUE(SetWindowTextA(static_cast<HWND>(window), "progress  1/3 (remain 2 sec)"));
    ASSERT_TRUE(SetWindowTextA(static_cast<HWND>(window), "progress  2/3 (remain 1 sec)"));
    const std::vector<std::string> expected{"progress  1/3 (remain 2 sec)", "progress  2/3 (remain 1 sec)"};
    EXPECT_EQ(windowing.windows().at(0).texts, expected);
    EXPECT_EQ(windowing.windows().at(0).title, expected.back());
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(log.count("window", "set_window_text"), 2u);
    // Renamed, it is no longer found under its first title: the plug-in must keep the handle.
    EXPECT_EQ(FindWindowA(nullptr, "progress"), nullptr);

    // Only the host closes it.
    SendMessageA(static_cast<HWND>(window), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(static_cast<HWND>(window)));
    EXPECT_EQ(windowing.window_exists(window), 1);

    windowing.close_window(window);
    EXPECT_FALSE(IsWindow(static_cast<HWND>(window)));
    EXPECT_EQ(windowing.window_exists(window), 0);
    EXPECT_FALSE(windowing.windows().at(0).open);
    EXPECT_EQ(windowing.set_window_text(window, "late"), 0);
    EXPECT_EQ(windowing.windows().at(0).texts.size(), 2u);
}

TEST_F(Win32Windowing, TheHostsOwnTextChangeIsRecordedOnceAndWindowsAreKeptApart) {
    void* first = windowing.open_window("progress");
    void* second = windowing.open_window("other");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(windowing.set_window_text(second, "changed"), 1);
    EXPECT_TRUE(windowing.windows().at(0).texts.empty());
    EXPECT_EQ(windowing.windows().at(1).texts, std::vector<std::string>{"changed"});
    char title[32] = {};
    GetWindowTextA(static_cast<HWND>(second), title, sizeof title);
    EXPECT_STREQ(title, "changed");
    // A window of another class is not the host's to record.
    HWND foreign = CreateWindowExA(0, "STATIC", "foreign", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                   nullptr);
    ASSERT_NE(foreign, nullptr);
    EXPECT_EQ(windowing.set_window_text(foreign, "x"), 0);
    DestroyWindow(foreign);
    windowing.close_window(first);
    windowing.close_window(second);
}

// The plug-in's call. Each call reads the import's slot afresh (the compiler
// may otherwise keep a slot read before the host replaced it).
__attribute__((noipa)) BOOL show_save_dialog(OPENFILENAMEA* record) { return GetSaveFileNameA(record); }

// The record the plug-in fills, as Windows defines it.
struct SaveRecord {
    char file[260] = {};
    char title[260] = {};
    OPENFILENAMEA record{};

    SaveRecord() {
        record.lStructSize = 76;
        record.hInstance = GetModuleHandleA(nullptr);
        record.lpstrFilter = "QTVR Object file\0*.mov\0";
        record.lpstrFile = file;
        record.nMaxFile = sizeof file;
        record.lpstrFileTitle = title;
        record.nMaxFileTitle = sizeof title;
        record.Flags = OFN_OVERWRITEPROMPT;
        record.lpstrDefExt = "mov";
    }
};

TEST_F(Win32Windowing, TheSaveDialogIsAnsweredThroughTheModulesOwnImport) {
    ASSERT_EQ(answer_save_dialog_of(GetModuleHandleA(nullptr)), ImportPatch::replaced);
    const struct {
        const char* what;
        std::optional<std::string> answer;
        void (*adjust)(SaveRecord&);
        bool chosen;
        const char* file;
        const char* title;
        const char* logged;
    } cases[] = {
        {"the original record", "Z:/out/vase", [](SaveRecord&) {}, true, "Z:\\out\\vase.mov", "vase.mov",
         "answer=\"Z:\\out\\vase.mov\""},
        {"the record with the Windows 2000 fields", "Z:/out/pot.mov",
         [](SaveRecord& s) { s.record.lStructSize = sizeof(OPENFILENAMEA); }, true, "Z:\\out\\pot.mov", "pot.mov",
         "record_size=88"},
        {"no title buffer", "Z:/out/pot.mov", [](SaveRecord& s) { s.record.lpstrFileTitle = nullptr; }, true,
         "Z:\\out\\pot.mov", "", "answer=\"Z:\\out\\pot.mov\""},
        {"a record of another size", "Z:/out/pot.mov", [](SaveRecord& s) { s.record.lStructSize = 60; }, false, "", "",
         "refused"},
        {"a file buffer too small", "Z:/out/pot.mov", [](SaveRecord& s) { s.record.nMaxFile = 8; }, false, "", "",
         "buffer too small"},
        {"the user cancels", std::nullopt, [](SaveRecord&) {}, false, "", "", "answer=\"cancel\""},
    };
    for (const auto& c : cases) {
        SaveRecord s;
        c.adjust(s);
        windowing.save_answer = c.answer;
        EXPECT_EQ(show_save_dialog(&s.record) != 0, c.chosen) << c.what;
        EXPECT_STREQ(s.file, c.file) << c.what;
        EXPECT_STREQ(s.title, c.title) << c.what;
        const CallRecord* logged = last_record(log, "save_dialog");
        ASSERT_NE(logged, nullptr) << c.what;
        EXPECT_NE(logged->arguments.find(c.logged), std::string::npos) << c.what << ": " << logged->arguments;
        EXPECT_NE(logged->arguments.find("filter=\"QTVR Object file | *.mov\""), std::string::npos) << c.what;
        EXPECT_NE(logged->arguments.find("instance=\"the plug-in\""), std::string::npos) << c.what;
    }
}

}  // namespace
}  // namespace simhost
