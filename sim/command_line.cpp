// vem730-sim's arguments read into its options, with every value checked for range.
#include "sim/command_line.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "platform/help_formatter.h"
#include "sim/sim_messages.h"

namespace {

// A whole number from 0 to `highest`, or the reason it is not.
CLI::Validator NumberUpTo(unsigned long highest)
{
    return CLI::Validator(
        [highest](const std::string& text) {
            unsigned long value = 0;
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (ec == std::errc() && end == text.data() + text.size() && !text.empty() && value <= highest)
                return std::string();
            return SimMsg::NotANumberUpTo(highest, text);
        },
        "");
}

template <typename T>
void AddSize(CLI::App& app, const char* name, const char* value, std::optional<T>& size, const char* help)
{
    app.add_option_function<std::string>(
           name, [&size](const std::string& text) { size = static_cast<T>(std::stoul(text)); }, help)
        ->type_name(value)
        ->check(NumberUpTo(std::numeric_limits<T>::max()));
}

void DefineOptions(CLI::App& app, CommandLine& out, std::vector<std::string>& faults)
{
    PrepareArguments(app);
    app.description(SimHelp::TOOL);
    SimOptions& o = out.options;
    app.add_option("--store", o.storeDir, SimHelp::STORE_OPTION)
        ->type_name(SimHelp::ARG_FOLDER);
    app.add_option("--port", out.portName, SimHelp::PORT_OPTION)
        ->type_name(SimHelp::ARG_NAME);
    AddSize(app, "--general-size", "G", o.descriptor.generalParamSize, SimHelp::GENERAL_SIZE_OPTION);
    AddSize(app, "--axis-size", "A", o.descriptor.axisParamSize, SimHelp::AXIS_SIZE_OPTION);
    AddSize(app, "--axes", "N", o.descriptor.axisCount, SimHelp::AXES_OPTION);
    AddSize(app, "--frame-size", "F", o.descriptor.frameSize, SimHelp::FRAME_SIZE_OPTION);
    app.add_flag("--pace", o.pace, SimHelp::PACE_OPTION);
    app.add_flag_callback("--empty-write-reply", [&o] { o.echoWrites = false; }, SimHelp::EMPTY_WRITE_REPLY_OPTION);
    app.add_option("--log", o.logPath, SimHelp::LOG_OPTION)
        ->type_name(SimHelp::ARG_FILE);
    app.add_option("--fault", faults, SimHelp::FAULT_OPTION)
        ->type_name(SimHelp::ARG_FAULT)
        ->expected(1)
        ->take_all()
        ->check(CLI::Validator(
            [](const std::string& text) {
                return ParseFaultRule(text) ? std::string() : SimMsg::NotAFaultRule(text);
            },
            ""));
    app.footer(SimHelp::FOOTER);
}

} // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error)
{
    out = CommandLine{};
    std::vector<std::string> faults;
    CLI::App app("", "vem730-sim");
    DefineOptions(app, out, faults);
    switch (ReadArguments(app, args, error)) {
    case ArgumentsRead::Wrong:
        return false;
    case ArgumentsRead::Help:
        out.help = true;
        return true;
    case ArgumentsRead::Work:
        break;
    }
    for (const std::string& fault : faults)
        out.options.faults.push_back(*ParseFaultRule(fault));
    return true;
}

std::string HelpText()
{
    CommandLine out;
    std::vector<std::string> faults;
    CLI::App app("", "vem730-sim");
    DefineOptions(app, out, faults);
    return app.help();
}
