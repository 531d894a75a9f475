// The part of the file services every system shares: TFile's ownership of
// its handle, and the helpers of FileCommon.h.
#include "platform/FileCommon.h"

#include "platform/Files.h"

namespace qv::platform {

std::string WithSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

std::string TooLargeReason(uint64_t maxBytes) { return "larger than " + std::to_string(maxBytes >> 20) + " MiB"; }

TFile::~TFile() { Close(); }

TFile& TFile::operator=(TFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = kNone;
  }
  return *this;
}

}  // namespace qv::platform
