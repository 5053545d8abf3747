#pragma once

// A Windows cursor file built in memory, for the pointer tests of both hosts.

#include <string>

namespace tw::test {

// One 32 x 32 image, 32 bits per pixel, with the given hot spot.
inline std::string cursorFileBytes(int hotX, int hotY) {
    const auto put16 = [](std::string& out, int v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    const auto put32 = [&](std::string& out, int v) {
        put16(out, v & 0xFFFF);
        put16(out, (v >> 16) & 0xFFFF);
    };
    constexpr int kSide = 32;
    const int pixels = kSide * kSide * 4;
    const int mask = kSide * 4;  // one bit per pixel, rows padded to 32 bits
    std::string out;
    put16(out, 0);  // reserved
    put16(out, 2);  // cursor
    put16(out, 1);  // one image
    out += std::string{char(kSide), char(kSide), 0, 0};
    put16(out, hotX);
    put16(out, hotY);
    put32(out, 40 + pixels + mask);
    put32(out, 22);
    put32(out, 40);  // BITMAPINFOHEADER
    put32(out, kSide);
    put32(out, kSide * 2);  // colour and mask halves
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, pixels + mask);
    for (int i = 0; i < 4; ++i) put32(out, 0);
    for (int i = 0; i < kSide * kSide; ++i) out += std::string("\x20\x40\xC0\xFF", 4);
    out += std::string(static_cast<std::size_t>(mask), '\0');
    return out;
}

}  // namespace tw::test
