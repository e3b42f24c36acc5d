// Command-line parsing shared by orbivane-host and orbivane-object, on CLI11.
//
// Options are declared on a CLI::App (and its sub-commands) through the helpers
// here, so both commands read their flags the same way: --flag VALUE or
// --flag=VALUE, each flag at most once, and every mistake one sentence.
// Values are kept as text and checked by the command, whose sentences name the
// flag and the value it was given.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace commandkit {

// A wrong command line: one sentence; the commands exit with status 2.
class usage_error : public std::runtime_error {
public:
    explicit usage_error(const std::string& sentence) : std::runtime_error(sentence) {}
};

// An app whose help starts with `usage` (a line such as "Usage: tool FILE
// [options]"), then its description, its option groups, its sub-commands and
// its footer. Sub-commands are prepared the same way, each with its own usage.
void prepare_app(CLI::App& app, const std::string& usage, const std::string& description);
// -h, --help, listed in that group.
CLI::Option* add_help(CLI::App& app, const std::string& group);

// An option taking one value, shown in help as "NAME VALUE_NAME  help".
// An empty group hides it from help.
CLI::Option* add_value(CLI::App& app, const std::string& name, const std::string& value_name, const std::string& help,
                       const std::string& group);
// An option taking no value.
CLI::Option* add_switch(CLI::App& app, const std::string& name, const std::string& help, const std::string& group);
// A value given without a flag, such as the movie a command reads.
CLI::Option* add_operand(CLI::App& app, const std::string& name, const std::string& help);

// Parses args (without the program's name). Answers the help text of the
// (sub-)command asked about when --help is among them, else nothing. Throws
// usage_error for a flag given twice, a value missing, a value given to a
// switch, an unknown option or command, or an argument left over.
std::optional<std::string> parse_arguments(CLI::App& app, const std::vector<std::string>& args);

// The value of an option after parsing: none when it was not given.
std::optional<std::string> value_of(const CLI::Option* option);
bool given(const CLI::Option* option);

// The value of `flag` as a whole number from low to high; else a usage_error
// naming the flag, the range and the text given.
int whole_number(const std::string& flag, const std::string& text, int low, int high);

}  // namespace commandkit
