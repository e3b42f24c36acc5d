#include "commandkit/command_parser.h"

#include <algorithm>
#include <charconv>

namespace commandkit {

namespace {

// CLI11's layout with the usage line first, as Unix commands print it.
class HelpLayout : public CLI::Formatter {
public:
    explicit HelpLayout(std::string usage) : usage_(std::move(usage)) { column_width(23); }

    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode mode) const override {
        if (mode == CLI::AppFormatMode::Sub) return make_expanded(app);
        std::string text = usage_ + "\n\n" + app->get_description() + "\n" + make_groups(app, mode) +
                           make_subcommands(app, mode) + "\n" + app->get_footer();
        // One blank line between parts, however each part ends.
        for (std::size_t at; (at = text.find("\n\n\n")) != std::string::npos;) text.erase(at, 1);
        return text;
    }

private:
    std::string usage_;
};

// "orbivane-object web": the command and sub-command a sentence is about.
std::string command_path(const CLI::App& app) {
    return app.get_parent() ? command_path(*app.get_parent()) + " " + app.get_name() : app.get_name();
}

std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text;
}

std::string option_name(const CLI::Option* option) { return option->get_name(false, false); }

// The option of that spelling in another sub-command of the same command, if any.
const CLI::App* owner_elsewhere(const CLI::App& app, const std::string& spelling) {
    const CLI::App* parent = app.get_parent();
    if (!parent) return nullptr;
    const std::string name = spelling.substr(0, spelling.find('='));
    for (const CLI::App* sibling : parent->get_subcommands({}))
        if (sibling != &app && sibling->get_option_no_throw(name)) return sibling;
    return nullptr;
}

void refuse_leftovers(const CLI::App& app) {
    const std::vector<std::string> left = app.remaining();
    if (left.empty()) {
        for (const CLI::App* sub : app.get_subcommands()) refuse_leftovers(*sub);
        return;
    }
    const std::string& first = left.front();
    const std::string path = command_path(app);
    if (first.size() > 1 && first[0] == '-') {
        if (const CLI::App* owner = owner_elsewhere(app, first))
            throw usage_error(first.substr(0, first.find('=')) + " is an option of " + owner->get_name() +
                              ", not of " + app.get_name() + ".");
        throw usage_error("Unknown option " + first + "; see " + path + " --help for the list.");
    }
    std::vector<std::string> commands;
    for (const CLI::App* sub : app.get_subcommands({})) commands.push_back(sub->get_name());
    if (!commands.empty() && app.get_subcommands().empty())
        throw usage_error("Unknown command \"" + first + "\"; the commands are " + listed(commands) + ".");
    throw usage_error("Unexpected argument \"" + first + "\"; " +
                      (app.get_options([](const CLI::Option* o) { return o->get_positional(); }).empty()
                           ? "options start with -, see "
                           : "see ") +
                      path + " --help.");
}

void refuse_repeats(const CLI::App& app) {
    for (const CLI::Option* option : app.get_options()) {
        if (option->count() > 1)
            throw usage_error(option_name(option) + " is given more than once; give it once.");
        // A switch given a value ("--stereo=yes") reads as the value "yes".
        if (option->get_expected_max() == 0 && option->count() == 1 && option->results().front() != "true")
            throw usage_error(option_name(option) + " takes no value.");
    }
    for (const CLI::App* sub : app.get_subcommands()) refuse_repeats(*sub);
}

}  // namespace

void prepare_app(CLI::App& app, const std::string& usage, const std::string& description) {
    app.description(description);
    app.formatter(std::make_shared<HelpLayout>(usage));
    app.set_help_flag();  // added by add_help where the command wants it listed
    app.allow_extras();
}

CLI::Option* add_help(CLI::App& app, const std::string& group) {
    return app.set_help_flag("-h,--help", "show this text")->group(group);
}

CLI::Option* add_value(CLI::App& app, const std::string& name, const std::string& value_name, const std::string& help,
                       const std::string& group) {
    // An optional value, so a missing one is named by value_of rather than by CLI11's wording.
    return app.add_option(name, help)
        ->expected(0, 1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->option_text(value_name)
        ->group(group);
}

CLI::Option* add_switch(CLI::App& app, const std::string& name, const std::string& help, const std::string& group) {
    return app.add_flag(name, help)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)->group(group);
}

CLI::Option* add_operand(CLI::App& app, const std::string& name, const std::string& help) {
    return app.add_option(name, help)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

std::optional<std::string> parse_arguments(CLI::App& app, const std::vector<std::string>& args) {
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them last first
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        return app.help();
    } catch (const CLI::ParseError& e) {
        // What the options above leave to CLI11: its own sentence, made one line.
        std::string sentence = e.what();
        std::replace(sentence.begin(), sentence.end(), '\n', ' ');
        throw usage_error(sentence + (sentence.ends_with('.') ? "" : "."));
    }
    refuse_leftovers(app);
    refuse_repeats(app);
    return std::nullopt;
}

std::optional<std::string> value_of(const CLI::Option* option) {
    if (option->count() == 0) return std::nullopt;
    const std::string& value = option->results().front();
    if (value.empty()) throw usage_error(option_name(option) + " needs a value.");
    return value;
}

bool given(const CLI::Option* option) { return option->count() > 0; }

int whole_number(const std::string& flag, const std::string& text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        throw usage_error(flag + " must be a whole number from " + std::to_string(low) + " to " +
                          std::to_string(high) + ", not \"" + text + "\".");
    return value;
}

}  // namespace commandkit
