// Reading a whole regular file within a cap, on every system: the opening
// rules are the system's (Files.cpp of posix/ and win32/).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace qv::platform {

namespace {

template <typename Bytes>
TOpenResult ReadWhole(const std::string& path, uint64_t maxBytes, Bytes& bytes, std::string& reason) {
  TFile file;
  TOpenResult result = OpenRegularFile(path, maxBytes, file, reason);
  if (result != TOpenResult::Ok) return result;
  Bytes out;
  out.reserve(static_cast<size_t>(file.Size()));
  uint8_t buffer[65536];
  for (;;) {
    const size_t got = file.Read(buffer, sizeof buffer);
    if (got == 0) break;
    // The file may grow while it is read; the cap holds all the same.
    if (out.size() + got > maxBytes) {
      reason = "larger than " + std::to_string(maxBytes >> 20) + " MiB";
      return TOpenResult::Refused;
    }
    out.insert(out.end(), buffer, buffer + got);
  }
  bytes = std::move(out);
  return TOpenResult::Ok;
}

}  // namespace

TOpenResult ReadRegularFile(const std::string& path, uint64_t maxBytes, std::string& bytes, std::string& reason) {
  return ReadWhole(path, maxBytes, bytes, reason);
}

TOpenResult ReadRegularFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& bytes,
                            std::string& reason) {
  return ReadWhole(path, maxBytes, bytes, reason);
}

}  // namespace qv::platform
