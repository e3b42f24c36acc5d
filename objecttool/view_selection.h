// select: a new object movie from chosen rows and columns of another, its
// frames copied as they are and its object record describing the new grid.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace objecttool {

struct SelectOptions {
    // Numbers from 1 as the user gives them; empty: every column (row).
    std::vector<int> columns;
    std::vector<int> rows;
};

// "3", "1-12", "1,4,7,10", "34-36,1-3": numbers and ranges, comma-separated,
// in the order given. nullopt when the text is not such a list.
std::optional<std::vector<int>> parse_view_numbers(const std::string& text);

// Reads the movie, checks the choice against its grid and writes the new
// movie; nothing is written on failure. Throws tool_error.
void write_view_selection(const std::string& movie_path, const std::string& out_path, const SelectOptions& options);

}  // namespace objecttool
