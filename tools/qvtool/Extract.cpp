#include "Extract.h"

#include <cstdio>

#include "common/Error.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "project/uBlockContainer.h"

namespace qvtool {

std::unique_ptr<qv::TExtractedProject> ExtractFile(const std::string& file, bool refuseCut) {
  qv::platform::OpenFileToRead(file, UINT64_MAX);  // says why a file that is no file cannot be read
  if (!qv::FindBlockMarker(file).found) throw qv::EQVError(file + " carries no project overlay");
  auto extracted = std::make_unique<qv::TExtractedProject>(file, qv::platform::TempPath(), qv::platform::TickCount());
  if (extracted->Shortfall().Any()) {
    const std::string what = file + " is cut short: " + extracted->Shortfall().Describe();
    if (refuseCut) throw qv::EQVError(what);
    std::fprintf(stderr, "qvtool: %s; what is whole is used\n", what.c_str());
  }
  return extracted;
}

}  // namespace qvtool
