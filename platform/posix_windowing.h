// The windowing a POSIX host offers the plug-in.
//
// On Linux there is no GetSaveFileNameA, FindWindowA or MessageBeep, so the
// host process exports these C functions and the plug-in's POSIX platform
// looks them up at run time with dlsym(RTLD_DEFAULT, name). A process that
// offers none of them gets a cancelled save dialog, no progress window and a
// terminal bell.
#pragma once

extern "C" {

// Shows the save dialog. filter is pairs of zero-terminated texts ending with
// an empty one; flags are the Windows OFN_* bits. On a choice fills file
// (full path) and title (name and extension) and returns 1; 0 on cancel.
using orbivane_host_save_dialog_fn = int (*)(const char* filter, const char* default_extension, unsigned flags,
                                             char* file, unsigned file_size, char* title, unsigned title_size);
// A top-level window with exactly this title, or null.
using orbivane_host_find_window_fn = void* (*)(const char* title);
// Whether a window handle still names a live window.
using orbivane_host_window_exists_fn = int (*)(void* window);
// Sets a window's text; 1 on success.
using orbivane_host_set_window_text_fn = int (*)(void* window, const char* text);
// Sounds the alert for a MessageBeep type.
using orbivane_host_message_beep_fn = void (*)(unsigned type);
}

#define ORBIVANE_HOST_SAVE_DIALOG "orbivane_host_save_dialog"
#define ORBIVANE_HOST_FIND_WINDOW "orbivane_host_find_window"
#define ORBIVANE_HOST_WINDOW_EXISTS "orbivane_host_window_exists"
#define ORBIVANE_HOST_SET_WINDOW_TEXT "orbivane_host_set_window_text"
#define ORBIVANE_HOST_MESSAGE_BEEP "orbivane_host_message_beep"
