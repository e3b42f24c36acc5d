#include "objecttool/view_selection.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include <filesystem>

#include "commandkit/output_file.h"
#include "commandkit/output_policy.h"
#include "commandkit/output_system.h"
#include "objecttool/object_movie.h"
#include "objecttool/tool_error.h"
#include "quicktime/qt_types.h"

namespace objecttool {

namespace {

constexpr std::uint32_t navg_type = four_cc("NAVG");
constexpr std::uint32_t ctyp_type = four_cc("ctyp");
constexpr std::uint32_t standard_object_controller = four_cc("stna");

// Byte offsets of the record's fields that describe the grid.
constexpr std::size_t columns_at = 2, rows_at = 4, start_pan_at = 20, end_pan_at = 24, end_tilt_at = 28,
                      start_tilt_at = 32, initial_pan_at = 36, initial_tilt_at = 40;

void put16(std::vector<std::uint8_t>& b, std::size_t at, int value) {
    b[at] = std::uint8_t(std::uint16_t(value) >> 8);
    b[at + 1] = std::uint8_t(value);
}

void put_degrees(std::vector<std::uint8_t>& b, std::size_t at, double degrees) {
    const auto v = std::uint32_t(std::int32_t(std::lround(degrees * 65536.0)));
    for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = std::uint8_t(v >> (24 - 8 * i));
}

std::optional<int> whole_number(const char* first, const char* last) {
    int value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last) return std::nullopt;
    return value;
}

// The chosen indices (from 0) of `count` columns or rows, checked: inside the
// grid and a whole step apart, counted round the turn when `wraps`.
struct Choice {
    std::vector<int> indices;
    int step = 1;
};

Choice checked_choice(const std::vector<int>& numbers, int count, bool wraps, const char* noun, const char* nouns) {
    Choice choice;
    if (numbers.empty()) {
        for (int i = 0; i < count; ++i) choice.indices.push_back(i);
        return choice;
    }
    if (numbers.size() > std::size_t(count))
        throw tool_error("More " + std::string(nouns) + " are chosen (" + std::to_string(numbers.size()) +
                         ") than the movie has (" + std::to_string(count) + ").");
    for (int n : numbers) {
        if (n < 1 || n > count)
            throw tool_error(std::string(noun) + " " + std::to_string(n) + " is not in the movie, which has " +
                             std::to_string(count) + " " + nouns + " (numbered from 1).");
        choice.indices.push_back(n - 1);
    }
    for (std::size_t i = 1; i < choice.indices.size(); ++i) {
        int step = choice.indices[i] - choice.indices[i - 1];
        if (wraps && step <= 0) step += count;
        if (i == 1) choice.step = step;
        // Round a turn no view may come twice: the chosen views span less than the whole grid.
        if (step <= 0 || step != choice.step || std::int64_t(step) * std::int64_t(i) >= count)
            throw tool_error(std::string("The chosen ") + nouns +
                             " must follow each other at one step in rising order (as 1-12 or 1,3,5 do): object "
                             "players place the views of a movie at equal angles.");
    }
    return choice;
}

std::string write_error_sentence(const std::string& path, medialayer::OSErr err) {
    switch (err) {
    case fnfErr:
    case dirNFErr: return "Cannot write " + path + ": its folder does not exist.";
    case permErr:
    case wrPermErr: return "Cannot write " + path + ": permission denied.";
    case dskFulErr: return "Cannot write " + path + ": the disk is full.";
    default: return "Cannot write " + path + " (error " + std::to_string(err) + ").";
    }
}

int position_of(const std::vector<int>& indices, int wanted) {
    for (std::size_t i = 0; i < indices.size(); ++i)
        if (indices[i] == wanted) return int(i);
    return 0;
}

}  // namespace

std::optional<std::vector<int>> parse_view_numbers(const std::string& text) {
    std::vector<int> numbers;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const char* first = text.data() + start;
        const char* last = text.data() + comma;
        const char* dash = std::find(first, last, '-');
        const auto low = whole_number(first, dash);
        const auto high = dash == last ? low : whole_number(dash + 1, last);
        if (!low || !high || *low > *high || *high - *low > std::numeric_limits<std::int16_t>::max()) return std::nullopt;
        for (int n = *low; n <= *high; ++n) numbers.push_back(n);
        if (comma == text.size()) break;
        start = comma + 1;
    }
    return numbers;
}

void write_view_selection(const std::string& movie_path, const std::string& out_path, const SelectOptions& options) {
    ObjectMovie movie(movie_path);
    movie.require_object_grid();
    const ObjectRecord& record = *movie.record();
    const Choice columns = checked_choice(options.columns, movie.columns(), record.pan_wraps(), "Column", "columns");
    const Choice rows = checked_choice(options.rows, movie.rows(), false, "Row", "rows");
    const int new_columns = int(columns.indices.size()), new_rows = int(rows.indices.size());

    // Angles as object players derive them from the source's record.
    const double pan_step = new_columns > 1 ? record.pan_at(columns.step) - record.pan_at(0) : 0;
    const double start_pan = record.pan_at(columns.indices.front());
    const bool whole_turn = record.pan_wraps() && new_columns * columns.step == movie.columns();
    const double end_pan = whole_turn ? start_pan + 360.0 : start_pan + pan_step * (new_columns - 1);
    const double start_tilt = record.tilt_at(rows.indices.front()), end_tilt = record.tilt_at(rows.indices.back());
    // The source's initial view where it was chosen, else the first chosen column or row.
    const int initial_column = position_of(columns.indices, record.initial_column());
    const int initial_row = position_of(rows.indices, record.initial_row());

    std::vector<std::uint8_t> navg;
    for (const auto& item : movie.reader().user_data())
        if (item.type == navg_type) {
            navg = item.data;
            break;
        }
    put16(navg, columns_at, new_columns);
    put16(navg, rows_at, new_rows);
    put_degrees(navg, start_pan_at, start_pan);
    put_degrees(navg, end_pan_at, end_pan);
    put_degrees(navg, start_tilt_at, start_tilt);
    put_degrees(navg, end_tilt_at, end_tilt);
    put_degrees(navg, initial_pan_at, start_pan + pan_step * initial_column);
    put_degrees(navg, initial_tilt_at, record.tilt_at(rows.indices[std::size_t(initial_row)]));

    medialayer::SampleSelection selection;
    selection.track = movie.video_index();
    const int per_view = record.frames_per_view;
    for (int row : rows.indices)
        for (int column : columns.indices)
            for (int k = 0; k < per_view; ++k) selection.samples.push_back(movie.frame_sample(column, row) + std::uint32_t(k));
    // The new record and controller type replace the source's items; every other item goes along.
    const std::vector<std::uint8_t> controller = {std::uint8_t(standard_object_controller >> 24),
                                                  std::uint8_t(standard_object_controller >> 16),
                                                  std::uint8_t(standard_object_controller >> 8),
                                                  std::uint8_t(standard_object_controller)};
    bool record_written = false, controller_written = false;
    for (const auto& item : movie.reader().user_data()) {
        if (item.type == navg_type) {
            if (!record_written) selection.user_data.push_back({navg_type, navg});
            record_written = true;
        } else if (item.type == ctyp_type) {
            if (!controller_written) selection.user_data.push_back({ctyp_type, controller});
            controller_written = true;
        } else {
            selection.user_data.push_back(item);
        }
    }
    if (!controller_written) selection.user_data.push_back({ctyp_type, controller});

    const std::int64_t view_time =
        std::int64_t(initial_row * new_columns + initial_column) * per_view * record.frame_duration;
    selection.poster_time = selection.current_time = selection.preview_time =
        view_time > 0 && view_time <= std::numeric_limits<std::int32_t>::max() ? std::int32_t(view_time) : 0;
    selection.preview_duration = std::max(0, per_view * record.frame_duration);

    // The movie is made under a hidden name beside the file the output finally
    // names, then put in its place under the commands' one output policy.
    const std::filesystem::path target(commandkit::output_target(out_path));
    std::string staged, reason;
    std::intptr_t handle = -1;
    if (!commandkit::output_system::create_temporary(target.parent_path().string(), target.filename().string(), staged,
                                                     handle, reason) ||
        !commandkit::output_system::sync_and_close(handle, reason))
        throw tool_error("Cannot write " + out_path + ": " + reason + ".");
    try {
        if (medialayer::OSErr err = medialayer::write_selected_samples(movie_path, selection, staged))
            throw tool_error(write_error_sentence(out_path, err));
        commandkit::put_in_place(staged, out_path);
    } catch (const commandkit::output_error& e) {
        commandkit::output_system::remove_file(staged);
        throw tool_error(e.what());
    } catch (...) {
        commandkit::output_system::remove_file(staged);
        throw;
    }
}

}  // namespace objecttool
