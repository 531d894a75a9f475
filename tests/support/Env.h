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

// A variable set for one scope and put back as it was afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    SetEnv(name, value);
  }
  ~ScopedEnv() {
    if (had_) SetEnv(name_, old_);
    else UnsetEnv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

}  // namespace qvtest
