#include <cstdio>
#include <filesystem>

#include "Commands.h"
#include "Options.h"
#include "ToolFiles.h"
#include "DemoArt.h"
#include "DemoLiving.h"
#include "DemoMusic.h"
#include "DemoSkin.h"
#include "Pack.h"
#include "common/Error.h"
#include "common/Utf8Path.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/GIFWriter.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "graphics/uGraphicUtil.h"
#include "platform/Files.h"
#include "platform/System.h"

namespace qvtool {

namespace {

const char kDemoSettings[] =
    "[General]\r\n"
    "ProductName=Quiet Horizons\r\n"
    "Publisher=The qvsaver project\r\n"
    "Website=https://example.org/qvsaver\r\n"
    "[Default]\r\n"
    "Duration=8\r\n"
    "TransitionTime=2000\r\n"
    "ShowImageMode=1\r\n"
    "Stretch=1\r\n"
    "Proportional=1\r\n"
    "[Advance]\r\n"
    "MusicMode=1\r\n";

// A working folder of our own in the temporary path, made in one step.
std::string MakeWorkFolder() {
  const std::string base = qv::platform::TempPath() + "qvdemo-";
  uint32_t token = qv::platform::TickCount();
  for (int attempt = 0; attempt < 1000; ++attempt, ++token) {
    const std::string candidate = base + std::to_string(token);
    const qv::platform::TCreateResult made = qv::platform::CreatePrivateFolder(candidate);
    if (made == qv::platform::TCreateResult::Created) return candidate;
    if (made == qv::platform::TCreateResult::Failed) break;
  }
  throw qv::EQVError("cannot make a working folder in " + qv::platform::TempPath());
}

}  // namespace

int Demo(const Args& args) {
  std::string engine, out, sources;
  TOptionReader options("usage: qvtool demo --engine ENGINE --out OUT [--sources DIR]");
  options.Value("--engine", engine).Value("--out", out).Value("--sources", sources).Read(args);
  if (engine.empty() || out.empty()) throw UsageError{options.Usage()};

  // The files the demo is packed from are drawn into a working folder, which
  // goes afterwards unless --sources asks to keep them there.
  std::string work;
  if (sources.empty()) {
    work = MakeWorkFolder();
  } else {
    std::error_code ec;
    std::filesystem::create_directories(qv::PathFromUtf8(sources), ec);
    if (!std::filesystem::is_directory(qv::PathFromUtf8(sources), ec))
      throw qv::EQVError("cannot make the folder " + sources);
    work = sources;
  }
  struct Cleanup {
    std::string dir;
    ~Cleanup() {
      std::error_code ec;
      if (!dir.empty()) std::filesystem::remove_all(qv::PathFromUtf8(dir), ec);
    }
  } cleanup{sources.empty() ? work : std::string()};

  PackRequest r;
  r.engine = engine;
  r.out = out;
  r.settings = work + "/demo.ini";
  WriteOutputFile(r.settings, std::string_view(kDemoSettings, sizeof kDemoSettings - 1));

  qv::TBitmap32 sea = DrawSeaHorizon(1600, 900);
  WriteOutputFile(work + "/sea.jpg", qv::EncodeJPEG(sea, 90));
  WriteOutputFile(work + "/aurora.bmp", qv::EncodeBMP32(DrawAurora(1024, 768)));
  WriteOutputFile(work + "/garden.gif", qv::EncodeGIF(DrawCircleGarden(720, 720, 4), 150));
  qv::TBitmap32 preview(320, 180);
  qv::ResampleLanczos(sea, preview);
  WriteOutputFile(work + "/preview.jpg", qv::EncodeJPEG(preview, 90));
  // The living picture plays between the still ones, with the files it names.
  const DemoLivingFiles living = WriteDemoLiving(work);
  r.pictures = {work + "/sea.jpg", living.picture, work + "/aurora.bmp", work + "/garden.gif"};
  r.extras = living.extras;
  r.preview = work + "/preview.jpg";
  WriteOutputFile(work + "/morning.wav", DemoTune(0));
  WriteOutputFile(work + "/evening.wav", DemoTune(1));
  r.music = {work + "/morning.wav", work + "/evening.wav"};
  r.ui = work + "/QVGUI.qvu";
  WriteOutputFile(r.ui, DemoSkinText());
  PackScreensaver(r);
  std::printf("wrote %s\n", out.c_str());
  return 0;
}

}  // namespace qvtool
