// The information record the host receives by value from the info export.
//
// On 32-bit Windows it is the host's 40-byte record (ten 32-bit fields); the
// 64-bit build keeps the same fields with native pointers.
#pragma once

#include <cstdint>

struct plugin_info {
    std::int32_t revision;
    std::int32_t second_revision;
    std::int32_t third_number;
    std::int32_t zero1;
    std::int32_t zero2;
    std::int32_t zero3;
    const char* name;
    const char* author;
    const char* company;
    const char* description;
};

// Ten fields and no padding: the host's 40-byte record where pointers are 32 bits.
static_assert(sizeof(plugin_info) == 6 * sizeof(std::int32_t) + 4 * sizeof(const char*),
              "the host's information record has no padding");

// Every field set, the three zero fields included.
plugin_info describe_plugin();
