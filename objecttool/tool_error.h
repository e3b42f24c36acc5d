// The one kind of failure the object-movie tool reports: a sentence for the user.
#pragma once

#include <stdexcept>
#include <string>

namespace objecttool {

class tool_error : public std::runtime_error {
public:
    explicit tool_error(const std::string& sentence) : std::runtime_error(sentence) {}
};

}  // namespace objecttool
