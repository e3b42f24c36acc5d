// Where the not-yet-flattened movie, and then the flattened one, are written:
// beside the output file, under the output's name with a different last character.
#pragma once

#include <string>

#include "quicktime/qt_types.h"

// The derived last character: '@' for 't', 't' for anything else.
char derived_last_character(char last);

// Fills `intermediate` with the output's file record whose name's last
// character is the derived one, unless a file already has that name: then it
// keeps varying the last character until the name is free, so the writer
// never replaces (or later deletes) a file it did not create.
//
// `output_path` is the native path `output` was made from; its last character
// is the name's last character, and existence is tested on it with that
// character replaced. A name that differs from the output's only in letter
// case is skipped: where the file system ignores case it is the output itself.
// Returns noErr; paramErr for an empty name or a path that does not end in the
// name's last character; dupFNErr when every candidate is taken.
OSErr choose_intermediate_file(const FSSpec& output, const char* output_path, FSSpec& intermediate);

// The same search for a second free name, one whose last character is not the
// intermediate's either: where the flattened movie waits to replace the output.
OSErr choose_flattened_file(const FSSpec& output, const char* output_path, const FSSpec& intermediate,
                            FSSpec& flattened);

// The native path of a file chosen above: output_path with the name's new last character.
std::string sibling_path(const char* output_path, const FSSpec& sibling);
