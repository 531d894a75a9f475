// The one full form of a path. Every path derived from the executable's
// location goes through it, so that all of them agree.
#pragma once
#include <string>

namespace qv {

// The absolute path of an existing file with "." and ".." removed and every
// symbolic link resolved (the real file, as /proc/self/exe gives it). Empty
// for an empty path, a path with "*" or "?", one that starts with a double
// separator ("//" or "\\", a network path), or one that names nothing.
std::string ExpandLongPath(const std::string& path);

}  // namespace qv
