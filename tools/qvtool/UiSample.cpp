// qvtool ui-sample: every skinned control in one window, filled from the
// project of a file with an overlay, and the settings dialog.
#include <cstdio>
#include <memory>

#include "Commands.h"
#include "Extract.h"
#include "Options.h"
#include "app/UiSample.h"
#include "platform/System.h"

namespace qvtool {

int UiSample(const Args& args) {
  std::vector<std::string> files;
  qv::app::TUiSampleOptions options;
  TOptionReader("usage: qvtool ui-sample FILE [--screenshot OUT.bmp] [--dialog-screenshot OUT.bmp]")
      .Value("--screenshot", options.screenshot)
      .Value("--dialog-screenshot", options.dialogScreenshot)
      .Plain(files, 1, 1)
      .Read(args);
  std::unique_ptr<qv::TExtractedProject> extracted = ExtractFile(files[0]);
  if (qv::platform::EndSignalReceived()) return 0;
  return qv::app::RunUiSample(extracted->Project(), extracted->ExePath(), options);
}

}  // namespace qvtool
