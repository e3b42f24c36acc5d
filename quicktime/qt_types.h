// QuickTime's value types as the plug-in passes them through the dispatcher.
#pragma once

#include <cstdint>

using OSErr = std::int16_t;
using OSType = std::uint32_t;
using Fixed = std::int32_t;
using TimeValue = std::int32_t;
using TimeScale = std::int32_t;
using Ptr = char*;

// Opaque handles; QuickTime owns what they point at.
using Movie = struct OpaqueMovie*;
using Track = struct OpaqueTrack*;
using Media = struct OpaqueMedia*;
using UserData = struct OpaqueUserData*;

constexpr OSType four_cc(const char (&code)[5]) {
    return (OSType(std::uint8_t(code[0])) << 24) | (OSType(std::uint8_t(code[1])) << 16) |
           (OSType(std::uint8_t(code[2])) << 8) | OSType(std::uint8_t(code[3]));
}

// File specification in its Windows form: 262 bytes, packed on 2-byte boundaries.
#pragma pack(push, 2)
struct FSSpec {
    std::int16_t vRefNum;
    std::int32_t parID;
    unsigned char name[256];  // length byte, then up to 255 characters
};
#pragma pack(pop)
static_assert(sizeof(FSSpec) == 262, "FSSpec is 262 bytes");

// Error codes the plug-in produces or tests for.
constexpr OSErr noErr = 0;
constexpr OSErr paramErr = -50;
constexpr OSErr fnfErr = -43;
constexpr OSErr memFullErr = -108;
constexpr OSErr couldNotResolveDataRef = -2000;
constexpr OSErr invalidMovie = -2010;
constexpr OSErr userDataItemNotFound = -2026;
constexpr OSErr badDataRefIndex = -2050;
constexpr OSErr qtNotBoundErr = -2095;  // what every call answers before QuickTime is bound
