// The system services on Windows: the executable's own path, the folders
// the registry and the environment name, the wallpaper, the password call,
// the monitors, and the end of the session noted instead of ending the
// process.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "common/Paths.h"
#include "common/Utf8Path.h"
#include "graphics/Bitmap32.h"
#include "graphics/uGraphicUtil.h"
#include "platform/System.h"
#include "platform/win32/WinMonitors.h"
#include "platform/win32/WinText.h"
#include "startup/uSharedFolder.h"
#include "support/Env.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using qv::platform::win32::Utf8;
using qv::platform::win32::Wide;

std::wstring RegistryText(HKEY root, const wchar_t* key, const wchar_t* value) {
  wchar_t buffer[1024];
  DWORD size = sizeof buffer;
  if (RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return {};
  return buffer;
}

TEST(Win32System, TheExecutablesPathIsItsModulesLongPathWithForwardSlashes) {
  const std::string path = qv::platform::ExecutablePath();
  wchar_t module[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
  ASSERT_GT(n, 0u);
  std::string expected = Utf8(std::wstring_view(module, n));
  for (char& c : expected)
    if (c == '\\') c = '/';
  EXPECT_TRUE(qv::EqualsIgnoreCase(path, expected)) << path << " / " << expected;
  EXPECT_EQ(path.find('\\'), std::string::npos);
  EXPECT_EQ(path.find('~'), std::string::npos) << "a short 8.3 name: " << path;
  EXPECT_TRUE(fs::is_regular_file(qv::PathFromUtf8(path)));
}

TEST(Win32System, TheArgumentsAreTheWideCommandLineInUtf8) {
  char name[] = "ignored";
  char* argv[] = {name};
  const std::vector<std::string> args = qv::platform::CommandLineArguments(1, argv);
  ASSERT_FALSE(args.empty());
  EXPECT_NE(args[0], "ignored");
  EXPECT_NE(qv::UpperAscii(args[0]).find("TEST_WIN32"), std::string::npos) << args[0];
}

TEST(Win32System, TheSharedFolderLooksUnderTheProgramFilesFolderTheRegistryNames) {
  std::string programFiles =
      Utf8(RegistryText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir"));
  ASSERT_FALSE(programFiles.empty());
  for (char& c : programFiles)
    if (c == '\\') c = '/';
  // One separator added, not two.
  const std::string expected = programFiles.back() == '/' ? programFiles : programFiles + "/";
  EXPECT_EQ(qv::platform::DataFolders(), std::vector<std::string>{expected});
  // The look-up takes the maker's folder where it exists under that folder.
  qvtest::TempDir dir;
  fs::create_directories(qv::PathFromUtf8(dir.file("Torvane/Common/images")));
  EXPECT_EQ(qv::SharedCommonFolder({dir.slash()}), dir.file("Torvane/Common/"));
}

TEST(Win32System, TheUsersSettingsFolderIsTheRoamingApplicationData) {
  const std::string folder = qv::platform::UserConfigFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(fs::is_directory(qv::PathFromUtf8(folder))) << folder;
  qvtest::TempDir dir;
  const char* before = std::getenv("APPDATA");
  const std::string saved = before ? before : "";
  qvtest::SetEnv("APPDATA", dir.path());
  EXPECT_EQ(qv::platform::UserConfigFolder(), dir.slash());
  if (before) qvtest::SetEnv("APPDATA", saved);
  else qvtest::UnsetEnv("APPDATA");
}

TEST(Win32System, TheWallpaperIsCentredAndSetThroughTheUsersProfile) {
  // The user's wallpaper is put back afterwards.
  wchar_t before[MAX_PATH] = {};
  SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, before, 0);
  const std::wstring tiledBefore = RegistryText(HKEY_CURRENT_USER, L"Control Panel\\desktop", L"TileWallpaper");

  qvtest::TempDir dir;
  qv::TBitmap32 picture(32, 24);
  picture.Clear(0xFF336699u);
  const std::string file = dir.file("wall paper \xC3\xA9.bmp");
  bool applied = false;
  std::string how;
  EXPECT_TRUE(qv::SetWallpaper(picture, file, [&](const std::string& f) {
    return applied = qv::platform::SetDesktopWallpaper(f, how);
  })) << how;
  EXPECT_TRUE(applied);
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, L"Control Panel\\desktop", L"TileWallpaper"), L"0");
  wchar_t now[MAX_PATH] = {};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, now, 0));
  EXPECT_EQ(std::wstring(now), qv::platform::win32::SystemPath(file));

  SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, before, SPIF_UPDATEINIFILE);
  if (!tiledBefore.empty()) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\desktop", 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegSetValueExW(key, L"TileWallpaper", 0, REG_SZ, reinterpret_cast<const BYTE*>(tiledBefore.c_str()),
                     static_cast<DWORD>((tiledBefore.size() + 1) * sizeof(wchar_t)));
      RegCloseKey(key);
    }
  }
}

TEST(Win32System, TheMonitorsAreTheDesktopsWithThePrimaryFirst) {
  const std::vector<qv::platform::TMonitor> monitors = qv::platform::WindowsMonitors();
  ASSERT_FALSE(monitors.empty());
  EXPECT_TRUE(monitors[0].primary);
  EXPECT_EQ(monitors[0].width, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(monitors[0].height, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(static_cast<int>(monitors.size()), GetSystemMetrics(SM_CMONITORS));
  for (size_t i = 1; i < monitors.size(); ++i) EXPECT_FALSE(monitors[i].primary);
}

// This process's top-level window of the class, hidden or not.
HWND OwnWindow(const wchar_t* className) {
  for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w; w = FindWindowExW(nullptr, w, className, nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    if (process == GetCurrentProcessId()) return w;
  }
  return nullptr;
}

// The end of the session reaches a hidden window of our own; the process is
// told, and goes on until it has tidied up. Each run is a process of its own.
TEST(Win32SystemDeathTest, TheEndOfTheSessionIsNotedInsteadOfEndingTheProcess) {
  EXPECT_EXIT(
      {
        qv::platform::InstallEndSignals();
        HWND watcher = nullptr;
        for (int i = 0; i < 500 && !watcher; ++i) {
          watcher = OwnWindow(L"qvsaverSessionWatch");
          Sleep(10);
        }
        if (!watcher || qv::platform::EndSignalReceived()) std::exit(2);
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(watcher, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 5000, &answer);
        // The session may end: yes; and the process was asked to end.
        std::exit(answer == TRUE && qv::platform::EndSignalReceived() ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
