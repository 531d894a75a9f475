// What the one whole-file read says of a name, as a text a test compares:
// the file's text, "missing", or "refused: " and the reason.
#pragma once
#include <cstdint>
#include <string>

#include "platform/Files.h"

namespace qvtest {

inline std::string ReadOutcome(const std::string& path, uint64_t maxBytes) {
  try {
    return qv::platform::ReadWholeText(path, maxBytes);
  } catch (const qv::platform::EFileUnreadable& e) {
    return e.Missing() ? "missing" : "refused: " + e.Reason();
  }
}

}  // namespace qvtest
