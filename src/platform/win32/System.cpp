#include "platform/System.h"

// windows.h comes before the other system headers, which need its types.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <cstdlib>

#include "platform/FileCommon.h"
#include "platform/win32/WinText.h"

namespace qv::platform {

using win32::ProgramPath;
using win32::SystemPath;
using win32::Utf8;
using win32::Wide;

namespace {

// How the process is asked to end on Windows: a console event (Ctrl+C, the
// console closing, log-off, shut-down) or the end of the session. Each is
// noted instead of ending the process, the main thread is woken, and where
// the system ends the process as soon as the handler returns, the handler
// waits (within the system's patience) until the main thread has tidied up.
std::atomic<bool> endRequested{false};
HANDLE tidiedUp = nullptr;
// Set once the end of the session has had its answer.
HANDLE answered = nullptr;
std::atomic<bool> sessionEnding{false};
DWORD mainThread = 0;
constexpr DWORD kTidyUpMs = 4000;

void RequestEnd() {
  endRequested = true;
  if (mainThread != 0) PostThreadMessageW(mainThread, WM_NULL, 0, 0);
}

void WaitForTidyUp() {
  if (tidiedUp) WaitForSingleObject(tidiedUp, kTidyUpMs);
}

void SignalTidiedUp() {
  if (tidiedUp) SetEvent(tidiedUp);
  // The end of the session waits for its answer, which must go out before
  // the process does (the answer comes from the watcher's thread).
  if (sessionEnding && answered) WaitForSingleObject(answered, 1000);
}

BOOL WINAPI OnConsoleEvent(DWORD type) {
  RequestEnd();
  if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT) WaitForTidyUp();
  return TRUE;
}

LRESULT CALLBACK OnSessionMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_QUERYENDSESSION:
      RequestEnd();
      return TRUE;
    case WM_ENDSESSION:
      // The session ends once this returns.
      if (wParam) {
        sessionEnding = true;
        RequestEnd();
        WaitForTidyUp();
        ReplyMessage(0);
        if (answered) SetEvent(answered);
      }
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// The session's end is announced only to top-level windows, and the
// program's own windows come and go (or belong to SDL): a hidden window on a
// thread of its own hears it for the whole run.
DWORD WINAPI WatchSession(void*) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = OnSessionMessage;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"qvsaverSessionWatch";
  RegisterClassW(&windowClass);
  if (!CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr))
    return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

std::string RegistryText(HKEY root, const wchar_t* key, const wchar_t* value) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return {};
  std::string text;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(opened, value, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0 && size < 65536) {
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = size;
    if (RegQueryValueExW(opened, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) ==
        ERROR_SUCCESS) {
      buffer.resize(got / sizeof(wchar_t));
      while (!buffer.empty() && buffer.back() == L'\0') buffer.pop_back();
      text = Utf8(buffer);
    }
  }
  RegCloseKey(opened);
  return text;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  // argv comes in the ANSI code page, which cannot hold every name: the
  // wide command line is read instead.
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return args;
}

std::string ExecutablePath() {
  // The module's own file, never argv[0]: Windows starts a screensaver on
  // idle by its short 8.3 name, so the long form is asked for as well.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  const DWORD n = GetLongPathNameW(path.c_str(), nullptr, 0);
  if (n > 0) {
    std::wstring longer(n, L'\0');
    const DWORD got = GetLongPathNameW(path.c_str(), longer.data(), n);
    if (got > 0 && got < n) path.assign(longer.data(), got);
  }
  return ProgramPath(path);
}

uint32_t TickCount() { return GetTickCount(); }

void SleepMs(uint32_t ms) { Sleep(ms); }

void InstallEndSignals() {
  if (tidiedUp) return;
  tidiedUp = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  answered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  mainThread = GetCurrentThreadId();
  std::atexit(SignalTidiedUp);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  if (HANDLE watcher = CreateThread(nullptr, 0, WatchSession, nullptr, 0, nullptr)) CloseHandle(watcher);
}

bool EndSignalReceived() { return endRequested; }

std::string UserConfigFolder() {
  // %APPDATA%, as Windows sets it for the user; else the folder it names.
  wchar_t appData[32768];
  const DWORD n = GetEnvironmentVariableW(L"APPDATA", appData, 32768);
  if (n > 0 && n < 32768) {
    const DWORD attributes = GetFileAttributesW(appData);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
      return WithSlash(ProgramPath(std::wstring_view(appData, n)));
  }
  wchar_t* known = nullptr;
  std::string folder;
  if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known) == S_OK && known) folder = ProgramPath(known);
  CoTaskMemFree(known);
  return WithSlash(folder);
}

bool SetDesktopWallpaper(const std::string& bitmapFile, std::string& how) {
  HKEY desktop = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\desktop", 0, KEY_SET_VALUE, &desktop) != ERROR_SUCCESS) {
    how = "the desktop settings could not be opened; the picture is saved as " + bitmapFile;
    return false;
  }
  // Centred, not tiled.
  static const wchar_t kNotTiled[] = L"0";
  RegSetValueExW(desktop, L"TileWallpaper", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNotTiled), sizeof kNotTiled);
  RegCloseKey(desktop);
  std::wstring file = SystemPath(bitmapFile);
  if (!SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, file.data(), SPIF_UPDATEINIFILE)) {
    how = "Windows refused the wallpaper: " + win32::ErrorText(GetLastError());
    return false;
  }
  how = "the desktop wallpaper is now " + bitmapFile;
  return true;
}

bool OpenWithDesktop(const std::string& target, std::string& why) {
  if (target.find_first_not_of(' ') == std::string::npos) {
    why = "there is nothing to open";
    return false;
  }
  // A web address goes as it is; a file by its Windows path.
  const bool address = target.find("://") != std::string::npos || target.rfind("www.", 0) == 0 ||
                       target.rfind("mailto:", 0) == 0;
  const std::wstring what = address ? Wide(target) : SystemPath(target);
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", what.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) {
    why = "Windows could not open it: " + win32::ErrorText(GetLastError());
    return false;
  }
  return true;
}

std::vector<std::string> DataFolders() {
  // The program-files folder, from where Windows records it.
  const std::string programFiles =
      RegistryText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir");
  if (programFiles.empty()) return {};
  std::string folder = programFiles;
  for (char& c : folder)
    if (c == '\\') c = '/';
  return {WithSlash(folder)};
}

void ChangeScreensaverPassword(uint64_t parentWindow) {
  // The system folder's own MPR.DLL, never one found along the search path.
  wchar_t system[MAX_PATH + 1];
  const UINT n = GetSystemDirectoryW(system, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return;
  std::wstring path(system, n);
  if (path.back() != L'\\') path += L'\\';
  path += L"MPR.DLL";
  HMODULE mpr = LoadLibraryW(path.c_str());
  if (!mpr) return;
  using TPwdChangePassword = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);
  if (auto change = reinterpret_cast<TPwdChangePassword>(
          reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA"))))
    change("SCRSAVE", reinterpret_cast<HWND>(static_cast<uintptr_t>(parentWindow)), 0, 0);
  FreeLibrary(mpr);
}

}  // namespace qv::platform
