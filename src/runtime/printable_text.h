#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tw {

// `bytes` as they are, except what could break a line or fool a reader: C0 and C1 controls,
// the line and paragraph separators and the bidirectional controls are written as \uXXXX (DEL
// and the C0 controls as \xNN), bytes that are not UTF-8 (overlong forms included) as \xNN. A
// file name, which may hold any byte, then can't forge a line of a log or a journal, nor show
// itself reversed; backslashes stay, so Windows paths read as they are.
std::string printable(std::string_view bytes);

// The mark that ends a name printableName cut.
inline constexpr std::string_view kCutMark = " [cut]";

// printable() of a name of at most `mostBytes` bytes: a longer one is cut at a character
// boundary at or below that length and ends with kCutMark.
std::string printableName(std::string_view bytes, std::size_t mostBytes);

}  // namespace tw
