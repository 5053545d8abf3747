#pragma once

#include <string>

namespace tw {

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Warning };
enum class MsgAnswer { Ok, Yes, No };

class MessageBox {
  public:
    virtual ~MessageBox() = default;
    // Modal: returns once the user has closed the box. With YesNo, Yes is the default button.
    virtual MsgAnswer show(const std::string& text, const std::string& title, MsgButtons buttons,
                           MsgIcon icon) = 0;
};

}  // namespace tw
