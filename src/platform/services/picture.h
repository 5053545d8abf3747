#pragma once

#include <cstdint>

namespace tw {

// A picture object as the designer hands it around: a type and a system handle.
struct Picture {
    enum class Type { None = 0, Bitmap = 1, Metafile = 2, Icon = 3 };
    Type type = Type::None;
    std::uint32_t handle = 0;
    bool operator==(const Picture&) const = default;
};

}  // namespace tw
