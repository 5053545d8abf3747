#include "platform/win32/win32_gdi_cache.h"

#include <cmath>

#include "platform/win32/win32_text.h"
#include "platform/win32/win32_units.h"

namespace tw::win32_platform {

GdiCache::~GdiCache() {
    for (auto& entry : fonts_) DeleteObject(entry.second);
    for (auto& entry : brushes_) DeleteObject(entry.second);
}

HFONT GdiCache::font(const controls::Font& font) {
    for (const auto& entry : fonts_) {
        if (entry.first == font) return entry.second;
    }
    LOGFONTA logFont{};
    // A negative height asks for the character height: points at the system DPI.
    logFont.lfHeight = -static_cast<LONG>(std::lround(font.points * dpi_ / 72.0));
    logFont.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    // The captions reach the controls in the ANSI code page, so the font must draw that code
    // page: a fixed character set (the design's Cyrillic one) would show other letters for
    // the same bytes outside ASCII on a Western system.
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfOutPrecision = OUT_TT_PRECIS;
    logFont.lfQuality = DEFAULT_QUALITY;
    logFont.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    const std::string face = toAnsi(font.name);
    lstrcpynA(logFont.lfFaceName, face.c_str(), LF_FACESIZE);
    HFONT handle = CreateFontIndirectA(&logFont);
    fonts_.emplace_back(font, handle);
    return handle;
}

HBRUSH GdiCache::brush(std::uint32_t color) {
    for (const auto& entry : brushes_) {
        if (entry.first == color) return entry.second;
    }
    HBRUSH handle = CreateSolidBrush(colorRef(color));
    brushes_.emplace_back(color, handle);
    return handle;
}

}  // namespace tw::win32_platform
