#include "protocol/configkeys/ConfigKeys.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace ubx {
namespace {

// The table sorted once, by ID and by name, for lookups by binary search.
std::vector<const TConfigKey*> SortedBy(bool (*before)(const TConfigKey*, const TConfigKey*)) {
    std::vector<const TConfigKey*> sorted;
    for (const TConfigKey& key : ConfigKeys())
        sorted.push_back(&key);
    std::sort(sorted.begin(), sorted.end(), before);
    return sorted;
}

bool IdBefore(const TConfigKey* left, const TConfigKey* right) {
    return left->id < right->id;
}

bool NameBefore(const TConfigKey* left, const TConfigKey* right) {
    return left->name < right->name;
}

} // namespace

const TConfigKey* FindConfigKey(std::uint32_t id) {
    static const std::vector<const TConfigKey*> byId = SortedBy(IdBefore);
    const auto found = std::lower_bound(
        byId.begin(), byId.end(), id,
        [](const TConfigKey* key, std::uint32_t wanted) { return key->id < wanted; });
    return found != byId.end() && (*found)->id == id ? *found : nullptr;
}

const TConfigKey* FindConfigKey(std::string_view name) {
    static const std::vector<const TConfigKey*> byName = SortedBy(NameBefore);
    // Names in the table are in capitals.
    std::string wanted(name);
    std::transform(wanted.begin(), wanted.end(), wanted.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const auto found = std::lower_bound(
        byName.begin(), byName.end(), wanted,
        [](const TConfigKey* key, const std::string& text) { return key->name < text; });
    return found != byName.end() && (*found)->name == wanted ? *found : nullptr;
}

} // namespace ubx
