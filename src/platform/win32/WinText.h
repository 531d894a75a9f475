// Text and paths at the edge of the Windows API: UTF-8 with "/" separators
// inside the program, UTF-16 with "\" separators at every system call.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qv::platform::win32 {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// A path for a system call: wide, with "\" separators, in the long-path form
// ("\\?\C:\...") when it is too long for the plain one.
std::wstring SystemPath(std::string_view utf8);
// A path the system gave, as the program keeps it: UTF-8 with "/".
std::string ProgramPath(std::wstring_view wide);

// The system's message for an error code (GetLastError), in UTF-8.
std::string ErrorText(uint32_t code);

}  // namespace qv::platform::win32
