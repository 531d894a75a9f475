#include "startup/uQVStart.h"

#include <charconv>
#include <memory>

#include "common/Paths.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "graphics/uGraphicUtil.h"
#include "project/uLongPath.h"
#include "project/uQVProject.h"
#include "startup/uHostedMode.h"
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

uint64_t ParseWindowId(const std::string& text) {
  const std::string arg = UpperAscii(text);
  const bool hex = arg.size() > 2 && arg[0] == '0' && arg[1] == 'X';
  const char* first = arg.data() + (hex ? 2 : 0);
  const char* last = arg.data() + arg.size();
  uint64_t id = 0;
  auto [end, ec] = std::from_chars(first, last, id, hex ? 16 : 10);
  if (ec != std::errc() || end != last || first == last) return 0;
  return id;
}

uint64_t WindowArgument(const std::vector<std::string>& args) {
  return args.size() < 3 ? 0 : ParseWindowId(args[2]);
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
  auto report = [&](const std::string& why) {
    if (services.report) services.report(why);
  };
  // A screensaver daemon's arguments come before the screensaver command line.
  THostedRequest hosted;
  if (services.runHosted) {
    hosted = HostedRequest(args, services.xscreensaverWindow);
    if (!hosted.note.empty()) report(hosted.note);
    if (hosted.invalid) return 2;
  }

  const std::string modeSwitch = ModeSwitch(args);
  const uint64_t window = WindowArgument(args);
  const TRunMode mode = hosted.hosted ? TRunMode::Run : ModeFromSwitch(modeSwitch);
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
  std::unique_ptr<TExtractedProject> extracted;
  try {
    extracted = std::make_unique<TExtractedProject>(services.exePath, services.tempPath, services.tickAtStart);
  } catch (const std::exception& e) {
    report(e.what());
    return 1;
  }
  TQVCProject& project = extracted->Project();
  switch (mode) {
    case TRunMode::Run:
      if (services.endRequested && services.endRequested()) break;
      if (hosted.hosted) return services.runHosted(project, extracted->ExePath(), extracted->TempFolder(), hosted.window,
                                  hosted.overrides);
      if (services.runSaver) return services.runSaver(project, extracted->ExePath(), extracted->TempFolder());
      break;
    case TRunMode::Configure:
      if (services.endRequested && services.endRequested()) break;
      if (services.runConfigure)
        return services.runConfigure(project, extracted->ExePath(), extracted->TempFolder(), args.size() > 1 ? args[1] : "");
      break;
    case TRunMode::Preview: {
      const std::string preview = project.Setting().PreviewFile;
      if (preview.empty() || !services.openPreviewWindow) break;  // nothing to draw
      std::unique_ptr<platform::IPreviewWindow> target = services.openPreviewWindow(window);
      if (!target) {
        report("the preview window " + std::to_string(window) + " does not exist");
        return 1;
      }
      if (!DrawPreview(preview, *target)) {
        report("the preview could not be drawn into window " + std::to_string(window));
        return 1;
      }
      // The picture is drawn: the files go now, however long the preview
      // stays on show.
      extracted.reset();
      target->StayUntilClosed();
      break;
    }
    default:
      break;
  }
  return 0;
}

}  // namespace qv
