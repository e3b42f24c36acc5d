// The windows a plug-in sees on the Windows host are real ones: the progress
// window is a top-level window the host creates for each progress object
// (the plug-in finds it with FindWindowA and sets its text with
// SetWindowTextA; the host notes each text from its window procedure), and
// the save dialog is the plug-in's own GetSaveFileNameA call, answered by the
// host.
//
// Why the host answers the dialog rather than a script typing into it: the
// answer is the same on every run and there is no timing to get wrong, so an
// unattended run cannot hang on a dialog nobody sees. The plug-in keeps the
// real call; the host points the plug-in's import of
// comdlg32!GetSaveFileNameA at its own answer right after loading it, checks
// the OPENFILENAMEA record it receives and answers from --out.
#pragma once

#include "simhost/win32/win32_import_patch.h"

namespace simhost {

// Makes `module`'s calls of GetSaveFileNameA reach the host's answer.
ImportPatch answer_save_dialog_of(void* module);

// What the call log and --trace say about who answers the save dialog.
extern const char* const save_dialog_answer_note;

}  // namespace simhost
