#include "app/app_title.h"

namespace tw {

std::string DeriveAppTitle(const std::string& productName) {
    std::string title = productName;
    do {
        const std::size_t blank = title.rfind(' ');
        if (blank == std::string::npos) break;
        title.resize(blank);
    } while (title.size() > 40);
    return title;
}

}  // namespace tw
