#pragma once

#include <string>

namespace tw {

// The message-box title derived from the product name: words are cut from the end, at least
// one, until at most 40 characters remain. A name without a blank is kept whole.
std::string DeriveAppTitle(const std::string& productName);

}  // namespace tw
