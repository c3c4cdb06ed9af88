#pragma once

#include <stdexcept>

namespace dnspeek {

// The framework's error class: its message is what the error box shows.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised when a text is not a number.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace dnspeek
