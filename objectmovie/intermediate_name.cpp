#include "objectmovie/intermediate_name.h"

#include <string>

#include "objectmovie/letter_case.h"
#include "platform/platform.h"

char derived_last_character(char last) { return last == 't' ? '@' : 't'; }

namespace {

// Characters tried after the derived one; all valid in Windows and POSIX names.
constexpr char fallback_characters[] = "@t0123456789abcdefghijklmnopqrsuvwxyz_-";

// The first free candidate whose last character is neither the output's nor `taken`.
OSErr choose_sibling(const FSSpec& output, const char* output_path, char taken, FSSpec& sibling) {
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
        if (fold_case(c) == fold_case(last) || c == taken) continue;
        if (i > 0 && c == derived) continue;
        candidate_path.back() = c;
        if (os.path_exists(candidate_path.c_str())) continue;
        sibling = output;
        sibling.name[length] = static_cast<unsigned char>(c);
        return noErr;
    }
    return dupFNErr;
}

}  // namespace

OSErr choose_intermediate_file(const FSSpec& output, const char* output_path, FSSpec& intermediate) {
    return choose_sibling(output, output_path, '\0', intermediate);
}

OSErr choose_flattened_file(const FSSpec& output, const char* output_path, const FSSpec& intermediate,
                            FSSpec& flattened) {
    return choose_sibling(output, output_path, static_cast<char>(intermediate.name[output.name[0]]), flattened);
}

std::string sibling_path(const char* output_path, const FSSpec& sibling) {
    std::string path(output_path);
    if (!path.empty() && sibling.name[0] > 0) path.back() = static_cast<char>(sibling.name[sibling.name[0]]);
    return path;
}
