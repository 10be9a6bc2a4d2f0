// The argument reader's words in Russian, alike for vemsync and vem730-sim:
// the help laid out from the definitions, and the usage errors.
#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

// The help of a program or one of its commands: how it is started, what it
// does, its arguments, commands and options, then the footer. The library's
// own words are Russian, and the columns line up although a Cyrillic letter
// takes two bytes.
class CHelpFormatter : public CLI::Formatter {
public:
    CHelpFormatter();

    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override;
    std::string make_usage(const CLI::App* app, std::string name) const override;
    std::string make_group(std::string group, bool positional,
                           std::vector<const CLI::Option*> options) const override;
    std::string make_option(const CLI::Option* option, bool positional) const override;
    std::string make_subcommand(const CLI::App* command) const override;
};

// Makes `app` read and speak as both programs do: the help above, -h and
// --help, the last of a repeated option counts. Call it before adding
// options or commands: they take these settings when they are made.
void PrepareArguments(CLI::App& app);

// What a command line asked for.
enum class ArgumentsRead { Work, Help, Wrong };

// Reads `args`, the words after the program's name, into `app`. A wrong line
// leaves its reason in `error`, in Russian; so does help asked for with
// words that name no command.
ArgumentsRead ReadArguments(CLI::App& app, std::vector<std::string> args, std::string& error);

// The command the line chose, as deep as it goes; `app` itself when none.
const CLI::App& ChosenCommand(const CLI::App& app);

// The command of `app` named `name`, or nullptr.
const CLI::App* CommandNamed(const CLI::App& app, const std::string& name);

// "a, b и c" with the conjunction "и".
std::string Enumeration(const std::vector<std::string>& words, const std::string& conjunction);

// "vemsync read params|program N|subprogram N ФАЙЛ": the words that start
// the command and the arguments it takes.
std::string CommandUsage(const CLI::App& command);

// A wrong command line in Russian, for the mistakes any program's line can
// hold: an unknown option, an option without its value, a value refused, a
// word too many or too few. `app` is the program, after the failed parse.
std::string UsageErrorText(const CLI::App& app, const CLI::ParseError& error);
