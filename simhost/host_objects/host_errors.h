// The exceptions the simulated host raises out of its operations.
//
// host_abort is what a real host throws from a progress advance when the user
// asks to stop; host_error stands for any other failing host operation (an
// injected fault, a movie that cannot be written, a call the host refuses).
// Neither derives from the other, so a plug-in that catches only the abort
// still lets real failures through.
#pragma once

#include <stdexcept>
#include <string>

namespace simhost {

class host_abort : public std::exception {
public:
    const char* what() const noexcept override { return "the user stopped the command"; }
};

class host_error : public std::runtime_error {
public:
    explicit host_error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace simhost
