#pragma once

#include <optional>
#include <string>

namespace tw {

// Reads a whole text as a decimal number in the user's number format: blanks around it, an
// optional sign, digits, and an optional decimal part after `decimalSeparator`. No thousands
// separators, no exponents. The numeric test and the conversion both use this, so they always
// agree on which texts are numbers.
std::optional<double> ReadNumber(const std::string& text, const std::string& decimalSeparator);

// The text-to-truth-value conversion: "True"/"False" in any letter case, or any numeric text
// (0 is false). Anything else is a "Type mismatch".
bool TextToBool(const std::string& text, const std::string& decimalSeparator);
inline const char* BoolToText(bool value) {
    return value ? "True" : "False";
}

}  // namespace tw
