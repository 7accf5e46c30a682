#pragma once
// The Configure page's daily settings as configuration keys, for receivers
// configured through the configuration database: the navigation rate
// (CFG-RATE-MEAS, -NAV, -TIMEREF as the fields of CFG-RATE), a message's
// rate on each port (its CFG-MSGOUT keys, in CFG-MSG's port order) and the
// baud rate of UART1 with its protocols (CFG-UART1-*). Each setting is read
// with one CFG-VALGET from RAM and changed with one CFG-VALSET in RAM, the
// configuration in use, as the legacy messages change it; the answers are
// read back into the legacy records, so a page shows both alike.

#include "protocol/commands/ConfigValues.h"
#include "protocol/commands/UbxCommands.h"

#include <array>
#include <optional>
#include <string_view>

namespace ubx {

// The key ID of a key the table holds by name.
std::uint32_t ConfigKeyId(std::string_view name);

// A message's CFG-MSGOUT key on each port of kMsgRatePorts; 0 where the
// receiver has none (Port 5, and messages of older generations such as
// NAV-SOL). Empty of keys altogether for a message the database lacks.
using TMessageRateKeys = std::array<std::uint32_t, kMsgRatePorts.size()>;
TMessageRateKeys MessageRateKeys(std::string_view messageName);

TUBXPacket RateValGet();
TUBXPacket RateValSet(const TCfgRate& rate);
// None unless both the measurement period and the solutions per
// measurement are given.
std::optional<TCfgRate> RateOfValGet(std::span<const std::uint8_t> answer);
std::optional<TCfgRate> RateOfValues(std::span<const TConfigValue> values);
// The navigation rate's poll, and its answer read, in the database's keys or
// the legacy CFG-RATE.
TUBXPacket RatePoll(bool database);
std::optional<TCfgRate> RateOfAnswer(bool database, std::span<const std::uint8_t> answer);

// Throws EConfigError for a message without CFG-MSGOUT keys.
TUBXPacket MessageRateValGet(std::string_view messageName);
using TMessageRates = decltype(TCfgMsg::rates);
TUBXPacket MessageRateValSet(std::string_view messageName, const TMessageRates& rates);
// The message's rate on one port of kMsgRatePorts alone; throws
// EConfigError where the database has no key for it.
TUBXPacket MessageRateValSetOn(std::string_view messageName, std::size_t port, std::uint8_t rate);
std::optional<TMessageRates> MessageRatesOfValGet(std::span<const std::uint8_t> answer,
                                                  std::string_view messageName);

// UART1 as a CFG-PRT record: port 1, its rate, data bits, parity and stop
// bits, its input and output protocols.
TUBXPacket Uart1ValGet();
TUBXPacket Uart1BaudValSet(std::uint32_t baudRate);
std::optional<TCfgPrt> Uart1OfValGet(std::span<const std::uint8_t> answer);

} // namespace ubx
