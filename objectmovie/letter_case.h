// File names compared as a file system that ignores letter case compares them: the writer
// must not take a name that differs from the output's only in case, nor write over the frames.
#pragma once

// ASCII letters folded to lower case; every other byte as it is.
inline char fold_case(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
