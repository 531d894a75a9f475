#include "platform/win32/WinText.h"

#include <windows.h>

namespace qv::platform::win32 {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
  return out;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring SystemPath(std::string_view utf8) {
  std::wstring path = Wide(utf8);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  // Below MAX_PATH (less room for a file name in a folder path) the plain
  // form serves; longer paths need the prefix, which takes only a full,
  // normalised path.
  if (path.size() < 248 || path.rfind(L"\\\\?\\", 0) == 0) return path;
  const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  const DWORD got = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
  if (got == 0 || got >= n) return path;
  full.resize(got);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::string ProgramPath(std::wstring_view wide) {
  std::wstring_view path = wide;
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    std::string rest = Utf8(path.substr(8));
    for (char& c : rest)
      if (c == '\\') c = '/';
    return "//" + rest;
  }
  if (path.rfind(L"\\\\?\\", 0) == 0) path.remove_prefix(4);
  std::string out = Utf8(path);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

std::string ErrorText(uint32_t code) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (n > 0 && buffer) text = Utf8(std::wstring_view(buffer, n));
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  if (text.empty()) text = "system error " + std::to_string(code);
  return text;
}

}  // namespace qv::platform::win32
