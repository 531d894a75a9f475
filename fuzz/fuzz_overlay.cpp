// Feeds arbitrary bytes to the overlay extraction as if they were a
// screensaver file: nothing may crash, and nothing may be left behind.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "project/uQVProject.h"
#include "startup/uOverlay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::string dir = [] {
    std::string d = std::filesystem::temp_directory_path().string() + "/qvfuzz-XXXXXX";
    if (!::mkdtemp(d.data())) std::abort();
    return d;
  }();
  const std::string exe = dir + "/f.scr";
  std::FILE* f = std::fopen(exe.c_str(), "wb");
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  qv::TProjectTempFolder folder(dir + "/", exe, 1);
  qv::TQVCProject project;
  qv::ExtractProject(project, exe, folder);
  const std::string extracted = folder.ProjectTempFolder();
  qv::DeleteProjectFiles(folder);
  if (!extracted.empty() && std::filesystem::exists(extracted)) std::filesystem::remove_all(extracted);
  return 0;
}
