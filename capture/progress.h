// The progress window: one step per frame and a remaining-time estimate.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/host_interface.h"

// The title the progress object is created with, by which its window is found.
inline constexpr char progress_title[] = "progress";

// Room for the text with any three 32-bit numbers.
constexpr std::size_t progress_text_size = 64;

// Seconds left if the remaining frames take as long as the done ones did on average.
std::int32_t remaining_seconds(double elapsed, std::int32_t frames_done, std::int32_t total_frames);

// "progress  done/total (remain N sec)" into text (progress_text_size bytes).
void format_progress_text(char* text, std::int32_t frames_done, std::int32_t total_frames, std::int32_t remaining);

// Advances the progress object and refreshes its window's text. False once
// the user has asked to stop: the host raises that from the advance.
bool update_progress(host_progress& progress);
