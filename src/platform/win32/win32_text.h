#pragma once

// The program's texts are UTF-8; every ...A call of the API takes the ANSI code page (CP_ACP)
// of the machine it runs on. Characters that code page lacks become '?'.

#include <string>
#include <string_view>

namespace tw::win32_platform {

std::string toAnsi(std::string_view utf8);
std::string fromAnsi(std::string_view ansi);
// UTF-16, for the few places that check what the system really shows.
std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view wide);

// `ansi` cut to fit a field of `fieldSize` bytes with its terminating NUL, never in the middle
// of a double-byte character.
std::string fitAnsi(std::string ansi, std::size_t fieldSize);

}  // namespace tw::win32_platform
