// qvtool ui-sample: every skinned control in one window, filled from the
// project of a file with an overlay, and the settings dialog.
#include <cstdio>
#include <memory>

#include "Commands.h"
#include "Extract.h"
#include "app/UiSample.h"
#include "platform/System.h"

namespace qvtool {

int UiSample(const Args& args) {
  std::string file;
  qv::app::TUiSampleOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError{a + " needs a value"};
      return args[++i];
    };
    if (a == "--screenshot") options.screenshot = value();
    else if (a == "--dialog-screenshot") options.dialogScreenshot = value();
    else if (a.rfind("--", 0) == 0) throw UsageError{"unknown option " + a};
    else if (file.empty()) file = a;
    else throw UsageError{"only one FILE may be given"};
  }
  if (file.empty())
    throw UsageError{"usage: qvtool ui-sample FILE [--screenshot OUT.bmp] [--dialog-screenshot OUT.bmp]"};
  std::unique_ptr<qv::TExtractedProject> extracted = ExtractFile(file);
  if (qv::platform::EndSignalReceived()) return 0;
  return qv::app::RunUiSample(extracted->Project(), extracted->ExePath(), options);
}

}  // namespace qvtool
