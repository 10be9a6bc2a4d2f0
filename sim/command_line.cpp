// vem730-sim's arguments read into its options, with every value checked for range.
#include "sim/command_line.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace {

template <typename T>
bool ParseSize(const std::string& text, unsigned long max, T& out)
{
    unsigned long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || value > max)
        return false;
    out = static_cast<T>(value);
    return true;
}

} // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error)
{
    out = CommandLine{};
    SimOptions& o = out.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&](std::string& v) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            v = args[++i];
            return true;
        };
        const auto size = [&]<typename T>(std::optional<T>& slot, unsigned long min,
                                          unsigned long max) {
            std::string v;
            if (!value(v))
                return false;
            T parsed{};
            if (!ParseSize(v, max, parsed) || parsed < min) {
                error = arg + " takes a number from " + std::to_string(min) + " to " +
                        std::to_string(max) + ", not \"" + v + "\"";
                return false;
            }
            slot = parsed;
            return true;
        };

        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            out.help = true;
        } else if (arg == "--store") {
            ok = value(o.storeDir);
        } else if (arg == "--port") {
            ok = value(out.portName);
        } else if (arg == "--log") {
            ok = value(o.logPath);
        } else if (arg == "--pace") {
            o.pace = true;
        } else if (arg == "--empty-write-reply") {
            o.echoWrites = false;
        } else if (arg == "--general-size") {
            ok = size(o.descriptor.generalParamSize, 0, std::numeric_limits<std::uint16_t>::max());
        } else if (arg == "--axis-size") {
            ok = size(o.descriptor.axisParamSize, 0, std::numeric_limits<std::uint16_t>::max());
        } else if (arg == "--axes") {
            ok = size(o.descriptor.axisCount, 0, std::numeric_limits<std::uint8_t>::max());
        } else if (arg == "--frame-size") {
            ok = size(o.descriptor.frameSize, 0, std::numeric_limits<std::uint8_t>::max());
        } else if (arg == "--fault") {
            std::string v;
            ok = value(v);
            if (ok) {
                const auto rule = ParseFaultRule(v);
                if (!rule) {
                    error = "not a fault rule: \"" + v + "\" (see --help)";
                    return false;
                }
                o.faults.push_back(*rule);
            }
        } else {
            error = "unknown option \"" + arg + "\" (see --help)";
            return false;
        }
        if (!ok)
            return false;
    }
    return true;
}

std::string HelpText()
{
    return R"(Usage: vem730-sim [OPTION]...
A simulated Vem-730 controller: answers the link's requests (Modbus RTU,
functions 20 and 21, unit 1) on a pseudo-terminal, with memory kept in a
store folder. Prints "pty PATH" and, with --port, "port NAME" once it is
ready; runs until SIGINT or SIGTERM.

Options:
  --store DIR          store folder (default $XDG_DATA_HOME/MFCVemSync/sim,
                       or ~/.local/share/MFCVemSync/sim); a fresh folder is
                       seeded with sample parameters and programs
  --port NAME          also publish the pty under NAME (e.g. COM3) as a link
                       in the port folder ($XDG_DATA_HOME/MFCVemSync/ports or
                       ~/.local/share/MFCVemSync/ports); removed on exit.
                       A link of that name left by a simulator that was
                       killed (pointing nowhere, or at a terminal now used
                       by someone else) is replaced, and said so on stderr;
                       a file of that name that is not a link is refused
  --general-size G     general parameter block, bytes (0-65535; default 450)
  --axis-size A        one axis block, bytes (0-65535; default 120)
  --axes N             number of axes (0-255; default 4)
  --frame-size F       program frame on the link, bytes (0-255; default 32;
                       the PC works with 32 only)
                       A size given replaces the stored one; the stored
                       parameter blocks are then cut, or extended with the
                       sample pattern, to match. Sizes not given keep the
                       store's (a fresh store takes the defaults). Sizes the
                       link cannot carry (A over 243, F of 0 or over 48)
                       are reported as they are, and the requests that
                       would not fit a frame get an exception reply: a way
                       to try the PC's checks of the descriptor.
  --pace               send replies at the line's pace: 10 bits a byte at
                       38400 baud, after the request's own time on the line
  --empty-write-reply  answer writes with no data (N = 0) instead of the echo
  --log FILE           append every request and reply to FILE, one line each:
                         TIME REQ|REP|DROP hex bytes  /  TIME NOREPLY reason
  --fault MODE[=MS]:TARGET
                       inject a fault (repeatable). MODE: silent, bad-crc,
                       exception, short (last byte missing), oversize
                       (N = 254), extra-data, gap[=MS] (pause inside the
                       reply, default 200), trailing (bytes after the CRC),
                       delay[=MS] (default 300), corrupt (a write is stored
                       with one byte flipped, the reply as usual). TARGET:
                       always, descriptor,
                       params, size, block-read, delete, block-write, or
                       nth=N (the N-th request, from 1).
                       e.g. --fault silent:block-read --fault bad-crc:nth=3
  --help               show this text

Exit status: 0 after SIGINT/SIGTERM, 1 when the simulator cannot start (an
unwritable or corrupt store, no pty, a port name in use by a file), 2 on a
usage error.
)";
}
