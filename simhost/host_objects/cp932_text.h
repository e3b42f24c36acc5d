// The plug-in hands the host texts in code page 932; people read UTF-8.
#pragma once

#include <string>

namespace simhost {

// UTF-8 for a code-page-932 text. Bytes that do not convert are shown as \xNN,
// so a wrong label is visible rather than silently dropped.
std::string utf8_from_cp932(const std::string& text);

}  // namespace simhost
