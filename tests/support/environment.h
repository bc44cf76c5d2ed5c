#pragma once
// Setting and clearing an environment variable for a test, with the C library of each platform
// (Windows' has no setenv).

#include <cstdlib>

namespace Zorvek::testing {

inline void setVariable(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value);
#else
    setenv(name, value, 1);
#endif
}

// On Windows, a variable set to nothing is no variable.
inline void clearVariable(const char* name) {
#ifdef _WIN32
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
}

}  // namespace Zorvek::testing
