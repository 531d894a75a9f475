#include "Extract.h"

#include <cstdio>

#include "common/Error.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "project/uBlockContainer.h"

namespace qvtool {

std::unique_ptr<qv::TExtractedProject> ExtractFile(const std::string& file, bool refuseCut) {
  qv::platform::TFile probe;
  std::string reason;
  switch (qv::platform::OpenRegularFile(file, UINT64_MAX, probe, reason)) {
    case qv::platform::TOpenResult::Ok: break;
    case qv::platform::TOpenResult::Missing: throw qv::EQVError("cannot read " + file);
    case qv::platform::TOpenResult::Refused: throw qv::EQVError("cannot read " + file + ": " + reason);
  }
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
