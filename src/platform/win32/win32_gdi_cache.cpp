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
    LOGFONTA spec{};
    // A negative height asks for the character height: points at the system DPI.
    spec.lfHeight = -static_cast<LONG>(std::lround(font.points * dpi_ / 72.0));
    spec.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    // The captions reach the controls in the ANSI code page, so the font must draw that code
    // page: a fixed character set (the design's Cyrillic one) would show other letters for
    // the same bytes outside ASCII on a Western system.
    spec.lfCharSet = DEFAULT_CHARSET;
    spec.lfOutPrecision = OUT_TT_PRECIS;
    spec.lfQuality = DEFAULT_QUALITY;
    spec.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    const std::string face = toAnsi(font.name);
    lstrcpynA(spec.lfFaceName, face.c_str(), LF_FACESIZE);
    HFONT handle = CreateFontIndirectA(&spec);
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
