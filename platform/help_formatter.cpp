// The argument reader's help layout and usage errors in Russian.
#include "platform/help_formatter.h"

#include <algorithm>
#include <vector>

#include "platform/help_messages.h"

namespace {

// Where the descriptions start in a help row.
constexpr std::size_t HELP_COLUMN = 26;

// Letters, not bytes: a Cyrillic letter is two bytes in UTF-8.
std::size_t Letters(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// "  NAME      description", the description's own lines under each other.
std::string Row(const std::string& name, const std::string& description)
{
    std::string row = "  " + name;
    const std::size_t used = Letters(row);
    // At least two spaces between the name and its description.
    row += used + 2 <= HELP_COLUMN ? std::string(HELP_COLUMN - used, ' ')
                                   : "\n" + std::string(HELP_COLUMN, ' ');
    for (char c : description) {
        row += c;
        if (c == '\n')
            row += std::string(HELP_COLUMN, ' ');
    }
    return row + "\n";
}

std::vector<const CLI::App*> NamedCommands(const CLI::App& app)
{
    return app.get_subcommands([](const CLI::App* command) { return !command->get_name().empty(); });
}

std::vector<std::string> ArgumentNames(const CLI::App& app)
{
    std::vector<std::string> names;
    const auto positional = [](const CLI::Option* option) { return option->get_positional(); };
    for (const CLI::Option* argument : app.get_options(positional)) {
        const std::string name = argument->get_name(true, false);
        names.push_back(argument->get_required() ? name : "[" + name + "]");
    }
    return names;
}

std::string Joined(const std::vector<std::string>& words, const std::string& between)
{
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : between) + word;
    return text;
}

std::vector<std::string> NamesOf(const std::vector<const CLI::App*>& commands)
{
    std::vector<std::string> names;
    for (const CLI::App* command : commands)
        names.push_back(command->get_name());
    return names;
}

// What follows a command's name: its commands to choose from, then its
// arguments. A last argument that every choice takes is written once.
std::string ArgumentsOf(const CLI::App& app)
{
    std::vector<std::string> words;
    const std::vector<const CLI::App*> commands = NamedCommands(app);
    if (!commands.empty() && app.get_parent() == nullptr) {
        words.push_back(HelpMsg::COMMAND_AND_ARGUMENTS);
    } else if (!commands.empty()) {
        std::vector<std::vector<std::string>> choices;
        for (const CLI::App* command : commands) {
            choices.push_back(ArgumentNames(*command));
            choices.back().insert(choices.back().begin(), command->get_name());
        }
        const std::string last = choices.front().back();
        const bool shared = choices.front().size() > 1 &&
                            std::all_of(choices.begin(), choices.end(),
                                        [&](const std::vector<std::string>& c) { return c.back() == last; });
        std::vector<std::string> written;
        for (std::vector<std::string>& choice : choices) {
            if (shared)
                choice.pop_back();
            written.push_back(Joined(choice, " "));
        }
        const std::string alternatives = Joined(written, "|");
        words.push_back(app.get_require_subcommand_min() > 0 ? alternatives : "[" + alternatives + "]");
        if (shared)
            words.push_back(last);
    }
    for (const std::string& name : ArgumentNames(app))
        words.push_back(name);
    return Joined(words, " ");
}

// The option of this name in the program or any of its commands.
const CLI::Option* OptionNamed(const CLI::App& app, const std::string& name)
{
    if (const CLI::Option* option = app.get_option_no_throw(name))
        return option;
    for (const CLI::App* command : NamedCommands(app)) {
        if (const CLI::Option* option = OptionNamed(*command, name))
            return option;
    }
    return nullptr;
}

// Two words the library reads otherwise than every option reader does:
// "--opt=" takes the next word as its value, not the empty one after the
// "="; and "--" ends the options only within the command it stands in,
// so the names of the command that follow it are moved before it.
void ReadyForTheLibrary(const CLI::App& app, std::vector<std::string>& args)
{
    const CLI::App* at = &app;
    for (auto word = args.begin(); word != args.end(); ++word) {
        if (*word == "--") {
            auto next = word + 1;
            for (; next != args.end() && CommandNamed(*at, *next) != nullptr; ++next)
                at = CommandNamed(*at, *next);
            std::rotate(word, word + 1, next);
            return;
        }
        if (word->rfind("--", 0) == 0 && word->find('=') == word->size() - 1) {
            word->pop_back();
            word = args.insert(word + 1, "");
            continue;
        }
        const CLI::Option* option = word->rfind('-', 0) == 0 ? OptionNamed(app, *word) : nullptr;
        if (option != nullptr && option->get_items_expected_min() > 0 && word + 1 != args.end())
            ++word; // its value, whatever it looks like
        else if (const CLI::App* command = CommandNamed(*at, *word))
            at = command;
    }
}

// Whether -h or --help stands anywhere the library read options.
bool HelpAsked(const CLI::App& app)
{
    if (app.get_help_ptr() != nullptr && app.get_help_ptr()->count() > 0)
        return true;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App* c) { return c->parsed(); })) {
        if (HelpAsked(*command))
            return true;
    }
    return false;
}

// The words no command took; a "--" is not one.
std::vector<std::string> LeftOver(const CLI::App& app)
{
    std::vector<std::string> words = app.remaining(true);
    words.erase(std::remove(words.begin(), words.end(), "--"), words.end());
    return words;
}

} // namespace

CHelpFormatter::CHelpFormatter()
{
    // The library's own headings.
    label("Options", HelpMsg::OPTIONS);
    label("Positionals", HelpMsg::ARGUMENTS);
}

std::string CHelpFormatter::make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const
{
    std::string help = make_usage(app, name);
    if (!app->get_description().empty())
        help += "\n" + app->get_description() + "\n";
    help += make_positionals(app) + make_subcommands(app, mode) + make_groups(app, mode);
    if (!app->get_footer().empty())
        help += "\n" + app->get_footer() + "\n";
    return help;
}

std::string CHelpFormatter::make_usage(const CLI::App* app, std::string) const
{
    const bool options = !app->get_options([app](const CLI::Option* o) {
                                  return o->nonpositional() && o != app->get_help_ptr();
                              }).empty();
    return HelpMsg::USAGE + CommandUsage(*app) + (options ? HelpMsg::OPTIONS_MARK : "") + "\n";
}

std::string CHelpFormatter::make_group(std::string group, bool positional,
                                       std::vector<const CLI::Option*> options) const
{
    std::string text = "\n" + get_label(group) + ":\n";
    for (const CLI::Option* option : options)
        text += make_option(option, positional);
    return text;
}

std::string CHelpFormatter::make_option(const CLI::Option* option, bool positional) const
{
    // An argument is its name alone: the usage line shows which may be left out.
    const std::string name = positional ? make_option_name(option, true)
                                        : make_option_name(option, false) + make_option_opts(option);
    return Row(name, make_option_desc(option));
}

// The command's first line says what it is for; the rest is in its own help.
std::string CHelpFormatter::make_subcommand(const CLI::App* command) const
{
    const std::string arguments = ArgumentsOf(*command);
    const std::string description = command->get_description();
    return Row(command->get_name() + (arguments.empty() ? "" : " " + arguments),
               description.substr(0, description.find('\n')));
}

void PrepareArguments(CLI::App& app)
{
    app.formatter(std::make_shared<CHelpFormatter>());
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.set_help_flag("-h,--help", HelpMsg::HELP_FLAG);
    // On Windows the library would take "/dev/ttyUSB0" or "/tmp/p.prg" for
    // an option "/dev"; options are only ever written with dashes here.
    app.allow_windows_style_options(false);
}

ArgumentsRead ReadArguments(CLI::App& app, std::vector<std::string> args, std::string& error)
{
    ReadyForTheLibrary(app, args);
    std::reverse(args.begin(), args.end()); // the library takes the last word first
    try {
        app.parse(args);
    } catch (const CLI::ParseError& failure) {
        // Help about a command is given whatever else the line holds.
        const bool help = dynamic_cast<const CLI::CallForHelp*>(&failure) != nullptr || HelpAsked(app);
        const std::vector<std::string> extra = LeftOver(app);
        if (help && (extra.empty() || &ChosenCommand(app) != &app))
            return ArgumentsRead::Help;
        error = help ? UsageErrorText(app, CLI::ExtrasError(app.get_name(), extra)) : UsageErrorText(app, failure);
        return ArgumentsRead::Wrong;
    }
    return ArgumentsRead::Work;
}

const CLI::App& ChosenCommand(const CLI::App& app)
{
    const CLI::App* at = &app;
    for (;;) {
        const std::vector<const CLI::App*> chosen =
            at->get_subcommands([](const CLI::App* command) { return command->parsed(); });
        if (chosen.empty())
            return *at;
        at = chosen.front();
    }
}

std::string Enumeration(const std::vector<std::string>& words, const std::string& conjunction)
{
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i)
        text += (i == 0 ? "" : i + 1 == words.size() ? " " + conjunction + " " : ", ") + words[i];
    return text;
}

const CLI::App* CommandNamed(const CLI::App& app, const std::string& name)
{
    for (const CLI::App* command : NamedCommands(app)) {
        if (command->get_name() == name)
            return command;
    }
    return nullptr;
}

std::string CommandUsage(const CLI::App& command)
{
    std::string words = command.get_name();
    for (const CLI::App* up = command.get_parent(); up != nullptr; up = up->get_parent())
        words = up->get_name() + " " + words;
    const std::string arguments = ArgumentsOf(command);
    return arguments.empty() ? words : words + " " + arguments;
}

std::string UsageErrorText(const CLI::App& app, const CLI::ParseError& error)
{
    const CLI::App& chosen = ChosenCommand(app);
    const std::vector<const CLI::App*> commands = NamedCommands(chosen);
    const std::string choices = Enumeration(NamesOf(commands), HelpMsg::OR);
    const std::string helpHint = HelpMsg::HELP_HINT + app.get_name() + " --help";
    const std::string usageHint = HelpMsg::USAGE_HINT + CommandUsage(chosen);
    // The line stopped at a command that must be followed by one of its own.
    const bool choiceLeft = !commands.empty() && chosen.get_require_subcommand_min() > 0;

    // Words no command took come first, whatever the library found first:
    // it looks for what is missing before what is left over.
    const std::vector<std::string> extra = LeftOver(app);
    if (!extra.empty()) {
        const std::string& word = extra.front();
        if (word.size() > 1 && word[0] == '-')
            return HelpMsg::UNKNOWN_OPTION + word;
        if (!commands.empty() && &chosen == &app)
            return HelpMsg::UNKNOWN_COMMAND + word + "»" + helpHint;
        if (!commands.empty())
            return HelpMsg::AFTER + chosen.get_name() + HelpMsg::NEEDS + choices + HelpMsg::RATHER_THAN + word + "»";
        return HelpMsg::EXTRA_ARGUMENT + word + "»" + usageHint;
    }
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
        if (choiceLeft && &chosen == &app)
            return HelpMsg::NO_COMMAND + choices + helpHint;
        if (choiceLeft)
            return HelpMsg::AFTER + chosen.get_name() + HelpMsg::NEEDS + choices + usageHint;
        return HelpMsg::MISSING_ARGUMENTS + usageHint;
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        // The library's message starts with the option's name.
        const std::string what = error.what();
        const std::string name = what.substr(0, what.find(':'));
        for (const CLI::App* at = &chosen; at != nullptr; at = at->get_parent()) {
            if (const CLI::Option* option = at->get_option_no_throw(name))
                return name + HelpMsg::MISSING_VALUE + option->get_type_name();
        }
    }
    // The refusals of the programs' own checks, worded by them.
    if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr)
        return error.what();
    return HelpMsg::BAD_LINE + helpHint;
}
