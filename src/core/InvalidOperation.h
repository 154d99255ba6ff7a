// The error a reusable control raises when it is used wrongly; its text is shown to
// the user.
#pragma once

#include <stdexcept>

namespace kex {

class EInvalidOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace kex
