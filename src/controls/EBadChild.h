#pragma once

#include <stdexcept>

// Raised when a window, not a control, is given to the drag handle.
class EBadChild : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
