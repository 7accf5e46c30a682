#include "protocol/configkeys/ConfigValueText.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

namespace ubx {
namespace {

// Wide enough for a 30-digit mantissa shifted by a scale of 2^-20.
using Wide = unsigned __int128;

constexpr std::size_t kMaxDigits = 30;
constexpr std::size_t kMaxListedNames = 12;

std::uint64_t SizeMask(std::size_t bytes) {
    return bytes >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * bytes)) - 1;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool SameNoCase(std::string_view left, std::string_view right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) ==
               std::toupper(static_cast<unsigned char>(b));
    });
}

std::string HexText(std::uint64_t value, std::size_t bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text = "0x";
    for (std::size_t digit = 2 * std::max<std::size_t>(bytes, 1); digit-- > 0;)
        text += kDigits[(value >> (4 * digit)) & 0xF];
    return text;
}

std::string WideText(Wide value) {
    std::string text;
    do {
        text.insert(text.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    return text;
}

std::string WithUnit(std::string text, std::string_view unit) {
    return unit.empty() ? text : text + " " + std::string(unit);
}

// The text without the unit the user may have typed after the number.
std::string_view WithoutUnit(std::string_view text, std::string_view unit) {
    text = Trim(text);
    if (!unit.empty() && text.size() > unit.size() && text.ends_with(unit))
        text = Trim(text.substr(0, text.size() - unit.size()));
    return text;
}

// "123", "0x7B": a whole number that fits 64 bits.
std::optional<std::uint64_t> UnsignedNumber(std::string_view text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex)
        text.remove_prefix(2);
    std::uint64_t value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, hex ? 16 : 10);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// --- scaled integers (U, I) ---

// A signed number as its sign and magnitude, so that all of U8 and I8 fit.
struct SignedMagnitude {
    bool negative = false;
    std::uint64_t magnitude = 0;
};

// magnitude × scale written out exactly: 10^-k has k decimals, and so has
// 2^-k, since m / 2^k = m × 5^k / 10^k.
std::string ScaledText(SignedMagnitude value, TConfigScale scale) {
    const std::size_t places = static_cast<std::size_t>(-scale.exponent);
    Wide digits = value.magnitude;
    if (scale.base == 2)
        for (std::size_t k = 0; k < places; ++k)
            digits *= 5;
    std::string text = WideText(digits);
    if (places > 0) {
        if (text.size() <= places)
            text.insert(0, places + 1 - text.size(), '0');
        text.insert(text.size() - places, ".");
    }
    return value.negative && value.magnitude != 0 ? "-" + text : text;
}

struct IntegerRange {
    SignedMagnitude lowest;
    std::uint64_t highest;
};

IntegerRange RangeOf(const TConfigKey& key) {
    const std::size_t bytes = ConfigTypeSize(key.type);
    if (ConfigTypeInfo(key.type).kind == TConfigKind::Signed)
        return {{true, SizeMask(bytes) / 2 + 1}, SizeMask(bytes) / 2};
    return {{false, 0}, SizeMask(bytes)};
}

SignedMagnitude IntegerOf(const TConfigKey& key, std::uint64_t raw) {
    const std::size_t bytes = ConfigTypeSize(key.type);
    raw &= SizeMask(bytes);
    const bool negative =
        ConfigTypeInfo(key.type).kind == TConfigKind::Signed && (raw >> (8 * bytes - 1)) != 0;
    return {negative, negative ? (~raw + 1) & SizeMask(bytes) : raw};
}

[[noreturn]] void ThrowRange(const TConfigKey& key, std::string_view text) {
    const IntegerRange range = RangeOf(key);
    throw EConfigError(std::string(key.name) + " takes a number from " +
                       ScaledText(range.lowest, key.scale) + " to " +
                       WithUnit(ScaledText({false, range.highest}, key.scale), key.unit) +
                       ", not " + Quoted(text));
}

std::uint64_t ParseInteger(const TConfigKey& key, std::string_view typed) {
    std::string_view text = WithoutUnit(typed, key.unit);
    SignedMagnitude value;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        value.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // The digits as one mantissa, and how many of them follow the point.
    Wide mantissa = 0;
    std::size_t digits = 0;
    std::size_t decimals = 0;
    bool point = false;
    for (const char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (std::isdigit(static_cast<unsigned char>(c)) && ++digits <= kMaxDigits) {
            mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
            decimals += point ? 1 : 0;
        } else {
            ThrowRange(key, typed);
        }
    }
    if (digits == 0 || (value.negative && mantissa != 0 && RangeOf(key).lowest.magnitude == 0))
        ThrowRange(key, typed);
    while (decimals > 0 && mantissa % 10 == 0) {
        mantissa /= 10;
        --decimals;
    }
    // raw = mantissa / 10^decimals / scale, which must come out whole.
    const std::size_t places = static_cast<std::size_t>(-key.scale.exponent);
    Wide raw = mantissa;
    Wide divisor = 1;
    if (key.scale.base == 2) {
        raw <<= places;
        for (std::size_t k = 0; k < decimals; ++k)
            divisor *= 10;
    } else if (decimals <= places) {
        if (mantissa > ~std::uint64_t{0})
            ThrowRange(key, typed);
        for (std::size_t k = decimals; k < places; ++k)
            raw *= 10;
    } else {
        divisor = 0;
    }
    if (divisor == 0 || raw % divisor != 0)
        throw EConfigError(std::string(key.name) + " takes steps of " +
                           WithUnit(ScaledText({false, 1}, key.scale), key.unit) + ", not " +
                           Quoted(typed));
    raw /= divisor;
    const IntegerRange range = RangeOf(key);
    const Wide limit = value.negative ? range.lowest.magnitude : range.highest;
    if (raw > limit)
        ThrowRange(key, typed);
    const auto magnitude = static_cast<std::uint64_t>(raw);
    return (value.negative ? ~magnitude + 1 : magnitude) & SizeMask(ConfigTypeSize(key.type));
}

// --- floating point (R) ---

std::string RealText(const TConfigKey& key, std::uint64_t raw) {
    char buffer[32];
    const auto [end, error] =
        key.type == TConfigType::R4
            ? std::to_chars(buffer, buffer + sizeof buffer,
                            std::bit_cast<float>(static_cast<std::uint32_t>(raw)))
            : std::to_chars(buffer, buffer + sizeof buffer, std::bit_cast<double>(raw));
    return WithUnit(error == std::errc() ? std::string(buffer, end) : HexText(raw, 8), key.unit);
}

template <typename Real> std::optional<Real> RealNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    Real value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::uint64_t ParseReal(const TConfigKey& key, std::string_view typed) {
    const std::string_view text = WithoutUnit(typed, key.unit);
    if (key.type == TConfigType::R4) {
        if (const auto value = RealNumber<float>(text))
            return std::bit_cast<std::uint32_t>(*value);
    } else if (const auto value = RealNumber<double>(text)) {
        return std::bit_cast<std::uint64_t>(*value);
    }
    throw EConfigError(std::string(key.name) + " takes a decimal number within the range of " +
                       std::string(ConfigTypeInfo(key.type).name) + ", not " + Quoted(typed));
}

// --- enumerations (E) and bit fields (X) ---

const TConfigName* NameCalled(const TConfigKey& key, std::string_view text) {
    const auto found =
        std::find_if(key.names.begin(), key.names.end(),
                     [&](const TConfigName& name) { return SameNoCase(name.name, text); });
    return found == key.names.end() ? nullptr : &*found;
}

std::string NameList(const TConfigKey& key) {
    std::string list;
    for (std::size_t index = 0; index < key.names.size() && index < kMaxListedNames; ++index)
        list += (index ? ", " : "") + std::string(key.names[index].name);
    return key.names.size() > kMaxListedNames ? list + ", ..." : list;
}

std::string EnumerationText(const TConfigKey& key, std::uint64_t raw) {
    raw &= SizeMask(ConfigTypeSize(key.type));
    for (const TConfigName& name : key.names)
        if (name.value == raw)
            return std::string(name.name);
    return std::to_string(raw);
}

std::uint64_t ParseEnumeration(const TConfigKey& key, std::string_view typed) {
    const std::string_view text = Trim(typed);
    if (const TConfigName* name = NameCalled(key, text))
        return name->value;
    const auto number = UnsignedNumber(text);
    if (number && *number <= SizeMask(ConfigTypeSize(key.type)))
        return *number;
    throw EConfigError(std::string(key.name) + " takes one of " + NameList(key) + ", not " +
                       Quoted(typed));
}

std::string BitsText(const TConfigKey& key, std::uint64_t raw) {
    const std::size_t bytes = ConfigTypeSize(key.type);
    raw &= SizeMask(bytes);
    if (key.names.empty())
        return HexText(raw, bytes);
    std::string text;
    for (const TConfigName& name : key.names) {
        const std::uint64_t bit = std::uint64_t{1} << name.value;
        if (raw & bit) {
            text += (text.empty() ? "" : "|") + std::string(name.name);
            raw &= ~bit;
        }
    }
    if (raw != 0)
        text += (text.empty() ? "" : "|") + HexText(raw, bytes);
    return text.empty() ? "none" : text;
}

std::uint64_t ParseBits(const TConfigKey& key, std::string_view typed) {
    const std::uint64_t mask = SizeMask(ConfigTypeSize(key.type));
    std::string_view rest = Trim(typed);
    if (!key.names.empty() && SameNoCase(rest, "none"))
        return 0;
    std::uint64_t raw = 0;
    while (true) {
        const std::size_t bar = rest.find('|');
        const std::string_view part = Trim(rest.substr(0, bar));
        const TConfigName* name = NameCalled(key, part);
        const auto number = name ? std::optional<std::uint64_t>() : UnsignedNumber(part);
        if (!name && !(number && *number <= mask)) {
            if (key.names.empty())
                throw EConfigError(std::string(key.name) + " takes a number such as " +
                                   HexText(0, ConfigTypeSize(key.type)) + ", not " + Quoted(typed));
            throw EConfigError(std::string(key.name) + " takes bit names joined by | (" +
                               NameList(key) + "), \"none\" or a number, not " + Quoted(typed));
        }
        raw |= name ? std::uint64_t{1} << name->value : *number;
        if (bar == std::string_view::npos)
            return raw;
        rest = rest.substr(bar + 1);
    }
}

} // namespace

std::string FormatConfigValue(const TConfigKey& key, std::uint64_t raw) {
    switch (ConfigTypeInfo(key.type).kind) {
    case TConfigKind::Bool:
        raw &= 0xFF;
        return raw <= 1 ? (raw ? "true" : "false") : HexText(raw, 1);
    case TConfigKind::Unsigned:
    case TConfigKind::Signed:
        return WithUnit(ScaledText(IntegerOf(key, raw), key.scale), key.unit);
    case TConfigKind::Real:
        return RealText(key, raw);
    case TConfigKind::Enumeration:
        return EnumerationText(key, raw);
    case TConfigKind::Bits:
        return BitsText(key, raw);
    }
    return HexText(raw, ConfigTypeSize(key.type));
}

std::uint64_t ParseConfigValue(const TConfigKey& key, std::string_view text) {
    switch (ConfigTypeInfo(key.type).kind) {
    case TConfigKind::Bool: {
        const std::string_view word = Trim(text);
        if (SameNoCase(word, "true") || word == "1")
            return 1;
        if (SameNoCase(word, "false") || word == "0")
            return 0;
        throw EConfigError(std::string(key.name) + " takes true or false, not " + Quoted(text));
    }
    case TConfigKind::Unsigned:
    case TConfigKind::Signed:
        return ParseInteger(key, text);
    case TConfigKind::Real:
        return ParseReal(key, text);
    case TConfigKind::Enumeration:
        return ParseEnumeration(key, text);
    case TConfigKind::Bits:
        return ParseBits(key, text);
    }
    throw EConfigError(std::string(key.name) + " has a type this monitor cannot write");
}

std::string ConfigKeyText(std::uint32_t id) {
    const TConfigKey* key = FindConfigKey(id);
    return key ? std::string(key->name) : HexText(id, 4);
}

std::string FormatConfigValue(std::uint32_t id, std::uint64_t raw) {
    if (const TConfigKey* key = FindConfigKey(id))
        return FormatConfigValue(*key, raw);
    const std::size_t bytes = ConfigKeySize(id);
    return bytes == 0 ? HexText(raw, 8) : HexText(raw & SizeMask(bytes), bytes);
}

std::uint64_t ParseConfigValue(std::uint32_t id, std::string_view text) {
    if (const TConfigKey* key = FindConfigKey(id))
        return ParseConfigValue(*key, text);
    const std::size_t bytes = ConfigKeySize(id);
    if (bytes == 0)
        throw EConfigError(HexText(id, 4) + " gives no value size in its size bits");
    const auto number = UnsignedNumber(Trim(text));
    if (!number || *number > SizeMask(bytes))
        throw EConfigError(HexText(id, 4) + " takes a number such as " + HexText(0, bytes) +
                           ", not " + Quoted(text));
    return *number;
}

} // namespace ubx
