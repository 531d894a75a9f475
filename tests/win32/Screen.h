// What an end-to-end test on Windows needs around the program it runs: a
// process with its own temporary folder, its windows, the screen's pixels
// and input as the user makes it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/WinText.h"

namespace qvtest {

// The folder this test program lies in, where the build puts the programs.
inline std::wstring BuildFolder() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

// A program started with a command line, its temporary folder set to one of
// the test's own (TMP and TEMP), ended if still running at the end. Given an
// output file, what the program writes to its standard output and error
// goes there.
class WinProcess {
 public:
  WinProcess(const std::wstring& commandLine, const std::string& tempFolder, const std::string& outputFile = {}) {
    std::wstring environment;
    const std::wstring temp = qv::platform::win32::SystemPath(tempFolder);
    for (const wchar_t* name : {L"TMP", L"TEMP"}) environment += std::wstring(name) + L"=" + temp + L'\0';
    if (wchar_t* inherited = GetEnvironmentStringsW()) {
      for (const wchar_t* var = inherited; *var; var += wcslen(var) + 1) {
        const std::wstring entry = var;
        if (_wcsnicmp(entry.c_str(), L"TMP=", 4) != 0 && _wcsnicmp(entry.c_str(), L"TEMP=", 5) != 0)
          environment += entry + L'\0';
      }
      FreeEnvironmentStringsW(inherited);
    }
    environment += L'\0';
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    HANDLE output = INVALID_HANDLE_VALUE;
    if (!outputFile.empty()) {
      SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
      output = CreateFileW(qv::platform::win32::SystemPath(outputFile).c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (output == INVALID_HANDLE_VALUE) return;
      startup.dwFlags = STARTF_USESTDHANDLES;
      startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
      startup.hStdOutput = startup.hStdError = output;
    }
    started_ = CreateProcessW(nullptr, line.data(), nullptr, nullptr, output != INVALID_HANDLE_VALUE,
                              CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr, &startup, &info_) != 0;
    if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
  }
  ~WinProcess() {
    if (!started_) return;
    if (Running()) {
      TerminateProcess(info_.hProcess, 99);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  WinProcess(const WinProcess&) = delete;
  WinProcess& operator=(const WinProcess&) = delete;

  bool Started() const { return started_; }
  DWORD Id() const { return info_.dwProcessId; }
  bool Running() const { return started_ && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
  // Waits up to `ms` for the end, handling this thread's messages meanwhile
  // (a program with a window inside one of ours shares our input).
  bool Wait(DWORD ms) const {
    if (!started_) return false;
    const DWORD start = GetTickCount();
    for (;;) {
      const DWORD waited = GetTickCount() - start;
      if (waited >= ms) return !Running();
      const DWORD r = MsgWaitForMultipleObjects(1, &info_.hProcess, FALSE, ms - waited, QS_ALLINPUT);
      if (r == WAIT_OBJECT_0) return true;
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
  }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

inline std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// Handles this thread's messages for `ms`.
inline void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  } while (GetTickCount() - start < ms);
}

// Waits, handling messages, until `done` or the timeout.
template <typename Done>
bool PumpUntil(Done done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    PumpFor(20);
  }
  return true;
}

// The process's visible top-level window of the class ("" for any class).
inline HWND WindowOf(DWORD process, const wchar_t* className = nullptr, bool visibleOnly = true) {
  struct TSearch {
    DWORD process;
    const wchar_t* className;
    bool visibleOnly;
    HWND found;
  } search{process, className, visibleOnly, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<TSearch*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != s->process || (s->visibleOnly && !IsWindowVisible(w))) return TRUE;
        if (s->className) {
          wchar_t name[64] = {};
          GetClassNameW(w, name, 64);
          if (wcscmp(name, s->className) != 0) return TRUE;
        }
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Colours of the screen, 0xRRGGBB, in a grid of `n` by `n` points.
inline std::vector<uint32_t> ScreenSamples(int n) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  std::vector<uint32_t> out;
  HDC screen = GetDC(nullptr);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const COLORREF c = GetPixel(screen, (2 * i + 1) * w / (2 * n), (2 * j + 1) * h / (2 * n));
      out.push_back(static_cast<uint32_t>(GetRValue(c)) << 16 | static_cast<uint32_t>(GetGValue(c)) << 8 |
                    GetBValue(c));
    }
  ReleaseDC(nullptr, screen);
  return out;
}

inline uint32_t ScreenColour(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return static_cast<uint32_t>(GetRValue(c)) << 16 | static_cast<uint32_t>(GetGValue(c)) << 8 | GetBValue(c);
}

// Colours within `tolerance` on every channel (JPEG and scaling blur edges).
inline bool Near(uint32_t a, uint32_t b, int tolerance = 24) {
  for (int s = 0; s < 24; s += 8) {
    const int d = static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF);
    if (d > tolerance || d < -tolerance) return false;
  }
  return true;
}

// A relative mouse move, as the user's hand makes it.
inline void MoveMouse(int dx, int dy) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &input, sizeof input);
}

// A left click at a point of the screen.
inline void ClickAt(int x, int y) {
  SetCursorPos(x, y);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof input[0]);
}

inline void PressKey(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof input[0]);
}

}  // namespace qvtest
