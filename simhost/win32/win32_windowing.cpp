// The Windows host's windowing: real windows in place of the simulated ones.
#include <windows.h>
#include <commdlg.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "simhost/host_objects/windowing.h"
#include "simhost/win32/win32_windowing.h"

namespace simhost {

const char* const save_dialog_answer_note = "the host, through the plug-in's import of comdlg32!GetSaveFileNameA";

namespace {

constexpr const char* progress_class_name = "OrbivaneHostProgress";
// Window extra bytes: the owning Windowing, then the window's record id.
constexpr int owner_slot = 0;
constexpr int id_slot = sizeof(LONG_PTR);

// The original record without the Windows 2000 fields, and the full one.
constexpr DWORD record_size_original = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
constexpr DWORD record_size_full = sizeof(OPENFILENAMEA);

// Set while the host's answer to GetSaveFileNameA runs, so the log shows the record.
const OPENFILENAMEA* record_in_progress = nullptr;
HMODULE answered_module = nullptr;

// Set while the window procedure passes a new text on, so that
// set_window_text records it instead of setting it again.
HWND window_being_set = nullptr;

std::string windows_separators(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// Keeps the shown window painted while the command runs on this thread.
void pump_messages() {
    static bool pumping = false;
    if (pumping) return;
    pumping = true;
    MSG message;
    for (int budget = 64; budget > 0 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); --budget) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    pumping = false;
}

LRESULT CALLBACK progress_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_NCCREATE: {
            const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lparam);
            SetWindowLongPtrA(window, owner_slot, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
            break;
        }
        case WM_SETTEXT: {
            const LRESULT done = DefWindowProcA(window, message, wparam, lparam);
            auto* owner = reinterpret_cast<Windowing*>(GetWindowLongPtrA(window, owner_slot));
            if (done && owner && lparam) {
                window_being_set = window;
                owner->set_window_text(window, reinterpret_cast<const char*>(lparam));
                window_being_set = nullptr;
                pump_messages();
            }
            return done;
        }
        case WM_CLOSE:
            return 0;  // the progress object decides when its window goes
        default:
            break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

bool register_progress_class() {
    static const bool registered = [] {
        WNDCLASSEXA kind{};
        kind.cbSize = sizeof kind;
        kind.lpfnWndProc = progress_window_procedure;
        kind.cbWndExtra = 2 * sizeof(LONG_PTR);
        kind.hInstance = GetModuleHandleA(nullptr);
        kind.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        kind.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        kind.lpszClassName = progress_class_name;
        return RegisterClassExA(&kind) != 0;
    }();
    return registered;
}

BOOL WINAPI host_get_save_file_name(OPENFILENAMEA* record) {
    Windowing* windowing = active_windowing();
    if (!record || !windowing) return FALSE;
    record_in_progress = record;
    const int answered = windowing->save_dialog(record->lpstrFilter, record->lpstrDefExt, record->Flags,
                                                record->lpstrFile, record->nMaxFile, record->lpstrFileTitle,
                                                record->nMaxFileTitle);
    record_in_progress = nullptr;
    return answered ? TRUE : FALSE;
}

}  // namespace

ImportPatch answer_save_dialog_of(void* module) {
    void* original = nullptr;
    const ImportPatch result = replace_import(module, "comdlg32.dll", "GetSaveFileNameA",
                                              reinterpret_cast<void*>(&host_get_save_file_name), &original);
    if (result == ImportPatch::replaced) answered_module = static_cast<HMODULE>(module);
    return result;
}

const char* Windowing::check_dialog_record(CallArguments& args, unsigned file_size, unsigned title_size) {
    const OPENFILENAMEA* record = record_in_progress;
    if (!record) return nullptr;
    args.add("record_size", static_cast<std::int32_t>(record->lStructSize));
    args.add_text("owner", record->hwndOwner ? "window" : "none");
    args.add_text("instance", !record->hInstance                    ? "none"
                              : record->hInstance == answered_module ? "the plug-in"
                                                                      : "another module");
    args.add_text("dialog_title", record->lpstrTitle);
    args.add("file_size", static_cast<std::int32_t>(file_size));
    args.add("title_size", static_cast<std::int32_t>(title_size));
    args.add_text("by", save_dialog_answer_note);
    // GetSaveFileNameA refuses any other record size.
    if (record->lStructSize != record_size_original && record->lStructSize != record_size_full)
        return "refused: not an OPENFILENAMEA record";
    return nullptr;
}

// A Windows dialog answers with Windows separators.
std::string Windowing::platform_path(const std::string& answer) { return windows_separators(answer); }

// GetSaveFileNameA takes a record without a file-title buffer.
const bool Windowing::title_buffer_optional = true;

WindowRecord* Windowing::lookup(void* window) {
    const auto handle = static_cast<HWND>(window);
    if (!handle || !IsWindow(handle)) return nullptr;
    char kind[64] = {};
    if (!GetClassNameA(handle, kind, sizeof kind) || std::strcmp(kind, progress_class_name) != 0) return nullptr;
    if (reinterpret_cast<Windowing*>(GetWindowLongPtrA(handle, owner_slot)) != this) return nullptr;
    const auto id = static_cast<std::size_t>(GetWindowLongPtrA(handle, id_slot));
    if (id == 0 || id > windows_.size()) return nullptr;
    WindowRecord& record = windows_[id - 1];
    return record.open ? &record : nullptr;
}

void* Windowing::find_window(const char* title) {
    HWND found = title ? FindWindowA(nullptr, title) : nullptr;
    CallArguments args;
    args.add_text("title", title).add_text("found", found ? "window" : "none");
    log_.add("window", 0, "find_window", std::move(args));
    return found;
}

int Windowing::window_exists(void* window) {
    const bool exists = window && IsWindow(static_cast<HWND>(window));
    CallArguments args;
    args.add("exists", exists);
    log_.add("window", 0, "window_exists", std::move(args));
    return exists ? 1 : 0;
}

int Windowing::set_window_text(void* window, const char* text) {
    WindowRecord* record = lookup(window);
    if (record && text && window != window_being_set)
        // The window procedure sees the new text and records it.
        return SetWindowTextA(static_cast<HWND>(window), text) ? 1 : 0;
    return note_text(record, text);
}

void Windowing::message_beep(unsigned type) {
    beeps_.push_back(type);
    CallArguments args;
    args.add("type", static_cast<std::int32_t>(type));
    log_.add("window", 0, "message_beep", std::move(args));
    MessageBeep(type);
}

void* Windowing::open_window(const std::string& title) {
    WindowRecord record;
    record.id = static_cast<std::uint32_t>(windows_.size() + 1);
    record.title = title;
    HWND window = nullptr;
    if (register_progress_class())
        window = CreateWindowExA(WS_EX_TOOLWINDOW, progress_class_name, title.c_str(), WS_OVERLAPPED | WS_CAPTION,
                                 CW_USEDEFAULT, CW_USEDEFAULT, 420, 64, nullptr, nullptr, GetModuleHandleA(nullptr),
                                 this);
    record.open = window != nullptr;
    windows_.push_back(record);
    CallArguments args;
    args.add_text("title", title).add("created", window != nullptr);
    log_.add("window", 0, "create_window", std::move(args));
    if (!window) return nullptr;
    SetWindowLongPtrA(window, id_slot, static_cast<LONG_PTR>(record.id));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    pump_messages();
    return window;
}

void Windowing::close_window(void* window) {
    WindowRecord* record = lookup(window);
    if (!record) return;
    record->open = false;
    DestroyWindow(static_cast<HWND>(window));
    log_.add("window", 0, "destroy_window", CallArguments().add_text("title", record->title));
    pump_messages();
}

}  // namespace simhost
