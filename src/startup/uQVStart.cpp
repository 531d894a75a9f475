#include "startup/uQVStart.h"

#include <charconv>
#include <memory>

#include "common/Paths.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "graphics/uGraphicUtil.h"
#include "platform/Files.h"
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

bool ReadWindowId(const std::string& text, uint64_t& id) {
  const std::string arg = UpperAscii(text);
  const bool hex = arg.size() > 2 && arg[0] == '0' && arg[1] == 'X';
  const char* first = arg.data() + (hex ? 2 : 0);
  const char* last = arg.data() + arg.size();
  id = 0;
  auto [end, ec] = std::from_chars(first, last, id, hex ? 16 : 10);
  if (ec != std::errc() || end != last || first == last) id = 0;
  return id != 0 || (ec == std::errc() && end == last && first != last);
}

uint64_t ParseWindowId(const std::string& text) {
  uint64_t id = 0;
  ReadWindowId(text, id);
  return id;
}

uint64_t WindowArgument(const std::vector<std::string>& args) {
  return args.size() < 3 ? 0 : ParseWindowId(args[2]);
}

bool DrawPreview(const std::string& previewFile, platform::IPreviewWindow& window, bool keepShape) {
  if (previewFile.empty() || !window.WaitVisible()) return false;
  if (window.Width() <= 0 || window.Height() <= 0) return false;
  try {
    TDecodeHint hint{window.Width(), window.Height()};
    TPicture picture = DecodePicture(platform::ReadWholeFile(previewFile, kMaxPictureFileBytes), previewFile, hint);
    TBitmap32 frame;
    SetBitmapFormat(frame, window.Width(), window.Height(), 32);
    if (keepShape) DrawFitted(picture.bitmap, frame, true, 0xFF000000u);
    else ResampleLanczos(picture.bitmap, frame);
    window.Present(frame);
    return true;
  } catch (const std::exception&) {
    // A preview that cannot be drawn leaves the window as it was.
    return false;
  }
}

bool AsksForHelp(const std::string& argument) {
  return argument == "--help" || argument == "-h" || argument == "-?" || argument == "/?";
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

  if (!hosted.hosted && args.size() > 1 && AsksForHelp(args[1])) {
    if (services.help) services.help();
    return 0;
  }
  const std::string modeSwitch = ModeSwitch(args);
  const uint64_t window = WindowArgument(args);
  const TRunMode mode = hosted.hosted ? TRunMode::Run : ModeFromSwitch(modeSwitch);
  if (mode == TRunMode::None) {
    report("unknown mode \"" + args[1] + "\": a screensaver takes /S (run), /C (configure), /P <window> (preview) "
           "or /A <window> (password); --help says more");
    return 2;
  }
  uint64_t readId = 0;
  if (mode == TRunMode::Preview && (args.size() < 3 || !ReadWindowId(args[2], readId))) {
    report(args.size() < 3 ? "the preview needs the id of the window to draw into: /P <window>"
                           : "\"" + args[2] + "\" is not a window id: give it in decimal, or as 0x... in hexadecimal");
    return 2;
  }
  if (mode == TRunMode::Password) {
    // Nothing is extracted for a password change.
    if (services.changePassword) services.changePassword(window);
    return 0;
  }

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
  if (extracted->Shortfall().Any())
    report(FileNamePart(extracted->ExePath()) + " is cut short: " + extracted->Shortfall().Describe() +
           "; what is whole plays");
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
      const TQVCSetting& s = project.Setting();
      if (!DrawPreview(preview, *target, !(s.Stretch && !s.Proportional))) {
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
