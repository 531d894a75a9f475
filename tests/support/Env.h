// Setting and clearing an environment variable for a test, on every system.
#pragma once
#include <cstdlib>
#include <string>

namespace qvtest {

// Where the user's own settings folder is given (UserConfigFolder).
#if defined(_WIN32)
inline constexpr const char* kUserConfigVariable = "APPDATA";
#else
inline constexpr const char* kUserConfigVariable = "XDG_CONFIG_HOME";
#endif

inline void SetEnv(const char* name, const std::string& value) {
#if defined(_WIN32)
  _putenv_s(name, value.c_str());
#else
  ::setenv(name, value.c_str(), 1);
#endif
}

inline void UnsetEnv(const char* name) {
#if defined(_WIN32)
  _putenv_s(name, "");  // an empty value removes it
#else
  ::unsetenv(name);
#endif
}

}  // namespace qvtest
