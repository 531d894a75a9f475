// The preview on Windows: drawn into a child window of the given window,
// covering its client area, and kept on show until that window goes.
#include <gtest/gtest.h>
#include <windows.h>

#include "graphics/Bitmap32.h"
#include "platform/win32/WinPreview.h"

namespace {

const wchar_t kHostClass[] = L"qvtestPreviewHost";

// The display settings' stand-in: a visible window with a green background.
HWND MakeHost(int width, int height) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hbrBackground = CreateSolidBrush(RGB(0, 255, 0));
  windowClass.lpszClassName = kHostClass;
  RegisterClassW(&windowClass);
  RECT frame{0, 0, width, height};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  return CreateWindowExW(0, kHostClass, L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40,
                         frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  } while (GetTickCount() - start < ms);
}

// The colour at a point of a window's client area, as the screen shows it.
COLORREF ScreenColour(HWND window, int x, int y) {
  POINT at{x, y};
  ClientToScreen(window, &at);
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, at.x, at.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

TEST(Win32Preview, NoWindowNoPreview) {
  EXPECT_EQ(qv::platform::OpenPreviewParent(0), nullptr);
  HWND gone = MakeHost(50, 50);
  DestroyWindow(gone);
  EXPECT_EQ(qv::platform::OpenPreviewParent(reinterpret_cast<uintptr_t>(gone)), nullptr);
}

TEST(Win32Preview, IsDrawnInAChildCoveringTheClientAreaAndStaysUntilTheWindowGoes) {
  HWND host = MakeHost(200, 150);
  ASSERT_NE(host, nullptr);
  auto preview = qv::platform::OpenPreviewParent(reinterpret_cast<uintptr_t>(host));
  ASSERT_NE(preview, nullptr);
  // Not shown yet: the preview waits until it is (here, half a second on).
  SetTimer(host, 1, 500, [](HWND w, UINT, UINT_PTR id, DWORD) {
    KillTimer(w, id);
    ShowWindow(w, SW_SHOW);
  });
  const DWORD start = GetTickCount();
  ASSERT_TRUE(preview->WaitVisible());
  EXPECT_GE(GetTickCount() - start, 400u);
  EXPECT_EQ(preview->Width(), 200);
  EXPECT_EQ(preview->Height(), 150);

  HWND child = FindWindowExW(host, nullptr, L"qvsaverPreview", nullptr);
  ASSERT_NE(child, nullptr);
  RECT area{};
  GetClientRect(child, &area);
  EXPECT_EQ(area.right, 200);
  EXPECT_EQ(area.bottom, 150);
  EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_CHILD);

  // Left half red, right half blue.
  qv::TBitmap32 frame(200, 150);
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x) frame.Row(y)[x] = x < 100 ? 0xFFFF0000u : 0xFF0000FFu;
  preview->Present(frame);
  Pump(300);
  EXPECT_EQ(ScreenColour(host, 5, 5), RGB(255, 0, 0));
  EXPECT_EQ(ScreenColour(host, 95, 145), RGB(255, 0, 0));
  EXPECT_EQ(ScreenColour(host, 105, 5), RGB(0, 0, 255));
  EXPECT_EQ(ScreenColour(host, 195, 145), RGB(0, 0, 255));

  // Covered and uncovered, it draws itself again.
  InvalidateRect(child, nullptr, TRUE);
  Pump(200);
  EXPECT_EQ(ScreenColour(host, 50, 75), RGB(255, 0, 0));

  // The wait ends when the window goes.
  SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    DestroyWindow(FindWindowW(kHostClass, nullptr));
  });
  const DWORD waiting = GetTickCount();
  preview->StayUntilClosed();
  EXPECT_LT(GetTickCount() - waiting, 5000u);
  EXPECT_FALSE(IsWindow(host));
  EXPECT_FALSE(IsWindow(child));
}

}  // namespace
