#include "app/instance_key.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace cadenzo {

namespace {
// Longest key kept as it is; a hashed key is longer, so that the two kinds never meet. With the
// runtime folder in front the socket's path stays well under its limit of about 100 bytes.
constexpr std::size_t PLAIN_KEY_LENGTH = 40;
constexpr std::size_t HASHED_KEY_PREFIX = 31;

bool isSafe(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

std::uint64_t fnv1a(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}
} // namespace

std::string xDisplayId(std::string_view display) {
    const std::size_t colon = display.rfind(':');
    if (colon == std::string_view::npos)
        return std::string(display);
    std::string_view host = display.substr(0, colon);
    std::string_view number = display.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
        return std::string(display);
    // Leading zeros name the same display number.
    number.remove_prefix(std::min(number.find_first_not_of('0'), number.size() - 1));
    if (host.empty() || host == "unix")
        return std::string(number);
    return std::string(host) + '-' + std::string(number);
}

std::string instanceKey(std::string_view user, std::string_view platform,
                        std::string_view displayId) {
    std::string raw = "Cadenzo-" + std::string(user) + '-' + std::string(platform);
    if (!displayId.empty())
        raw += '-' + std::string(displayId);
    std::string key = raw;
    bool changed = false;
    for (char& c : key) {
        if (!isSafe(c)) {
            c = '_';
            changed = true;
        }
    }
    if (!changed && key.size() <= PLAIN_KEY_LENGTH)
        return key;
    char hash[24];
    std::snprintf(hash, sizeof hash, "-%016llx", static_cast<unsigned long long>(fnv1a(raw)));
    return key.substr(0, HASHED_KEY_PREFIX) + hash;
}

} // namespace cadenzo
