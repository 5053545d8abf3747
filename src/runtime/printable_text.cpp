#include "runtime/printable_text.h"

#include <cstdint>
#include <cstdio>

namespace tw {

namespace {

// Length of the valid UTF-8 sequence starting at `s[0]`, or 0 when it is not one.
std::size_t utf8Length(std::string_view s) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    std::size_t len = b0 >= 0xF0 && b0 <= 0xF4 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 ? 2 : 0;
    if (len == 0 || s.size() < len) return 0;
    for (std::size_t i = 1; i < len; ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0;
    }
    const auto b1 = static_cast<unsigned char>(s[1]);
    if ((b0 == 0xE0 && b1 < 0xA0) || (b0 == 0xED && b1 > 0x9F) || (b0 == 0xF0 && b1 < 0x90) ||
        (b0 == 0xF4 && b1 > 0x8F)) {
        return 0;  // overlong, surrogate or beyond U+10FFFF
    }
    return len;
}

char32_t codePoint(std::string_view s, std::size_t len) {
    static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = static_cast<unsigned char>(s[0]) & kLeadBits[len];
    for (std::size_t i = 1; i < len; ++i) c = (c << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
    return c;
}

// Characters that a terminal or an editor would act on, or that reorder what is shown.
bool misleads(char32_t c) {
    return (c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string printable(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    char escaped[12];
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80) {
            const std::size_t len = utf8Length(bytes.substr(i));
            if (len == 0) {
                std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
                out += escaped;
                ++i;
                continue;
            }
            const char32_t cp = codePoint(bytes.substr(i), len);
            if (misleads(cp)) {
                std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(cp));
                out += escaped;
            } else {
                out.append(bytes.substr(i, len));
            }
            i += len;
            continue;
        }
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out.push_back(static_cast<char>(c));
        }
        ++i;
    }
    return out;
}

std::string printableName(std::string_view bytes, std::size_t mostBytes) {
    if (bytes.size() <= mostBytes) return printable(bytes);
    std::size_t cut = mostBytes;
    // Back to the start of a character, so the cut leaves no broken sequence to escape.
    for (int back = 0;
         back < 3 && cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80; ++back) {
        --cut;
    }
    return printable(bytes.substr(0, cut)) + std::string(kCutMark);
}

}  // namespace tw
