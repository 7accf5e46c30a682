#include "window/pages/MessageText.h"

#include "protocol/decoding/Decoder.h"
#include "window/blocks/Latin1.h"

namespace {
constexpr std::size_t kSummaryLength = 160;
} // namespace

std::string MessageSummary(const protocol::Message& message) {
    if (message.Kind == protocol::MessageKind::Unframed)
        return std::to_string(message.Bytes.size()) + " bytes of no known message";
    const protocol::Decoded decoded = protocol::Decode(message);
    if (!decoded.Problem.empty())
        return decoded.Problem;
    std::string summary;
    for (const protocol::Field& field : decoded.Fields) {
        if (summary.size() >= kSummaryLength)
            return summary + " ...";
        if (field.Value.empty())
            continue;
        summary += (summary.empty() ? "" : ", ") + field.Name + " " + field.Value;
        if (!field.Unit.empty())
            summary += " " + field.Unit;
    }
    return summary;
}

std::vector<TFieldText> MessageFields(const protocol::Message& message) {
    std::vector<TFieldText> rows;
    if (message.Kind == protocol::MessageKind::Unframed)
        return rows;
    const protocol::Decoded decoded = protocol::Decode(message);
    if (!decoded.Problem.empty())
        rows.push_back({"problem", Latin1(decoded.Problem), {}});
    for (const protocol::Field& field : decoded.Fields)
        rows.push_back({Latin1(field.Name), Latin1(field.Value), Latin1(field.Unit)});
    return rows;
}
