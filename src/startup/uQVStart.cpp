#include "startup/uQVStart.h"

#include <charconv>

#include "common/Paths.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "graphics/uGraphicUtil.h"
#include "project/uLongPath.h"
#include "project/uQVProject.h"
#include "startup/uOverlay.h"

namespace qv {

std::string ModeSwitch(const std::vector<std::string>& args) {
  if (args.size() < 2) return {};
  return UpperAscii(args[1]).substr(0, 2);
}

TRunMode ModeFromSwitch(const std::string& s) {
  if (s == "/A" || s == "-A" || s == "A") return TRunMode::Password;
  TRunMode mode = TRunMode::None;
  // Three tests one after the other, as the screensaver protocol has them; a
  // switch matches at most one.
  if (s == "/S" || s == "-S" || s == "S") mode = TRunMode::Run;
  if (s == "/C" || s == "-C" || s == "C" || s.empty()) mode = TRunMode::Configure;
  if (s == "/P" || s == "-P" || s == "P") mode = TRunMode::Preview;
  return mode;
}

uint64_t WindowArgument(const std::vector<std::string>& args) {
  if (args.size() < 3) return 0;
  const std::string arg = UpperAscii(args[2]);
  uint64_t id = 0;
  auto [end, ec] = std::from_chars(arg.data(), arg.data() + arg.size(), id);
  if (ec != std::errc() || end != arg.data() + arg.size()) return 0;
  return id;
}

bool DrawPreview(const std::string& previewFile, platform::IPreviewWindow& window) {
  if (previewFile.empty() || !window.WaitVisible()) return false;
  if (window.Width() <= 0 || window.Height() <= 0) return false;
  try {
    TDecodeHint hint{window.Width(), window.Height()};
    TPicture picture = LoadPicture(previewFile, hint);
    TBitmap32 frame;
    SetBitmapFormat(frame, window.Width(), window.Height(), 32);
    ResampleLanczos(picture.bitmap, frame);
    window.Present(frame);
    return true;
  } catch (const std::exception&) {
    // A preview that cannot be drawn leaves the window as it was.
    return false;
  }
}

int QVMain(const std::vector<std::string>& args, TStartServices& services) {
  const std::string modeSwitch = ModeSwitch(args);
  const uint64_t window = WindowArgument(args);
  const TRunMode mode = ModeFromSwitch(modeSwitch);
  if (mode == TRunMode::Password) {
    // Nothing is extracted for a password change.
    if (services.changePassword) services.changePassword(window);
    return 0;
  }

  if (mode == TRunMode::None) return 0;

  // The common start of run, configure and preview modes: the overlay of our
  // own file is extracted and the project loaded from it; the files go when
  // the mode ends. A preview runs every time the display settings open, so
  // its files go at once too.
  TExtractedProject extracted(services.exePath, services.tempPath, services.tickAtStart);
  TQVCProject& project = extracted.Project();
  switch (mode) {
    case TRunMode::Run:
      if (services.runSaver && !(services.endRequested && services.endRequested()))
        services.runSaver(project, extracted.ExePath(), extracted.TempFolder());
      break;
    case TRunMode::Configure:
      // The configuration window joins here with the configure-mode issue.
      break;
    case TRunMode::Preview: {
      const std::string preview = project.Setting().PreviewFile;
      if (!preview.empty() && services.openPreviewWindow) {
        if (std::unique_ptr<platform::IPreviewWindow> target = services.openPreviewWindow(window))
          DrawPreview(preview, *target);
      }
      break;
    }
    default:
      break;
  }
  return 0;
}

}  // namespace qv
