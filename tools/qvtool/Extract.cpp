#include "Extract.h"

#include "common/Error.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "project/uBlockContainer.h"

namespace qvtool {

std::unique_ptr<qv::TExtractedProject> ExtractFile(const std::string& file) {
  qv::platform::TFile probe;
  std::string reason;
  switch (qv::platform::OpenRegularFile(file, UINT64_MAX, probe, reason)) {
    case qv::platform::TOpenResult::Ok: break;
    case qv::platform::TOpenResult::Missing: throw qv::EQVError("cannot read " + file);
    case qv::platform::TOpenResult::Refused: throw qv::EQVError("cannot read " + file + ": " + reason);
  }
  if (!qv::FindBlockMarker(file).found) throw qv::EQVError(file + " carries no project overlay");
  return std::make_unique<qv::TExtractedProject>(file, qv::platform::TempPath(), qv::platform::TickCount());
}

}  // namespace qvtool
