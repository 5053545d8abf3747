#include "platform/win32/win32_text.h"

#include <climits>

#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

namespace {

int length(std::size_t size) {
    return size > INT_MAX ? INT_MAX : static_cast<int>(size);
}

std::wstring decode(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), length(bytes.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), length(bytes.size()), wide.data(), n);
    return wide;
}

std::string encode(UINT codePage, std::wstring_view wide) {
    if (wide.empty()) return {};
    // UTF-8 takes neither a default character nor the flag that asks whether one was used.
    const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
    const int n = WideCharToMultiByte(codePage, 0, wide.data(), length(wide.size()), nullptr, 0,
                                      fallback, nullptr);
    if (n <= 0) return {};
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), length(wide.size()), bytes.data(), n, fallback,
                        nullptr);
    return bytes;
}

}  // namespace

std::string toAnsi(std::string_view utf8) {
    return encode(CP_ACP, decode(CP_UTF8, utf8));
}

std::string fromAnsi(std::string_view ansi) {
    return encode(CP_UTF8, decode(CP_ACP, ansi));
}

std::wstring toWide(std::string_view utf8) {
    return decode(CP_UTF8, utf8);
}

std::string fromWide(std::wstring_view wide) {
    return encode(CP_UTF8, wide);
}

std::string fitAnsi(std::string ansi, std::size_t fieldSize) {
    if (fieldSize == 0) return {};
    if (ansi.size() < fieldSize) return ansi;
    // Walk whole characters: a lead byte of the code page takes the next byte with it.
    std::size_t end = 0;
    while (end < ansi.size()) {
        const std::size_t next =
            IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(ansi[end])) ? end + 2 : end + 1;
        if (next > fieldSize - 1) break;
        end = next;
    }
    ansi.resize(end);
    return ansi;
}

}  // namespace tw::win32_platform
