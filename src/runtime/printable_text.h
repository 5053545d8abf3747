#pragma once

#include <string>
#include <string_view>

namespace tw {

// `bytes` with control characters, backslashes and bytes that are not UTF-8 escaped as \xNN,
// so that a file name, which may hold any byte, can't forge a line of a log or a journal.
std::string printable(std::string_view bytes);

}  // namespace tw
