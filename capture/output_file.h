// Where the object movie goes, and where the frames are recorded meanwhile.
#pragma once

#include "platform/platform.h"

enum class OutputChoice {
    chosen,     // both paths filled
    cancelled,  // the user closed the save dialog (or it failed)
    refused,    // no usable temporary path for that choice
};

// Shows the save dialog. On a choice, user_path holds the output file and
// temporary_path the temporary directory followed by the output's file name.
// Both buffers (platform::max_path bytes) are left empty unless the result is chosen.
OutputChoice choose_output_file(char* user_path, char* temporary_path);

// Joins the temporary directory and a file title into temporary_path,
// picking the first free "name~N.ext" when the plain join names an existing
// file or the same file as user_path. False when nothing fitting and free is found.
bool make_temporary_path(const char* directory, const char* title, const char* user_path, char* temporary_path);
