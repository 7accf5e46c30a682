#include "protocol/configfiles/ConfigFileReader.h"

#include "protocol/commands/UbxCommands.h"
#include "protocol/configfiles/Blanks.h"
#include "protocol/configfiles/ValueFile.h"
#include "protocol/configkeys/ConfigValueText.h"

#include <algorithm>
#include <map>
#include <optional>

namespace ubx {
namespace {

enum class TLineKind { Value, Frame };

// A frame line holds no "=", so a line with one is a value line whatever
// its value holds ("-12.34 m").
std::optional<TLineKind> KindOf(std::string_view line) {
    if (line.find('=') != std::string_view::npos)
        return TLineKind::Value;
    if (line.starts_with("- ") || line.find(" - ") != std::string_view::npos)
        return TLineKind::Frame; // the name may be missing
    return std::nullopt;
}

bool IsValGetAnswer(const TUBXPacket& packet) {
    return packet.pkClass == kClassCfg && packet.ID == kIdCfgValGet && !packet.PayLoad.empty() &&
           packet.PayLoad[0] == 1;
}

bool IsMonVerAnswer(const TUBXPacket& packet) {
    return packet.pkClass == kClassMon && packet.ID == kIdMonVer && !packet.PayLoad.empty();
}

class TReader {
public:
    explicit TReader(std::uint8_t layers) : layers_(layers) {}

    void Line(std::size_t number, std::string_view line) {
        const std::optional<TLineKind> kind = KindOf(line);
        if (!kind)
            return Fail(number, "\"" + std::string(line) +
                                    "\" is neither KEY=value nor a frame (NAME - hex bytes)");
        if (!kind_)
            kind_ = kind;
        if (kind != kind_)
            return Fail(number, *kind_ == TLineKind::Value
                                    ? "a frame line in a file of KEY=value lines"
                                    : "a KEY=value line in a file of frames");
        try {
            if (*kind == TLineKind::Value)
                Value(number, ReadValueLine(line));
            else
                Frame(number, ReadFrameLine(line));
        } catch (const EConfigError& error) {
            Fail(number, error.what());
        }
    }

    TConfigFilePlan Plan() {
        if (!kind_ && plan_.errors.empty())
            plan_.errors.push_back("The file holds no KEY=value lines and no frames.");
        if (kind_ == TLineKind::Value && plan_.errors.empty())
            Guarded([&] {
                for (TUBXPacket& packet : CfgValSetMessages(layers_, values_))
                    plan_.frames.push_back({"CFG-VALSET", std::move(packet)});
            });
        if (!plan_.errors.empty())
            plan_.frames.clear();
        return std::move(plan_);
    }

private:
    void Fail(std::size_t number, const std::string& what) {
        plan_.errors.push_back("Line " + std::to_string(number) + ": " + what);
    }

    // An error of the whole file (the layers chosen), told once.
    template <typename Action> void Guarded(Action action) {
        try {
            action();
        } catch (const EConfigError& error) {
            if (std::find(plan_.errors.begin(), plan_.errors.end(), error.what()) ==
                plan_.errors.end())
                plan_.errors.push_back(error.what());
        }
    }

    void Value(std::size_t number, const TConfigValue& value) {
        const auto [earlier, fresh] = lines_.emplace(value.key, number);
        if (!fresh)
            return Fail(number, ConfigKeyText(value.key) + " is set already on line " +
                                    std::to_string(earlier->second));
        values_.push_back(value);
    }

    void Frame(std::size_t number, TNamedFrame frame) {
        if (IsMonVerAnswer(frame.packet))
            return;
        if (!IsValGetAnswer(frame.packet))
            return plan_.frames.push_back(std::move(frame));
        const auto answer = ReadCfgValGet(frame.packet.PayLoad);
        if (!answer)
            return Fail(number, "the CFG-VALGET answer's keys and values are cut short");
        Guarded([&] {
            plan_.frames.push_back({"CFG-VALSET", CfgValSet(layers_, answer->values)});
        });
    }

    std::uint8_t layers_;
    std::optional<TLineKind> kind_;
    std::vector<TConfigValue> values_;
    std::map<std::uint32_t, std::size_t> lines_; // key -> the line that set it
    TConfigFilePlan plan_;
};

} // namespace

TConfigFilePlan ReadConfigFile(std::string_view text, std::uint8_t layers) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    TReader reader(layers);
    for (std::size_t number = 1; !text.empty(); ++number) {
        const std::size_t end = text.find('\n');
        const std::string_view line = TrimBlanks(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.front() != '#')
            reader.Line(number, line);
    }
    return reader.Plan();
}

} // namespace ubx
