#include "platform/win32/WinPreview.h"

#include <windows.h>

#include <vector>

#include "graphics/Bitmap32.h"
#include "platform/System.h"

namespace qv::platform {

namespace {

// How long a preview waits for its window to be shown before giving up.
constexpr DWORD kVisibleTimeoutMs = 10000;
// How often the child looks whether its parent is still there, for the case
// where the parent's end does not take the child with it.
constexpr UINT kWatchMs = 250;
constexpr UINT_PTR kWatchTimer = 1;
const wchar_t kClassName[] = L"qvsaverPreview";

class TWinPreviewWindow final : public IPreviewWindow {
 public:
  explicit TWinPreviewWindow(HWND parent) : parent_(parent) {}
  ~TWinPreviewWindow() override {
    if (child_ && IsWindow(child_)) DestroyWindow(child_);
  }

  bool WaitVisible() override {
    const DWORD start = GetTickCount();
    while (!IsWindowVisible(parent_)) {
      if (!IsWindow(parent_) || EndSignalReceived()) return false;
      if (GetTickCount() - start > kVisibleTimeoutMs) return false;
      PumpMessages();
      Sleep(10);
    }
    RECT area{};
    GetClientRect(parent_, &area);
    width_ = area.right - area.left;
    height_ = area.bottom - area.top;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterClass(instance);
    child_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, width_, height_,
                             parent_, nullptr, instance, this);
    return child_ != nullptr;
  }

  int Width() const override { return width_; }
  int Height() const override { return height_; }

  void Present(const TBitmap32& frame) override {
    if (!child_ || frame.Empty()) return;
    frameWidth_ = frame.Width();
    frameHeight_ = frame.Height();
    const size_t bytes = static_cast<size_t>(frameWidth_) * static_cast<size_t>(frameHeight_) * 4;
    const auto* bits = reinterpret_cast<const uint8_t*>(frame.Bits());
    pixels_.assign(bits, bits + bytes);
    InvalidateRect(child_, nullptr, FALSE);
    UpdateWindow(child_);
  }

  void StayUntilClosed() override {
    if (!child_) return;
    SetTimer(child_, kWatchTimer, kWatchMs, nullptr);
    MSG message;
    while (child_ && !EndSignalReceived()) {
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got <= 0) break;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

 private:
  static void RegisterClass(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    if (GetClassInfoW(instance, kClassName, &windowClass)) return;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &TWinPreviewWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);
  }

  static void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TWinPreviewWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        self->Paint(window);
        return 0;
      case WM_TIMER:
        if (wParam == kWatchTimer && (!IsWindow(self->parent_) || EndSignalReceived())) DestroyWindow(window);
        return 0;
      case WM_DESTROY:
        // The parent's end destroys the child from another program's
        // thread, inside the wait for the next message: that wait is woken.
        KillTimer(window, kWatchTimer);
        self->child_ = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
        return 0;
      default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
  }

  void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT area{};
    GetClientRect(window, &area);
    if (pixels_.empty()) {
      FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    } else {
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = frameWidth_;
      info.bmiHeader.biHeight = -frameHeight_;  // top-down rows
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      SetStretchBltMode(dc, COLORONCOLOR);
      StretchDIBits(dc, 0, 0, area.right, area.bottom, 0, 0, frameWidth_, frameHeight_, pixels_.data(), &info,
                    DIB_RGB_COLORS, SRCCOPY);
    }
    EndPaint(window, &paint);
  }

  HWND parent_;
  HWND child_ = nullptr;
  int width_ = 0, height_ = 0;
  int frameWidth_ = 0, frameHeight_ = 0;
  std::vector<uint8_t> pixels_;
};

}  // namespace

std::unique_ptr<IPreviewWindow> OpenPreviewParent(uint64_t id) {
  HWND parent = reinterpret_cast<HWND>(static_cast<uintptr_t>(id));
  if (id == 0 || !IsWindow(parent)) return nullptr;
  return std::make_unique<TWinPreviewWindow>(parent);
}

}  // namespace qv::platform
