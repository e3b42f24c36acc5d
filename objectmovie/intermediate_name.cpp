#include "objectmovie/intermediate_name.h"

#include <string>

#include "platform/platform.h"

namespace {

// Characters tried after the derived one; all valid in Windows and POSIX names.
constexpr char fallback_characters[] = "@t0123456789abcdefghijklmnopqrsuvwxyz_-";

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

char derived_last_character(char last) { return last == 't' ? '@' : 't'; }

OSErr choose_intermediate_file(const FSSpec& output, const char* output_path, FSSpec& intermediate) {
    const unsigned length = output.name[0];
    if (length == 0 || !output_path) return paramErr;
    std::string candidate_path(output_path);
    const char last = char(output.name[length]);
    if (candidate_path.empty() || candidate_path.back() != last) return paramErr;

    const char derived = derived_last_character(last);
    std::string candidates(1, derived);
    candidates += fallback_characters;

    platform::Platform& os = platform::current_platform();
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const char c = candidates[i];
        if (lower(c) == lower(last)) continue;
        if (i > 0 && c == derived) continue;
        candidate_path.back() = c;
        if (os.path_exists(candidate_path.c_str())) continue;
        intermediate = output;
        intermediate.name[length] = static_cast<unsigned char>(c);
        return noErr;
    }
    return dupFNErr;
}
