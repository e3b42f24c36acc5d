#include "simhost/rendering/colour_names.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace simhost {

namespace {

const std::pair<const char*, Rgb> named[] = {
    {"white", {255, 255, 255}},  {"black", {0, 0, 0}},         {"grey", {128, 128, 128}},
    {"gray", {128, 128, 128}},   {"light-grey", {211, 211, 211}}, {"dark-grey", {64, 64, 64}},
    {"red", {255, 0, 0}},        {"green", {0, 128, 0}},       {"blue", {0, 0, 255}},
    {"yellow", {255, 255, 0}},   {"cyan", {0, 255, 255}},      {"magenta", {255, 0, 255}},
    {"slate", {38, 42, 52}},
};

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

std::optional<Rgb> colour_named(const std::string& text) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const auto& [name, colour] : named)
        if (lower == name) return colour;
    if (text.size() != 7 && text.size() != 4) return std::nullopt;
    if (text[0] != '#') return std::nullopt;
    int digits[6];
    for (std::size_t i = 1; i < text.size(); ++i)
        if ((digits[i - 1] = hex_digit(text[i])) < 0) return std::nullopt;
    auto level = [&](int i) {
        return static_cast<std::uint8_t>(text.size() == 7 ? digits[i * 2] * 16 + digits[i * 2 + 1] : digits[i] * 17);
    };
    return Rgb{level(0), level(1), level(2)};
}

std::string colour_names() {
    std::string list;
    for (const auto& [name, colour] : named) list += (list.empty() ? "" : ", ") + std::string(name);
    return list;
}

}  // namespace simhost
