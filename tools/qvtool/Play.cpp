// qvtool play and qvtool render: the project of any file with an overlay, in
// run mode, on the screen or headless on simulated time.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <filesystem>
#include <memory>

#include "Commands.h"
#include "Extract.h"
#include "Options.h"
#include "Json.h"
#include "app/ConfigureMode.h"
#include "app/HostedSaver.h"
#include "app/SaverOnScreen.h"
#include "startup/uHostedMode.h"
#include "common/Error.h"
#include "common/Paths.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "platform/System.h"
#include "platform/doubles/ManualClock.h"
#include "platform/doubles/MemoryDisplay.h"
#include "platform/doubles/SteppedWorkers.h"
#include "project/uQVProject.h"
#include "saver/FScrSvr.h"

namespace qvtool {

namespace {

// Message boxes of a headless run go to stderr.
class StderrDialogs final : public qv::platform::IDialogs {
 public:
  void Information(const std::string& text) override { std::fprintf(stderr, "qvtool render: %s\n", text.c_str()); }
  void Error(const std::string& text) override { std::fprintf(stderr, "qvtool render: %s\n", text.c_str()); }
  // Nobody is there to answer.
  bool Confirm(const std::string& text) override {
    std::fprintf(stderr, "qvtool render: %s (answered No)\n", text.c_str());
    return false;
  }
  std::optional<std::string> OpenFile(const qv::platform::TOpenFileOptions&) override { return std::nullopt; }
};

}  // namespace

int Play(const Args& args) {
  const char* usage =
      "usage: qvtool play FILE [/C | --root | --window-id ID] [--duration SECONDS] [--[no-]music] [--[no-]sound]\n"
      "                        [--[no-]transitions]";
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") throw HelpAsked{usage};
  if (args.empty() || args[0].rfind("-", 0) == 0) throw UsageError{usage};
  // "/C" (as the display settings send it, also "/c:1234") opens the
  // configuration window instead, as the engine's own file would.
  if (args.size() == 2) {
    const std::string mode = qv::UpperAscii(args[1]).substr(0, 2);
    if (mode == "/C" || mode == "-C") {
      std::unique_ptr<qv::TExtractedProject> extracted = ExtractFile(args[0]);
      if (qv::platform::EndSignalReceived()) return 0;
      return qv::app::RunConfigureWindow(extracted->Project(), extracted->ExePath(), extracted->TempFolder(), args[1],
                                         [](const std::string& note) {
                                           std::fprintf(stderr, "qvtool play: %s\n", note.c_str());
                                         });
    }
  }
  // The daemons' arguments host it in their window, as they host the engine.
  std::vector<std::string> daemonArgs = {"qvtool"};
  daemonArgs.insert(daemonArgs.end(), args.begin() + 1, args.end());
  std::optional<std::string> hostWindow;
  if (const char* w = std::getenv("XSCREENSAVER_WINDOW")) hostWindow = w;
  const qv::THostedRequest hosted = qv::HostedRequest(daemonArgs, hostWindow);
  if (hosted.invalid) throw UsageError{hosted.note};
  if (args.size() > 1 && !hosted.hosted) throw UsageError{usage};
  if (!hosted.note.empty()) std::fprintf(stderr, "qvtool play: %s\n", hosted.note.c_str());
  std::unique_ptr<qv::TExtractedProject> extracted = ExtractFile(args[0]);
  if (qv::platform::EndSignalReceived()) return 0;
  if (hosted.hosted) {
    const qv::app::THostedRunner runHosted = qv::app::HostedRunner();
    if (!runHosted) throw UsageError{"--root and --window-id are for the screensaver daemons of Linux"};
    return runHosted(extracted->Project(), extracted->ExePath(), extracted->TempFolder(), hosted.window,
                     hosted.overrides);
  }
  return qv::app::RunSaverOnScreen(extracted->Project(), extracted->ExePath(), extracted->TempFolder());
}

int Render(const Args& args) {
  std::vector<std::string> files;
  std::string out;
  int width = 0, height = 0, seconds = -1, every = 1;
  uint32_t seed = 0;
  TOptionReader options("usage: qvtool render FILE --size WxH --seconds S --out DIR [--every K] [--seed N]");
  options.Value("--size", [&](const std::string& v) { ParseSize(v, 16, 8192, "--size", width, height); })
      .Value("--seconds", [&](const std::string& v) { seconds = static_cast<int>(ParseNumber(v, 0, 24 * 3600, "--seconds")); })
      .Value("--out", out)
      .Value("--every", [&](const std::string& v) { every = static_cast<int>(ParseNumber(v, 1, 1000000, "--every")); })
      .Value("--seed", [&](const std::string& v) { seed = static_cast<uint32_t>(ParseNumber(v, 0, 0x7FFFFFFF, "--seed")); })
      .Plain(files, 1, 1)
      .Read(args);
  if (width == 0 || seconds < 0 || out.empty()) throw UsageError{options.Usage()};
  const std::string& file = files[0];
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  if (!std::filesystem::is_directory(out)) throw qv::EQVError("cannot make the folder " + out);

  std::unique_ptr<qv::TExtractedProject> extracted = ExtractFile(file);
  if (extracted->Project().FileList().Count() == 0) throw qv::EQVError(file + " carries no pictures to render");
  qv::platform::TManualClock clock;
  qv::platform::TMemoryDisplay display(clock, width, height);
  // Animated objects move on workers that the loop steps on simulated time,
  // one round per 5 ms, before every frame.
  qv::platform::TSteppedWorkers workers(clock);
  StderrDialogs dialogs;
  display.Script({qv::platform::TScriptedEvent::Close, static_cast<uint32_t>(seconds) * 1000u});
  display.endRequested = qv::platform::EndSignalReceived;

  int presented = 0, written = 0;
  std::string writeError;
  display.onFrame = [&](const qv::TBitmap32& screen, uint32_t) {
    if (presented++ % every != 0 || !writeError.empty()) return;
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%05d.bmp", written);
    try {
      qv::SaveBMP32(screen, out + name);
      ++written;
    } catch (const std::exception& e) {
      writeError = e.what();
    }
  };
  std::vector<int> effects;
  qv::TSaverServices services;
  services.display = &display;
  services.clock = &clock;
  services.workers = &workers;
  services.stepWorkers = [&workers] { workers.RunDue(); };
  services.dialogs = &dialogs;
  services.note = [](const std::string& note) { std::fprintf(stderr, "qvtool render: %s\n", note.c_str()); };
  services.exePath = extracted->ExePath();
  services.tempFolder = extracted->TempFolder();
  services.seed = seed;
  services.onTransition = [&effects](int effect) { effects.push_back(effect); };
  qv::RunSaver(extracted->Project(), true, services);
  if (!writeError.empty()) throw qv::EQVError(writeError);

  JsonWriter json;
  json.BeginObject();
  json.Key("frames").Value(presented);
  json.Key("written").Value(written);
  json.Key("transitions").Value(static_cast<int>(effects.size()));
  json.Key("effects").BeginArray();
  for (int e : effects) json.Value(e);
  json.EndArray();
  json.Key("seconds").Value(seconds);
  json.EndObject();
  std::printf("%s\n", json.str().c_str());
  return 0;
}

}  // namespace qvtool
