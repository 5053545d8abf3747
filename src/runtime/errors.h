#pragma once

#include <stdexcept>
#include <string>

namespace tw {

// A run-time error with the classic number and description that the error-report box shows.
class AppError : public std::runtime_error {
  public:
    AppError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    int number() const { return number_; }

  private:
    int number_;
};

inline AppError outOfMemoryError() {
    return AppError(7, "Out of memory");
}
inline AppError overflowError() {
    return AppError(6, "Overflow");
}
inline AppError typeMismatchError() {
    return AppError(13, "Type mismatch");
}
inline AppError invalidPropertyValueError() {
    return AppError(380, "Invalid property value");
}
inline AppError invalidPictureError() {
    return AppError(481, "Invalid picture");
}

}  // namespace tw
