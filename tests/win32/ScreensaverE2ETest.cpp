// The packed screensaver as Windows runs it: /S full-screen until the user
// moves the mouse or types, /P inside the display settings' window until that
// window goes, /A without extracting anything, and an end of the session or a
// close request that still removes what was extracted; /C opens the
// configuration window. The demo is packed on
// Linux by the build (a space in its name); the others by qvtool.exe here.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "common/Utf8Path.h"
#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/ExifOrientation.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "graphics/ImageFormats/PNGWriter.h"
#include "platform/win32/WinText.h"
#include "support/TempDir.h"
#include "win32/Screen.h"

namespace {

namespace fs = std::filesystem;
using qv::platform::win32::SystemPath;
using qvtest::Quoted;
using qvtest::WinProcess;

// Slow the first time under Wine: a large file extracted, windows made.
constexpr DWORD kShowsMs = 30000;
constexpr DWORD kEndsMs = 5000;

bool IsEmptyFolder(const std::string& folder) { return fs::is_empty(qv::PathFromUtf8(folder)); }

class Screensaver : public ::testing::Test {
 protected:
  qvtest::TempDir dir, tmp;

  static std::wstring Program(const wchar_t* name) { return qvtest::BuildFolder() + L"\\" + name; }

  // Packs the pictures onto the engine with qvtool.exe, as a maker would.
  std::string Pack(const std::string& name, const std::wstring& options, const std::vector<std::string>& files) {
    const std::string out = dir.file(name);
    std::wstring line = Quoted(Program(L"qvtool.exe")) + L" pack --engine " + Quoted(Program(L"qvsaver.exe")) +
                        L" --out " + Quoted(SystemPath(out)) + L" " + options;
    for (const std::string& f : files) line += L" " + Quoted(SystemPath(f));
    WinProcess pack(line, tmp.path());
    EXPECT_TRUE(pack.Started());
    EXPECT_TRUE(pack.Wait(60000));
    EXPECT_EQ(pack.ExitCode(), 0u);
    return out;
  }

  // One red picture the screen's size: it fills the screen whatever the fit.
  std::string RedShow(const std::string& name = "Red Show.scr") {
    qv::TBitmap32 red(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    red.Clear(0xFFFF0000u);
    qv::SaveBMP32(red, dir.file("red.bmp"));
    return Pack(name, L"", {dir.file("red.bmp")});
  }

  // The saver's full-screen window, once it shows.
  static HWND SaverWindow(const WinProcess& saver) {
    HWND window = nullptr;
    qvtest::PumpUntil(
        [&] {
          window = qvtest::WindowOf(saver.Id(), L"SDL_app");
          return window != nullptr || !saver.Running();
        },
        kShowsMs);
    return window;
  }

  // A screensaver with a preview picture of another size and shape than the
  // pane: left half red, right half blue.
  std::string PreviewShow() {
    qv::TBitmap32 picture(64, 64);
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) picture.Row(y)[x] = x < 32 ? 0xFFFF0000u : 0xFF0000FFu;
    const std::vector<uint8_t> jpeg = qv::EncodeJPEG(picture, 95);
    qvtest::WriteFile(dir.file("preview.jpg"), std::string(jpeg.begin(), jpeg.end()));
    qvtest::WriteFile(dir.file("pic.jpg"), std::string(jpeg.begin(), jpeg.end()));
    return Pack("Preview Show.scr", L"--preview " + Quoted(SystemPath(dir.file("preview.jpg"))), {dir.file("pic.jpg")});
  }

  static bool ShowsColour(uint32_t colour) {
    return qvtest::PumpUntil(
        [&] {
          const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
          return qvtest::Near(qvtest::ScreenColour(w / 2, h / 2), colour, 8) &&
                 qvtest::Near(qvtest::ScreenColour(3, 3), colour, 8) &&
                 qvtest::Near(qvtest::ScreenColour(w - 3, h - 3), colour, 8);
        },
        kShowsMs);
  }
};

TEST_F(Screensaver, TheDemoCoversTheScreenWithItsPicturesAndAMouseMoveEndsIt) {
  const std::wstring demo = qvtest::BuildFolder() + L"\\e2e\\Demo Show.scr";
  ASSERT_NE(GetFileAttributesW(demo.c_str()), INVALID_FILE_ATTRIBUTES);
  WinProcess saver(Quoted(demo) + L" /S", tmp.path());
  ASSERT_TRUE(saver.Started());
  HWND window = SaverWindow(saver);
  ASSERT_NE(window, nullptr) << "no saver window showed";
  RECT area{};
  GetWindowRect(window, &area);
  EXPECT_EQ(area.left, 0);
  EXPECT_EQ(area.top, 0);
  EXPECT_EQ(area.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(area.bottom, GetSystemMetrics(SM_CYSCREEN));
  // A picture: many colours across the screen, not a black window.
  EXPECT_TRUE(qvtest::PumpUntil(
      [] {
        const std::vector<uint32_t> samples = qvtest::ScreenSamples(8);
        return std::set<uint32_t>(samples.begin(), samples.end()).size() >= 8;
      },
      kShowsMs))
      << "the screen does not show the demo's pictures";
  EXPECT_FALSE(IsEmptyFolder(tmp.path())) << "the project was not extracted into the temporary folder";

  for (int i = 0; i < 12 && saver.Running(); ++i) {
    qvtest::MoveMouse(10, 6);
    qvtest::PumpFor(100);
  }
  ASSERT_TRUE(saver.Wait(kEndsMs)) << "moving the mouse did not end the saver";
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_TRUE(IsEmptyFolder(tmp.path())) << "the temporary folder was left behind";
}

TEST_F(Screensaver, ShiftLeavesItRunningAndALetterEndsIt) {
  const std::string scr = RedShow();
  WinProcess saver(Quoted(SystemPath(scr)) + L" /s", tmp.path());
  ASSERT_NE(SaverWindow(saver), nullptr);
  ASSERT_TRUE(ShowsColour(0xFF0000)) << "the red picture did not fill the screen";
  qvtest::PressKey(VK_SHIFT);
  qvtest::PressKey(VK_UP);
  qvtest::PumpFor(500);
  EXPECT_TRUE(saver.Running()) << "Shift or an arrow key ended the saver";
  qvtest::PressKey('Q');
  ASSERT_TRUE(saver.Wait(kEndsMs)) << "a letter did not end the saver";
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_TRUE(IsEmptyFolder(tmp.path()));
}

TEST_F(Screensaver, ACloseRequestEndsItThroughItsNormalPath) {
  const std::string scr = RedShow();
  WinProcess saver(Quoted(SystemPath(scr)) + L" -s", tmp.path());
  HWND window = SaverWindow(saver);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(ShowsColour(0xFF0000));
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(saver.Wait(kEndsMs));
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_TRUE(IsEmptyFolder(tmp.path()));
}

TEST_F(Screensaver, TheEndOfTheSessionWaitsUntilItsFilesAreRemoved) {
  const std::string scr = RedShow();
  WinProcess saver(Quoted(SystemPath(scr)) + L" /S", tmp.path());
  ASSERT_NE(SaverWindow(saver), nullptr);
  ASSERT_TRUE(ShowsColour(0xFF0000));
  HWND watcher = qvtest::WindowOf(saver.Id(), L"qvsaverSessionWatch", false);
  ASSERT_NE(watcher, nullptr);
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(watcher, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 5000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  // Windows ends the process once this returns: by then the files are gone.
  ASSERT_TRUE(SendMessageTimeoutW(watcher, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000, &answer));
  EXPECT_TRUE(IsEmptyFolder(tmp.path())) << "the session ended before the files were removed";
  ASSERT_TRUE(saver.Wait(kEndsMs));
  EXPECT_EQ(saver.ExitCode(), 0u);
}

TEST_F(Screensaver, ANameWithAccentedLettersInAFolderOfThemRunsUnderItsOwnName) {
  const std::string scr = RedShow();
  // "Ünïcode Földer/Démo Shöw.scr"
  const std::string folder = dir.file("\xC3\x9Cn\xC3\xAF" "code F\xC3\xB6lder");
  const std::string renamed = folder + "/D\xC3\xA9mo Sh\xC3\xB6w.scr";
  fs::create_directory(qv::PathFromUtf8(folder));
  fs::copy_file(qv::PathFromUtf8(scr), qv::PathFromUtf8(renamed));
  WinProcess saver(Quoted(SystemPath(renamed)) + L" /S", tmp.path());
  HWND window = SaverWindow(saver);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(ShowsColour(0xFF0000));
  // The run folder carries the saver's own name.
  bool named = false;
  for (const auto& entry : fs::directory_iterator(qv::PathFromUtf8(tmp.path())))
    named = named || entry.path().filename().wstring().rfind(L"D\u00E9mo Sh\u00F6w", 0) == 0;
  EXPECT_TRUE(named) << "the run folder does not carry the saver's name";
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(saver.Wait(kEndsMs));
  EXPECT_TRUE(IsEmptyFolder(tmp.path()));
}

TEST_F(Screensaver, PasswordModeExtractsNothing) {
  const std::string scr = RedShow();
  WinProcess saver(Quoted(SystemPath(scr)) + L" /a 0", tmp.path());
  ASSERT_TRUE(saver.Wait(kShowsMs));
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_TRUE(IsEmptyFolder(tmp.path()));
}

// Photos as a camera and an editor leave them: a PNG, and a JPEG stored
// sideways with the EXIF orientation that turns it upright. Each picture is
// the screen's size upright, in four quarters of their own colours, so the
// screen shows the four colours in their places only when the picture plays
// upright and whole.
using TQuarters = std::array<uint32_t, 4>;  // top left, top right, bottom left, bottom right
constexpr TQuarters kPNGQuarters = {0x00FFFFu, 0xFF00FFu, 0xFFFFFFu, 0x000000u};
constexpr TQuarters kJPEGQuarters = {0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFF00u};

uint32_t QuarterColour(const TQuarters& quarters, int x, int y, int w, int h) {
  return 0xFF000000u | quarters[(y < h / 2 ? 0 : 2) + (x < w / 2 ? 0 : 1)];
}

// The upright picture of the screen's size.
qv::TBitmap32 Upright(const TQuarters& quarters) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  qv::TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.Row(y)[x] = QuarterColour(quarters, x, y, w, h);
  return b;
}

// The same picture as a camera held on its side stores it for orientation 6
// (its row 0 is the picture's right edge, its column 0 the top edge): a
// quarter turn anticlockwise of the upright one.
qv::TBitmap32 StoredForOrientation6(const TQuarters& quarters) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  qv::TBitmap32 b(h, w);
  for (int row = 0; row < w; ++row)
    for (int column = 0; column < h; ++column) b.Row(row)[column] = QuarterColour(quarters, w - 1 - row, column, w, h);
  return b;
}

// Whether the middle of each quarter of the screen has its colour.
bool ShowsQuarters(const TQuarters& quarters) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  const int xs[] = {w / 4, 3 * w / 4}, ys[] = {h / 4, 3 * h / 4};
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i)
      if (!qvtest::Near(qvtest::ScreenColour(xs[i], ys[j]), quarters[static_cast<size_t>(2 * j + i)])) return false;
  return true;
}

TEST_F(Screensaver, APngAndASidewaysJpegWithItsOrientationBothPlayUpright) {
  const std::vector<uint8_t> png = qv::EncodePNG(Upright(kPNGQuarters));
  qvtest::WriteFile(dir.file("photo.png"), std::string(png.begin(), png.end()));
  const std::vector<uint8_t> jpeg =
      qv::EncodeJPEG(StoredForOrientation6(kJPEGQuarters), 90, {.exif = qv::ExifBlock(6)});
  qvtest::WriteFile(dir.file("photo.jpg"), std::string(jpeg.begin(), jpeg.end()));
  // One picture after the other, a second each, without transitions or zoom.
  qvtest::WriteFile(dir.file("photos.ini"),
                    "[Default]\r\nDuration=1\r\nTransition=0\r\nShowImageMode=1\r\nZoom=0\r\nPanZoom=0\r\n");
  const std::string scr = Pack("Photo Show.scr", L"--settings " + Quoted(SystemPath(dir.file("photos.ini"))),
                               {dir.file("photo.png"), dir.file("photo.jpg")});
  WinProcess saver(Quoted(SystemPath(scr)) + L" /S", tmp.path());
  ASSERT_TRUE(saver.Started());
  ASSERT_NE(SaverWindow(saver), nullptr) << "no saver window showed";
  EXPECT_TRUE(qvtest::PumpUntil([] { return ShowsQuarters(kPNGQuarters); }, kShowsMs))
      << "the PNG picture did not show";
  EXPECT_TRUE(qvtest::PumpUntil([] { return ShowsQuarters(kJPEGQuarters); }, kShowsMs))
      << "the JPEG did not show upright";
  // And round again to the PNG: the show goes on past both.
  EXPECT_TRUE(qvtest::PumpUntil([] { return ShowsQuarters(kPNGQuarters); }, kShowsMs))
      << "the show did not come back to the PNG";
  for (int i = 0; i < 12 && saver.Running(); ++i) {
    qvtest::MoveMouse(10, 6);
    qvtest::PumpFor(100);
  }
  ASSERT_TRUE(saver.Wait(kEndsMs)) << "moving the mouse did not end the saver";
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_TRUE(IsEmptyFolder(tmp.path()));
}

// What a phone writes, HEIC, is converted to JPEG by the Linux qvtool; this
// one has no decoder for it and says so instead of packing a screensaver
// that would not show it. The start of the file is what names the format: an
// ISO media "ftyp" box of brand "heic".
TEST_F(Screensaver, PackRefusesAHeicPictureNamingItsFormat) {
  std::string heic("\0\0\0\x18" "ftypheic" "\0\0\0\0" "mif1heic", 24);
  heic += std::string("\0\0\0\x10" "meta" "\0\0\0\0\0\0\0\0", 16);
  qvtest::WriteFile(dir.file("phone.heic"), heic);
  const std::string out = dir.file("Phone Show.scr"), said = dir.file("said.txt");
  WinProcess pack(Quoted(Program(L"qvtool.exe")) + L" pack --engine " + Quoted(Program(L"qvsaver.exe")) + L" --out " +
                      Quoted(SystemPath(out)) + L" " + Quoted(SystemPath(dir.file("phone.heic"))),
                  tmp.path(), said);
  ASSERT_TRUE(pack.Started());
  ASSERT_TRUE(pack.Wait(60000));
  EXPECT_NE(pack.ExitCode(), 0u);
  const std::string message = qvtest::ReadFile(said);
  EXPECT_NE(message.find("phone.heic"), std::string::npos) << message;
  EXPECT_NE(message.find("HEIC"), std::string::npos) << message;
  EXPECT_FALSE(fs::exists(qv::PathFromUtf8(out))) << "a screensaver was packed all the same";
}

// The monitors as Windows lists them, the primary one first.
std::vector<RECT> MonitorAreas() {
  std::vector<RECT> areas;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, LPRECT area, LPARAM list) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        GetMonitorInfoW(monitor, &info);
        auto& out = *reinterpret_cast<std::vector<RECT>*>(list);
        if (info.dwFlags & MONITORINFOF_PRIMARY)
          out.insert(out.begin(), *area);
        else
          out.push_back(*area);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&areas));
  return areas;
}

// Run only where the desktop has two monitors (the Windows test script runs
// it on such a desktop): each setting of Monitors as the user sees it.
TEST_F(Screensaver, OnTwoMonitorsEachSettingShowsAsSaid) {
  const std::vector<RECT> areas = MonitorAreas();
  if (areas.size() < 2) GTEST_SKIP() << "this desktop has one monitor";
  const uint32_t colours[] = {0xFF0000u, 0x00FF00u, 0x0000FFu};
  std::vector<std::string> pictures;
  for (uint32_t c : colours) {
    qv::TBitmap32 b(areas[0].right - areas[0].left, areas[0].bottom - areas[0].top);
    b.Clear(0xFF000000u | c);
    pictures.push_back(dir.file(std::string("c").append(std::to_string(pictures.size())).append(".bmp")));
    qv::SaveBMP32(b, pictures.back());
  }
  const auto middle = [](const RECT& r) { return qvtest::ScreenColour((r.left + r.right) / 2, (r.top + r.bottom) / 2); };
  const auto solid = [&](uint32_t c) {
    for (uint32_t k : colours)
      if (qvtest::Near(c, k, 8)) return true;
    return false;
  };
  for (int monitors = 0; monitors <= 2; ++monitors) {
    const std::string setting = std::to_string(monitors);
    SCOPED_TRACE(std::string("Monitors=").append(setting));
    const std::string ini = dir.file(std::string("m").append(setting).append(".ini"));
    qvtest::WriteFile(
        ini, std::string("[Default]\r\nDuration=1\r\nTransition=0\r\nShowImageMode=0\r\nMonitors=").append(setting));
    const std::string show =
        Pack(std::string("m").append(setting).append(".scr"), L"--settings " + Quoted(SystemPath(ini)), pictures);
    WinProcess saver(Quoted(qv::platform::win32::SystemPath(show)) + L" /S", tmp.path());
    ASSERT_TRUE(saver.Started());
    ASSERT_NE(SaverWindow(saver), nullptr) << "no saver window showed";
    ASSERT_TRUE(qvtest::PumpUntil([&] { return solid(middle(areas[0])); }, kShowsMs)) << "the primary shows nothing";
    int primarySolid = 0, otherSolid = 0, otherBlack = 0, same = 0, rounds = 0;
    for (; rounds < 60; ++rounds) {
      const uint32_t a = middle(areas[0]), b = middle(areas[1]);
      primarySolid += solid(a);
      otherSolid += solid(b);
      otherBlack += qvtest::Near(b, 0, 8);
      same += solid(a) && qvtest::Near(a, b, 8);
      qvtest::PumpFor(50);
    }
    EXPECT_GT(primarySolid, rounds * 9 / 10);
    if (monitors == 0) {
      EXPECT_EQ(otherBlack, rounds) << "the other monitor stays black";
    } else {
      EXPECT_GT(otherSolid, rounds * 9 / 10) << "the other monitor shows pictures";
      if (monitors == 1) {
        EXPECT_LT(same, rounds / 5) << "each its own picture";
      } else {
        EXPECT_GT(same, rounds * 3 / 4) << "the same picture on both";
      }
    }
    for (int i = 0; i < 12 && saver.Running(); ++i) {
      qvtest::MoveMouse(10, 6);
      qvtest::PumpFor(100);
    }
    ASSERT_TRUE(saver.Wait(kEndsMs)) << "moving the mouse did not end the saver";
  }
}

// The display settings' preview pane: a window of another program. Wine
// shows nothing that one program draws inside another's window, so what the
// preview draws is looked at where the pane is a window of the same program
// (PreviewTest.cpp); here the saver's part of the protocol is.
class PreviewPane : public Screensaver {
 protected:
  HWND host = nullptr;
  void SetUp() override {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"qvtestDisplaySettings";
    RegisterClassW(&windowClass);
    host = CreateWindowExW(0, windowClass.lpszClassName, L"Display settings", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                           60, 60, 200, 150, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(host, nullptr);
    qvtest::PumpFor(100);
  }
  void TearDown() override {
    if (IsWindow(host)) DestroyWindow(host);
  }
};

TEST_F(PreviewPane, ThePreviewIsAChildCoveringTheWindowAndEndsWhenTheWindowGoes) {
  const std::string scr = PreviewShow();
  const std::wstring handle = std::to_wstring(reinterpret_cast<uintptr_t>(host));
  WinProcess saver(Quoted(SystemPath(scr)) + L" /p " + handle, tmp.path());
  ASSERT_TRUE(saver.Started());
  HWND child = nullptr;
  ASSERT_TRUE(qvtest::PumpUntil(
      [&] {
        // Made first and shown once its picture is ready.
        child = FindWindowExW(host, nullptr, L"qvsaverPreview", nullptr);
        return (child != nullptr && IsWindowVisible(child)) || !saver.Running();
      },
      kShowsMs))
      << "no preview window appeared inside the pane";
  ASSERT_NE(child, nullptr) << "the saver ended with " << saver.ExitCode();
  DWORD owner = 0;
  GetWindowThreadProcessId(child, &owner);
  EXPECT_EQ(owner, saver.Id());
  EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_CHILD);
  EXPECT_TRUE(IsWindowVisible(child));
  RECT area{};
  GetWindowRect(child, &area);
  POINT corner{0, 0};
  ClientToScreen(host, &corner);
  EXPECT_EQ(area.left, corner.x);
  EXPECT_EQ(area.top, corner.y);
  EXPECT_EQ(area.right - area.left, 200);
  EXPECT_EQ(area.bottom - area.top, 150);
  // Drawn once, it stays while the pane does; its files are gone already.
  EXPECT_TRUE(qvtest::PumpUntil([&] { return IsEmptyFolder(tmp.path()); }, kShowsMs));
  qvtest::PumpFor(500);
  EXPECT_TRUE(saver.Running()) << "the preview ended while its window was still there";

  DestroyWindow(host);
  ASSERT_TRUE(saver.Wait(kEndsMs)) << "the preview outlived its window";
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_TRUE(IsEmptyFolder(tmp.path()));
}

TEST_F(PreviewPane, AWindowThatDoesNotExistIsReportedAndNothingIsLeft) {
  const std::string scr = PreviewShow();
  WinProcess saver(Quoted(SystemPath(scr)) + L" /p 12345678", tmp.path());
  ASSERT_TRUE(saver.Wait(kShowsMs));
  EXPECT_EQ(saver.ExitCode(), 1u);
  EXPECT_TRUE(IsEmptyFolder(tmp.path()));
}


// Configure mode as the display settings start it: the skin's main window,
// closed from the keyboard, with the selected picture written where run mode
// reads it; a screensaver without a skin gets the built-in window.
class Configure : public Screensaver {
 protected:
  static std::wstring TitleOf(HWND window) {
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    return title;
  }
  static HWND ConfigureWindow(const WinProcess& saver) {
    HWND window = nullptr;
    qvtest::PumpUntil(
        [&] {
          window = qvtest::WindowOf(saver.Id());
          return window != nullptr || !saver.Running();
        },
        kShowsMs);
    return window;
  }
};

TEST_F(Configure, TheDemoShowsItsSkinAndEscapeClosesItWritingTheSelectedPicture) {
  const std::string scr = dir.file("Demo Show.scr");
  fs::copy_file(qvtest::BuildFolder() + L"\\e2e\\Demo Show.scr", qv::PathFromUtf8(scr));
  WinProcess saver(Quoted(SystemPath(scr)) + L" /c:1234", tmp.path());
  ASSERT_TRUE(saver.Started());
  HWND window = ConfigureWindow(saver);
  ASSERT_NE(window, nullptr) << "no configuration window showed; the saver ended with " << saver.ExitCode();
  EXPECT_EQ(TitleOf(window), L"Quiet Horizons");
  RECT area{};
  GetWindowRect(window, &area);
  EXPECT_EQ(area.right - area.left, 640);
  EXPECT_EQ(area.bottom - area.top, 420);
  // The skin's painted picture, not an empty window.
  EXPECT_TRUE(qvtest::PumpUntil(
      [&] {
        std::set<uint32_t> colours;
        for (int y = area.top + 20; y < area.bottom; y += 40)
          for (int x = area.left + 20; x < area.right; x += 40) colours.insert(qvtest::ScreenColour(x, y));
        return colours.size() >= 8;
      },
      kShowsMs));
  // Wine without a window manager leaves a frameless window without the
  // keyboard until it is clicked, as the user would: on the panel's empty
  // corner, where no action lies.
  qvtest::ClickAt(area.right - 12, area.bottom - 12);
  qvtest::PumpFor(300);
  qvtest::PressKey(VK_ESCAPE);
  ASSERT_TRUE(saver.Wait(kEndsMs)) << "Escape did not close the configuration window";
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_NE(qvtest::ReadFile(dir.file("Demo Show.ini")).find("Index=0"), std::string::npos);
  EXPECT_TRUE(IsEmptyFolder(tmp.path()));
}

TEST_F(Configure, AScreensaverWithoutASkinGetsTheBuiltInWindow) {
  const std::string scr = RedShow();
  WinProcess saver(Quoted(SystemPath(scr)) + L" /c", tmp.path());
  HWND window = ConfigureWindow(saver);
  ASSERT_NE(window, nullptr) << "no configuration window showed; the saver ended with " << saver.ExitCode();
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(saver.Wait(kEndsMs));
  EXPECT_EQ(saver.ExitCode(), 0u);
  EXPECT_TRUE(IsEmptyFolder(tmp.path()));
}

}  // namespace
