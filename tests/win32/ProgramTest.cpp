// qvsaver.exe as Windows sees it before it runs: a window program (no
// console), its version resource, and a manifest that asks for real pixels
// on every monitor. No string 1, so Windows lists each packed screensaver by
// its own file name.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "win32/Screen.h"

namespace {

std::wstring Engine() { return qvtest::BuildFolder() + L"\\qvsaver.exe"; }

TEST(Win32Program, IsAWindowProgramWithoutAConsole) {
  HMODULE image = LoadLibraryExW(Engine().c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  // The module handle of an image loaded as data points one past its start.
  auto* base = reinterpret_cast<const BYTE*>(reinterpret_cast<uintptr_t>(image) & ~static_cast<uintptr_t>(3));
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  FreeLibrary(image);
}

TEST(Win32Program, CarriesItsProductNameAndNoListName) {
  const std::wstring engine = Engine();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(engine.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string info(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoW(engine.c_str(), 0, size, info.data()));
  wchar_t* name = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductName", reinterpret_cast<void**>(&name),
                             &length));
  EXPECT_EQ(std::wstring(name), L"qvsaver");

  HMODULE image = LoadLibraryExW(engine.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  wchar_t text[64];
  EXPECT_EQ(LoadStringW(image, 1, text, 64), 0);
  FreeLibrary(image);
}

TEST(Win32Program, ItsManifestAsksForEachMonitorsOwnScaling) {
  HMODULE image = LoadLibraryExW(Engine().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
  const std::string manifest(bytes, SizeofResource(image, found));
  EXPECT_NE(manifest.find(">PerMonitorV2"), std::string::npos);
  EXPECT_NE(manifest.find(">true/pm<"), std::string::npos);
  EXPECT_NE(manifest.find("asInvoker"), std::string::npos);
  FreeLibrary(image);
}

}  // namespace
