// Turns the configuration key table (config_keys.csv) into C++ for the
// protocol library, and fails the build with a message naming the key and
// the line when the table contradicts itself: a key ID whose size bits
// disagree with the key's type, a reserved bit set, a name or ID given
// twice, a group split up or mixing group IDs, enumeration values or bit
// names that do not fit the type.
//
// Usage: GenerateConfigKeyTable <config_keys.csv> <ConfigKeyTable.cpp>

#include "protocol/configkeys/ConfigType.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace ubx;

const char* const kColumns = "name,key_id,type,scale,unit,values,description";

// A fault in the table: where it is and what is wrong.
struct TableError {
    std::string text;
};

struct Row {
    int line;
    std::string name;
    std::string group;
    std::uint32_t id;
    const TConfigTypeInfo* type;
    int scaleBase;
    int scaleExponent;
    std::string unit;
    std::vector<std::pair<std::uint64_t, std::string>> names;
    std::string description;
};

// One line of comma-separated fields; a field in double quotes may hold
// commas, and "" inside it stands for one quote.
std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t index = 0; index < line.size(); ++index) {
        const char c = line[index];
        if (quoted && c == '"' && index + 1 < line.size() && line[index + 1] == '"') {
            fields.back() += '"';
            ++index;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (quoted)
        throw TableError{"a quoted field is not closed"};
    return fields;
}

std::optional<std::uint64_t> Number(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > (hex ? 16u : 19u))
        return std::nullopt;
    for (const char c : digits)
        if (!(hex ? std::isxdigit(static_cast<unsigned char>(c))
                  : std::isdigit(static_cast<unsigned char>(c))))
            return std::nullopt;
    return std::stoull(digits, nullptr, hex ? 16 : 10);
}

std::string Hex(std::uint32_t id) {
    std::ostringstream text;
    text << "0x" << std::hex;
    text.width(8);
    text.fill('0');
    text << id;
    return text.str();
}

bool IsNameChar(char c, bool hyphenAllowed) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           (hyphenAllowed && c == '-');
}

// "CFG-<GROUP>-<ITEM>" in capitals, digits and underscores; returns the group.
std::string GroupOf(const std::string& name) {
    const std::size_t dash = name.find('-', 4);
    const bool valid =
        name.rfind("CFG-", 0) == 0 && dash != std::string::npos && dash > 4 &&
        dash + 1 < name.size() &&
        std::all_of(name.begin() + 4, name.end(), [](char c) { return IsNameChar(c, true); }) &&
        name.find('-', dash + 1) == std::string::npos;
    if (!valid)
        throw TableError{"the name must read CFG-<GROUP>-<ITEM> in capitals, digits and "
                         "underscores"};
    return name.substr(4, dash - 4);
}

std::uint32_t KeyId(const std::string& text) {
    const auto id = text.size() == 10 ? Number(text) : std::nullopt;
    if (!id || text[1] != 'x')
        throw TableError{"the key ID \"" + text + "\" is not 0x followed by 8 hex digits"};
    return static_cast<std::uint32_t>(*id);
}

const char* SizeWords(unsigned sizeCode) {
    static const char* const kWords[8] = {"no defined", "a one-bit",   "a one-byte",
                                          "a two-byte", "a four-byte", "an eight-byte",
                                          "no defined", "no defined"};
    return kWords[sizeCode & 7];
}

const TConfigTypeInfo& TypeOf(const std::string& text, std::uint32_t id) {
    const auto type = std::find_if(std::begin(kConfigTypes), std::end(kConfigTypes),
                                   [&](const TConfigTypeInfo& info) { return info.name == text; });
    if (type == std::end(kConfigTypes))
        throw TableError{"the type \"" + text +
                         "\" is none of L, U1-U8, I1-I8, R4, R8, E1-E4, X1-X8"};
    if (type->sizeCode != ConfigKeySizeCode(id)) {
        std::ostringstream text;
        text << "the size bits of key ID " << Hex(id) << " give "
             << SizeWords(ConfigKeySizeCode(id)) << " value, but type " << type->name << " takes "
             << SizeWords(type->sizeCode) << " value";
        throw TableError{text.str()};
    }
    return *type;
}

// "0.01", "1e-7" or "2^-6"; an empty field is no scale.
std::pair<int, int> ScaleOf(const std::string& text, TConfigKind kind) {
    if (text.empty())
        return {10, 0};
    if (kind != TConfigKind::Unsigned && kind != TConfigKind::Signed)
        throw TableError{"only integer types take a scale"};
    const auto exponent = [&](const std::string& digits, int limit) {
        const auto value = Number(digits);
        if (!value || *value == 0 || *value > static_cast<std::uint64_t>(limit))
            throw TableError{"the scale \"" + text + "\" is out of range"};
        return -static_cast<int>(*value);
    };
    if (text.rfind("2^-", 0) == 0)
        return {2, exponent(text.substr(3), 20)};
    if (text.rfind("1e-", 0) == 0)
        return {10, exponent(text.substr(3), 12)};
    if (text.rfind("0.", 0) == 0 && text.size() > 2 && text.back() == '1' &&
        text.find_first_not_of('0', 2) == text.size() - 1)
        return {10, exponent(std::to_string(text.size() - 2), 12)};
    throw TableError{"the scale \"" + text + "\" is none of 0.01, 1e-7 or 2^-6"};
}

// "0=PORT;2=STAT" for an enumeration, "0:ERROR;1:WARNING" for a bit field.
std::vector<std::pair<std::uint64_t, std::string>> NamesOf(const std::string& text,
                                                           const TConfigTypeInfo& type) {
    const bool enumeration = type.kind == TConfigKind::Enumeration;
    const bool bits = type.kind == TConfigKind::Bits;
    if (!enumeration && !bits) {
        if (!text.empty())
            throw TableError{"only E and X types take value or bit names"};
        return {};
    }
    if (text.empty()) {
        if (enumeration)
            throw TableError{"an enumeration needs its values, as 0=NAME;1=NAME"};
        return {};
    }
    const std::size_t bytes = ConfigTypeSize(type.type);
    const char separator = enumeration ? '=' : ':';
    std::vector<std::pair<std::uint64_t, std::string>> names;
    std::set<std::uint64_t> values;
    std::set<std::string> seen;
    std::istringstream items(text);
    for (std::string item; std::getline(items, item, ';');) {
        const std::size_t at = item.find(separator);
        const auto value = at == std::string::npos ? std::nullopt : Number(item.substr(0, at));
        const std::string name = at == std::string::npos ? "" : item.substr(at + 1);
        if (!value || name.empty() ||
            !std::all_of(name.begin(), name.end(), [](char c) { return IsNameChar(c, false); }))
            throw TableError{"\"" + item + "\" is not " +
                             (enumeration ? "VALUE=NAME" : "BIT:NAME") +
                             " with a name in capitals, digits and underscores"};
        const bool fits = enumeration ? bytes == 8 || *value < (std::uint64_t{1} << (8 * bytes))
                                      : *value < 8 * bytes;
        if (!fits)
            throw TableError{"\"" + item + "\" does not fit type " + std::string(type.name)};
        if (!values.insert(*value).second || !seen.insert(name).second)
            throw TableError{"\"" + item + "\" repeats a value or a name"};
        names.emplace_back(*value, name);
    }
    return names;
}

Row ReadRow(const std::vector<std::string>& fields, int line) {
    if (fields.size() != 7)
        throw TableError{"the line has " + std::to_string(fields.size()) +
                         " fields, not the 7 of " + kColumns};
    Row row{line,      fields[0], GroupOf(fields[0]), KeyId(fields[1]), nullptr, 10, 0,
            fields[4], {},        fields[6]};
    if (!ConfigKeyReservedBitsClear(row.id))
        throw TableError{"the key ID " + Hex(row.id) + " sets reserved bits"};
    row.type = &TypeOf(fields[2], row.id);
    std::tie(row.scaleBase, row.scaleExponent) = ScaleOf(fields[3], row.type->kind);
    row.names = NamesOf(fields[5], *row.type);
    if (row.description.empty())
        throw TableError{"the description is empty"};
    return row;
}

[[noreturn]] void Fail(const std::string& file, int line, const std::string& key,
                       const std::string& what) {
    throw TableError{file + ":" + std::to_string(line) + ": " + (key.empty() ? "" : key + ": ") +
                     what};
}

// The whole table; every key and group checked against the others.
std::vector<Row> ReadTable(std::istream& input, const std::string& file) {
    std::vector<Row> rows;
    std::map<std::string, int> names;
    std::map<std::uint32_t, std::string> ids;
    std::map<std::string, std::uint8_t> groupIds;
    std::string text;
    int line = 0;
    const auto fail = [&](const std::string& key, const std::string& what) {
        Fail(file, line, key, what);
    };
    while (std::getline(input, text)) {
        ++line;
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (line == 1) {
            if (text != kColumns)
                fail("", std::string("the first line must name the columns ") + kColumns);
            continue;
        }
        if (text.empty())
            continue;
        Row row{};
        try {
            row = ReadRow(SplitFields(text), line);
        } catch (const TableError& error) {
            Fail(file, line, text.substr(0, text.find(',')), error.text);
        }
        if (!names.emplace(row.name, line).second)
            fail(row.name,
                 "the name is given twice, first on line " + std::to_string(names[row.name]));
        if (!ids.emplace(row.id, row.name).second)
            fail(row.name,
                 "the key ID " + Hex(row.id) + " is given twice, first for " + ids[row.id]);
        const auto group = groupIds.find(row.group);
        if (group == groupIds.end()) {
            groupIds.emplace(row.group, ConfigKeyGroupId(row.id));
        } else if (rows.back().group != row.group) {
            fail(row.name, "the keys of group " + row.group + " must stand together");
        } else if (group->second != ConfigKeyGroupId(row.id)) {
            fail(row.name,
                 "the key ID's group bits differ from those of the other " + row.group + " keys");
        }
        rows.push_back(std::move(row));
    }
    if (rows.empty())
        throw TableError{file + ": the table holds no keys"};
    return rows;
}

std::string Literal(const std::string& text) {
    std::string literal = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            literal += '\\';
        literal += c;
    }
    return literal + "\"";
}

void WriteTable(const std::vector<Row>& rows, std::ostream& out) {
    out << "// Generated from config_keys.csv by GenerateConfigKeyTable at build time.\n\n"
           "#include \"protocol/configkeys/ConfigKeys.h\"\n\n"
           "namespace ubx {\nnamespace {\n\n";
    for (const Row& row : rows) {
        if (row.names.empty())
            continue;
        out << "constexpr TConfigName kNames" << row.line << "[] = {";
        for (const auto& [value, name] : row.names)
            out << "{" << value << "u, " << Literal(name) << "}, ";
        out << "};\n";
    }
    out << "\nconstexpr TConfigKey kKeys[] = {\n";
    for (const Row& row : rows) {
        out << "    {0x" << std::hex << row.id << std::dec << "u, " << Literal(row.name) << ", "
            << Literal(row.group) << ", TConfigType::" << row.type->name << ", {" << row.scaleBase
            << ", " << row.scaleExponent << "}, " << Literal(row.unit) << ", ";
        if (row.names.empty())
            out << "{}";
        else
            out << "kNames" << row.line;
        out << ", " << Literal(row.description) << "},\n";
    }
    out << "};\n\nconstexpr TConfigGroup kGroups[] = {\n";
    for (std::size_t first = 0; first < rows.size();) {
        std::size_t end = first;
        while (end < rows.size() && rows[end].group == rows[first].group)
            ++end;
        out << "    {" << Literal(rows[first].group) << ", std::span<const TConfigKey>(kKeys + "
            << first << ", " << end - first << ")},\n";
        first = end;
    }
    out << "};\n\n} // namespace\n\n"
           "std::span<const TConfigKey> ConfigKeys() {\n    return kKeys;\n}\n\n"
           "std::span<const TConfigGroup> ConfigGroups() {\n    return kGroups;\n}\n\n"
           "} // namespace ubx\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: GenerateConfigKeyTable <config_keys.csv> <ConfigKeyTable.cpp>\n";
        return 2;
    }
    std::ifstream input(argv[1]);
    if (!input) {
        std::cerr << argv[1] << ": cannot be read\n";
        return 1;
    }
    std::string file = argv[1];
    file = file.substr(file.find_last_of('/') + 1);
    try {
        const std::vector<Row> rows = ReadTable(input, file);
        std::ostringstream table;
        WriteTable(rows, table);
        std::ofstream output(argv[2]);
        output << table.str();
        if (!output.flush()) {
            std::cerr << argv[2] << ": cannot be written\n";
            return 1;
        }
    } catch (const TableError& error) {
        std::cerr << "configuration key table: " << error.text << "\n";
        return 1;
    }
    return 0;
}
