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

// QuickTime and file-system result codes, the one list for the plug-in and the media layer.
constexpr OSErr noErr = 0;
constexpr OSErr unimpErr = -4;          // no routine behind a selector
constexpr OSErr dskFulErr = -34;
constexpr OSErr nsvErr = -35;           // no such volume
constexpr OSErr ioErr = -36;
constexpr OSErr bdNamErr = -37;         // bad file name
constexpr OSErr eofErr = -39;
constexpr OSErr tmfoErr = -42;          // too many files open
constexpr OSErr fnfErr = -43;
constexpr OSErr dupFNErr = -48;         // file name already in use
constexpr OSErr paramErr = -50;
constexpr OSErr rfNumErr = -51;         // file reference number not open
constexpr OSErr permErr = -54;
constexpr OSErr wrPermErr = -61;        // file opened read-only
constexpr OSErr memFullErr = -108;
constexpr OSErr memWZErr = -111;        // block not handed out by NewPtr
constexpr OSErr dirNFErr = -120;        // no such directory
constexpr OSErr couldNotResolveDataRef = -2000;
constexpr OSErr badImageDescription = -2001;
constexpr OSErr invalidMedia = -2008;
constexpr OSErr invalidTrack = -2009;
constexpr OSErr invalidMovie = -2010;
constexpr OSErr invalidDuration = -2014;
constexpr OSErr invalidTime = -2015;
constexpr OSErr userDataItemNotFound = -2026;
constexpr OSErr internalQuickTimeError = -2034;
constexpr OSErr invalidDataRefContainer = -2041;
constexpr OSErr badDataRefIndex = -2050;
constexpr OSErr noDefaultDataRef = -2051;
constexpr OSErr qtNotBoundErr = -2095;  // what every call answers before QuickTime is bound
constexpr OSErr invalidComponentID = -3000;
