#include "runtime/printable_text.h"

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

}  // namespace

std::string printable(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80) {
            if (std::size_t len = utf8Length(bytes.substr(i))) {
                out.append(bytes.substr(i, len));
                i += len;
                continue;
            }
        }
        if (c < 0x20 || c == 0x7F || c >= 0x80 || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out.push_back(static_cast<char>(c));
        }
        ++i;
    }
    return out;
}

}  // namespace tw
