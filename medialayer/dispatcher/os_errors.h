// Result codes the dispatcher answers beyond those the movie core already names.
#pragma once

#include "medialayer/src/movie_model.h"

namespace medialayer::dispatch {

constexpr OSErr unimpErr = -4;        // no routine behind this selector
constexpr OSErr nsvErr = -35;         // an FSSpec record names a volume we never issued
constexpr OSErr bdNamErr = -37;       // empty name, name over 255 bytes, or a separator inside a name
constexpr OSErr tmfoErr = -42;        // every file reference number is in use
constexpr OSErr rfNumErr = -51;       // file reference number not open
constexpr OSErr wrPermErr = -61;      // file opened read-only
constexpr OSErr memWZErr = -111;      // DisposePtr of a block NewPtr never handed out
constexpr OSErr dirNFErr = -120;      // an FSSpec record names a directory we never issued
constexpr OSErr noDefaultDataRef = -2051;
constexpr OSErr internalQuickTimeError = -2034;
constexpr OSErr invalidComponentID = -3000;

}  // namespace medialayer::dispatch
