// Dispatcher selectors of the QuickTime routines the plug-in calls.
//
// The high half names the routine group (0x2 movies, tracks, media and user
// data; 0x15 memory; 0x1D media layer), the low half the routine.
#pragma once

#include <cstdint>

namespace qt_selector {
constexpr std::uint32_t NativePathNameToFSSpec = 0x1D002E;
constexpr std::uint32_t CreateMovieFile = 0x20191;
constexpr std::uint32_t OpenMovieFile = 0x20192;
constexpr std::uint32_t NewMovieFromFile = 0x200F0;
constexpr std::uint32_t SetMoviePlayHints = 0x201A1;
constexpr std::uint32_t ClearMoviesStickyError = 0x200DE;
constexpr std::uint32_t GetMovieIndTrackType = 0x20208;
constexpr std::uint32_t GetTrackMedia = 0x20062;
constexpr std::uint32_t GetTrackDimensions = 0x2005D;
constexpr std::uint32_t GetTrackVolume = 0x20054;
constexpr std::uint32_t NewMovieTrack = 0x20188;
constexpr std::uint32_t GetMediaHandlerDescription = 0x2006F;
constexpr std::uint32_t GetMediaTimeScale = 0x20068;
constexpr std::uint32_t NewTrackMedia = 0x2018E;
constexpr std::uint32_t GetTrackDuration = 0x2004B;
constexpr std::uint32_t InsertTrackSegment = 0x20085;
constexpr std::uint32_t CopyTrackSettings = 0x20153;
constexpr std::uint32_t GetTrackLayer = 0x20050;
constexpr std::uint32_t SetTrackLayer = 0x20051;
constexpr std::uint32_t SetTrackEnabled = 0x20046;
constexpr std::uint32_t GetMoviesStickyError = 0x20004;
constexpr std::uint32_t GetMovieNextInterestingTime = 0x2010E;
constexpr std::uint32_t GetMovieTime = 0x20039;
constexpr std::uint32_t NewPtr = 0x150011;
constexpr std::uint32_t GetMovieUserData = 0x2003E;
constexpr std::uint32_t SetUserDataItem = 0x2012E;
constexpr std::uint32_t SetMoviePosterTime = 0x20036;
constexpr std::uint32_t SetMovieTimeValue = 0x2003D;
constexpr std::uint32_t SetMoviePreviewTime = 0x20034;
constexpr std::uint32_t AddMovieResource = 0x200D7;
constexpr std::uint32_t DisposePtr = 0x15002F;
constexpr std::uint32_t CloseMovieFile = 0x200D5;
constexpr std::uint32_t DisposeMovie = 0x20023;
constexpr std::uint32_t FlattenMovieData = 0x2019C;
constexpr std::uint32_t DeleteMovieFile = 0x20175;
constexpr std::uint32_t QTMLReferenceQuery = 0x1D0059;
}  // namespace qt_selector
