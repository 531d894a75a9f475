// What the systems' file services (posix/ and win32/) share, so that their
// answers read the same everywhere. For the platform's own sources only.
#pragma once
#include <cstdint>
#include <string>

namespace qv::platform {

// A folder's path ending with "/" (an empty path stays empty).
std::string WithSlash(std::string path);

// Why OpenRegularFile refuses a name that opened.
inline constexpr char kFolderReason[] = "a folder, not a file";
inline constexpr char kNotRegularReason[] = "not a regular file";
// Why a file over the cap is refused: "larger than N MiB".
std::string TooLargeReason(uint64_t maxBytes);

}  // namespace qv::platform
