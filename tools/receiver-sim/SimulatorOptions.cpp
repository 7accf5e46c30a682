#include "tools/receiver-sim/SimulatorOptions.h"

#include <charconv>
#include <cstdio>

const char* const kSimulatorUsage =
    "Usage: zepo-receiver-sim [--port COMn] [--baud N] [--gnss] [--ubx] [--rtk] [--rate N]\n"
    "                         [--generation N] [--jam MHZ] [--antenna short|open]\n"
    "                         [--rtk-fix-after S] [--rtk-timeout S]\n"
    "                         [--base [--survey-in SECONDS] [--survey-accuracy METRES]]\n"
    "                         [--tcp PORT | --tcp-connect HOST:PORT]\n"
    "Plays a u-blox GPS receiver on a pseudo-terminal announced as a virtual port.\n"
    "\n"
    "  --port COMn  name to announce the port under (COM1 to COM254; default COM13)\n"
    "  --tcp PORT   talk over TCP instead: listen on 127.0.0.1:PORT and serve the\n"
    "               program connected (one at a time) as its line\n"
    "  --tcp-connect HOST:PORT  talk over TCP to a program waiting at HOST:PORT,\n"
    "               connecting again every second while no connection stands\n"
    "  --baud N     rate it starts talking at, in bits per second (default 9600)\n"
    "  --gnss       track GPS, SBAS, Galileo, BeiDou, QZSS and GLONASS and speak NMEA 4.11\n"
    "               (GN, GP, GL, GA, GB, GQ talkers) instead of GPS alone with GP talkers\n"
    "  --ubx        interleave the UBX NAV-POSLLH, NAV-PVT, NAV-STATUS, NAV-DOP and\n"
    "               NAV-SAT frames of each epoch with the NMEA output\n"
    "  --rtk        report an RTK fixed solution (GGA quality 4, RMC mode R,\n"
    "               NAV-PVT carrier solution fixed) whenever it has a fix\n"
    "  --rtk-fix-after S  as a rover: seconds of RTCM 3 corrections without a break\n"
    "               before the RTK float solution turns fixed (default 10)\n"
    "  --rtk-timeout S  as a rover: seconds without corrections before the RTK\n"
    "               solution is lost (default 30)\n"
    "  --rate N     stream N bytes per second of mixed NMEA, PUBX and UBX traffic\n"
    "               back to back instead of one epoch a second at the line rate\n"
    "  --generation N  the receiver generation: 8 (default) a NEO-M8N; 9 a ZED-F9P\n"
    "               (HPG 1.32, protocol 27.31) that also takes CFG-VALGET, CFG-VALSET\n"
    "               and CFG-VALDEL on its RAM, BBR, Flash and Default layers, with\n"
    "               CFG-CFG saving RAM to BBR and Flash; 10 a MAX-M10S (SPG 5.10,\n"
    "               protocol 34.10) that refuses CFG-PRT, CFG-MSG, CFG-RATE and CFG-ANT\n"
    "  --jam MHZ    a narrow-band jammer at MHZ megahertz (such as 1575.0), within an RF\n"
    "               block's spectrum: L1, 1511.42 to 1639.42, or the second block, L2\n"
    "               1163.6 to 1291.6 (generations 8 and 9) or L5 1112.45 to 1240.45 (10).\n"
    "               Its block reports jamming state warning, a high jamming indicator\n"
    "               and the jammer's peak in its spectrum; its signals lose 8 dB of C/N0\n"
    "  --antenna short|open  report the antenna feed shorted (power switched off)\n"
    "               or open in MON-RF and MON-HW\n"
    "  --base       be an RTK base station: stand still, survey the position in\n"
    "               (NAV-SVIN each epoch), then send RTCM 3 each epoch: 1005 (the\n"
    "               surveyed position, station 2401), MSM4 for each constellation in\n"
    "               view (1074 GPS, 1084 GLONASS, 1094 Galileo, 1124 BeiDou; GPS alone\n"
    "               without --gnss) and 1230; CFG-MSG (class F5) or the\n"
    "               CFG-MSGOUT-RTCM_3X keys set their rates, a reset surveys afresh;\n"
    "               from generation 9 the CFG-TMODE keys (MODE 0 or 1, SVIN_MIN_DUR,\n"
    "               SVIN_ACC_LIMIT) stop the survey or start it afresh\n"
    "  --survey-in SECONDS  survey for at least this long (default 60)\n"
    "  --survey-accuracy METRES  until the mean position is this accurate (default\n"
    "               2.0; it improves from 3 m as the square root of the fixes taken)\n"
    "  --help       show this text\n"
    "  --version    show the program's version\n"
    "\n"
    "It answers $PUBX,00 / 03 / 04 polls and takes $PUBX,40 rate commands. UBX:\n"
    "CFG-PRT, CFG-MSG, CFG-RATE and CFG-ANT polls with the message and ACK-ACK\n"
    "(CFG-MSG gives rates of 0 for a message it does not send); their sets, and\n"
    "CFG-CFG save / load / revert (kept for the run), with ACK-ACK or ACK-NAK;\n"
    "CFG-RST restarts it unanswered (a cold start loses the fix for some\n"
    "seconds); MON-VER (the generation's receiver; for 8, SPG 3.01, protocol 18)\n"
    "and polls of the NAV messages with the message. Besides those --ubx sends,\n"
    "CFG-MSG (or, from generation 9, the CFG-MSGOUT keys) turns on\n"
    "NAV-POSECEF, NAV-SOL, NAV-VELECEF, NAV-TIMEGPS, NAV-TIMEUTC, NAV-CLOCK,\n"
    "NAV-TIMELS, NAV-SVINFO and NAV-EOE, which closes each epoch, and the\n"
    "health messages: MON-SPAN (the spectrum of two RF blocks), MON-RF, MON-COMMS\n"
    "(UART1's traffic; its TX usage rises as the messages enabled outgrow the\n"
    "line's rate, and its buffer reports itself full past it), MON-SYS, MON-HW\n"
    "(generations 8 and 9) and NAV-SIG (generations 9 and 10: an L1 and an L2\n"
    "or L5 signal per satellite); they also answer polls. Other\n"
    "messages go unanswered.\n"
    "\n"
    "It is a rover for RTCM 3 corrections written into its port: once the base\n"
    "position (1005 or 1006) and observations (MSM 4 to 7) come, its fix is RTK\n"
    "float (GGA quality 5 with the age of corrections and the station, RMC mode F,\n"
    "NAV-PVT carrier solution float), fixed after --rtk-fix-after seconds, and\n"
    "back to no corrections --rtk-timeout seconds after they stop. CFG-MSG turns\n"
    "on NAV-RELPOSNED, its baseline to the base, and RXM-RTCM, one report per\n"
    "RTCM message taken in (a damaged one as failing its CRC).\n"
    "\n"
    "It talks at its UART1 rate (--baud, then CFG-PRT):\n"
    "a program whose port is set to another rate receives noise and is not\n"
    "understood (not with --rate, which has no line rate, nor over TCP).\n"
    "\n"
    "It ends on Ctrl+C, SIGTERM, or when the program that opened its port exits\n"
    "(over TCP only on Ctrl+C or SIGTERM).\n";

namespace {
constexpr long kMaxBytesPerSecond = 100'000'000;
constexpr int kHighestComNumber = 254;
constexpr long kLongestRtkSeconds = 3600;
constexpr long kLongestSurveySeconds = 86400;
constexpr long kHighestTcpPort = 65535;

long PositiveNumber(const std::string& option, const std::string& text, long highest) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1 ||
        value > highest)
        throw EUsageError(option + " needs a whole number from 1 to " + std::to_string(highest) +
                          ", not \"" + text + "\"");
    return value;
}

std::string MHzText(double MHz) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", MHz);
    std::string shown = text;
    while (shown.back() == '0')
        shown.pop_back();
    if (shown.back() == '.')
        shown.pop_back();
    return shown;
}

void CheckPortName(const std::string& name) {
    long number = 0;
    const bool comName = name.starts_with("COM") && name.size() > 3 && name[3] != '0';
    const auto [end, error] = std::from_chars(name.data() + 3, name.data() + name.size(), number);
    if (!comName || error != std::errc() || end != name.data() + name.size() || number < 1 ||
        number > kHighestComNumber)
        throw EUsageError("--port needs a name from COM1 to COM254, not \"" + name + "\"");
}
// "HOST:PORT", "[V6]:PORT" with a port from 1 to 65535.
TcpLine ConnectAddress(const std::string& text) {
    const std::size_t colon = text.rfind(':');
    TcpLine line;
    if (colon != std::string::npos) {
        line.host = text.substr(0, colon);
        line.port = text.substr(colon + 1);
    }
    if (line.host.size() > 2 && line.host.front() == '[' && line.host.back() == ']')
        line.host = line.host.substr(1, line.host.size() - 2);
    if (line.host.empty() || line.port.empty())
        throw EUsageError("--tcp-connect needs HOST:PORT, not \"" + text + "\"");
    PositiveNumber("--tcp-connect's port", line.port, kHighestTcpPort);
    return line;
}

// A jammer must sit in the spectrum of one of the generation's RF blocks.
void CheckJammer(const SimulatorOptions& options) {
    if (!options.rf.jammerMHz)
        return;
    std::string blocks;
    for (const RfBlockPlan& block : RfBlocksOf(options.generation)) {
        if (Jammed(options.rf, block))
            return;
        blocks += (blocks.empty() ? "" : " or ") +
                  MHzText(block.centerMHz - RfBlockPlan::kSpanMHz / 2) + " to " +
                  MHzText(block.centerMHz + RfBlockPlan::kSpanMHz / 2);
    }
    throw EUsageError("--jam needs a frequency within an RF block of generation " +
                      std::to_string(options.generation) + ": " + blocks + " MHz");
}
} // namespace

double SimulatorOptions::BytesPerSecond() const {
    return rate ? static_cast<double>(*rate) : static_cast<double>(baud) / 10.0;
}

SimulatorOptions ParseSimulatorOptions(const std::vector<std::string>& arguments) {
    SimulatorOptions options;
    bool surveyAsked = false;
    bool portNamed = false;
    for (size_t k = 0; k < arguments.size(); ++k) {
        std::string name = arguments[k];
        std::optional<std::string> value;
        if (const size_t equals = name.find('=');
            name.starts_with("--") && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.erase(equals);
        }
        const auto takeValue = [&]() {
            if (value)
                return *value;
            if (k + 1 >= arguments.size())
                throw EUsageError(name + " needs a value");
            return arguments[++k];
        };
        if (name == "--port") {
            options.port = takeValue();
            CheckPortName(options.port);
            portNamed = true;
        } else if (name == "--tcp" || name == "--tcp-connect") {
            if (options.tcp)
                throw EUsageError("--tcp and --tcp-connect give the line once");
            const std::string text = takeValue();
            options.tcp =
                name == "--tcp-connect"
                    ? ConnectAddress(text)
                    : TcpLine{"", std::to_string(PositiveNumber(name, text, kHighestTcpPort))};
        } else if (name == "--baud") {
            options.baud = PositiveNumber(name, takeValue(), kMaxBytesPerSecond);
        } else if (name == "--rate") {
            options.rate = PositiveNumber(name, takeValue(), kMaxBytesPerSecond);
        } else if (name == "--rtk-fix-after") {
            options.rtkFixAfterS = PositiveNumber(name, takeValue(), kLongestRtkSeconds);
        } else if (name == "--rtk-timeout") {
            options.rtkTimeoutS = PositiveNumber(name, takeValue(), kLongestRtkSeconds);
        } else if (name == "--generation") {
            const std::string text = takeValue();
            if (text != "8" && text != "9" && text != "10")
                throw EUsageError("--generation needs 8, 9 or 10, not \"" + text + "\"");
            options.generation = std::stoi(text);
        } else if (name == "--jam") {
            const std::string text = takeValue();
            double MHz = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), MHz);
            if (text.empty() || error != std::errc() || end != text.data() + text.size())
                throw EUsageError("--jam needs a frequency in MHz such as 1575.0, not \"" + text +
                                  "\"");
            options.rf.jammerMHz = MHz;
        } else if (name == "--antenna") {
            const std::string text = takeValue();
            if (text != "short" && text != "open")
                throw EUsageError("--antenna needs short or open, not \"" + text + "\"");
            options.rf.antenna = text == "short" ? AntennaFault::Short : AntennaFault::Open;
        } else if (name == "--survey-in") {
            options.surveySeconds = PositiveNumber(name, takeValue(), kLongestSurveySeconds);
            surveyAsked = true;
        } else if (name == "--survey-accuracy") {
            const std::string text = takeValue();
            double metres = 0;
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), metres);
            if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
                !(metres > 0))
                throw EUsageError("--survey-accuracy needs a distance in metres above 0 such as "
                                  "2.0, not \"" +
                                  text + "\"");
            options.surveyAccuracyM = metres;
            surveyAsked = true;
        } else if (name == "--base" && !value) {
            options.base = true;
        } else if (name == "--ubx" && !value) {
            options.ubx = true;
        } else if (name == "--rtk" && !value) {
            options.rtk = true;
        } else if (name == "--gnss" && !value) {
            options.gnss = true;
        } else if ((name == "--help" || name == "-h") && !value) {
            options.help = true;
        } else if (name == "--version" && !value) {
            options.version = true;
        } else {
            throw EUsageError("unknown option \"" + arguments[k] + "\"");
        }
    }
    if (portNamed && options.tcp)
        throw EUsageError("--port names a pseudo-terminal; over TCP there is none");
    CheckJammer(options);
    if (surveyAsked && !options.base)
        throw EUsageError("--survey-in and --survey-accuracy need --base");
    return options;
}
