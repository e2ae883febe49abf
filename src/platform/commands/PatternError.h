#pragma once

#include <stdexcept>
#include <string>

namespace Kalvoren {

// Raised when a regular expression does not compile. The sampler treats it as a failed
// sample; other callers see it as an ordinary std::exception.
class PatternError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace Kalvoren
