// Reading a whole regular file within a cap, on every system: the opening
// rules are the system's (Files.cpp of posix/ and win32/).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileCommon.h"
#include "platform/Files.h"

namespace qv::platform {

namespace {

template <typename Bytes>
Bytes ReadWhole(const std::string& path, uint64_t maxBytes) {
  TFile file = OpenFileToRead(path, maxBytes);
  Bytes out;
  out.reserve(static_cast<size_t>(file.Size()));
  uint8_t buffer[65536];
  for (;;) {
    const size_t got = file.Read(buffer, sizeof buffer);
    if (got == 0) break;
    // The file may grow while it is read; the cap holds all the same.
    if (out.size() + got > maxBytes) throw EFileUnreadable(path, TOpenResult::Refused, TooLargeReason(maxBytes));
    out.insert(out.end(), buffer, buffer + got);
  }
  return out;
}

}  // namespace

EFileUnreadable::EFileUnreadable(const std::string& path, TOpenResult result, const std::string& reason)
    : EQVError("Cannot read " + path + ": " + (result == TOpenResult::Missing ? "no such file" : reason)),
      missing_(result == TOpenResult::Missing),
      reason_(missing_ ? "no such file" : reason) {}

TFile OpenFileToRead(const std::string& path, uint64_t maxBytes) {
  TFile file;
  std::string reason;
  const TOpenResult result = OpenRegularFile(path, maxBytes, file, reason);
  if (result != TOpenResult::Ok) throw EFileUnreadable(path, result, reason);
  return file;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  return ReadWhole<std::vector<uint8_t>>(path, maxBytes);
}

std::string ReadWholeText(const std::string& path, uint64_t maxBytes) { return ReadWhole<std::string>(path, maxBytes); }

TOpenResult ReadRegularFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& bytes,
                            std::string& reason) {
  try {
    bytes = ReadWholeFile(path, maxBytes);
    return TOpenResult::Ok;
  } catch (const EFileUnreadable& e) {
    reason = e.Reason();
    return e.Missing() ? TOpenResult::Missing : TOpenResult::Refused;
  }
}

}  // namespace qv::platform
