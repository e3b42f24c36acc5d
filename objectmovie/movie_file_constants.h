// File-creation arguments shared by the writer's two movie files.
#pragma once

#include <cstdint>

#include "quicktime/qt_types.h"

// Creator of the files the writer makes: the QuickTime player.
constexpr OSType player_creator = four_cc("TVOD");

// Bit 31 replaces an existing file of the same name; bit 28 makes no resource
// fork, so the movie lives in the data fork.
constexpr std::int32_t replace_without_resource_fork = static_cast<std::int32_t>(0x90000000u);

// Resource id that asks AddMovieResource for the data fork.
constexpr std::int16_t movie_in_data_fork = -1;
