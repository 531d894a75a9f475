// libFuzzer entry point for settings texts: the INI reader, the editable
// document (read, changed and written back), and the project's settings,
// picture list and user-interface settings loaded from it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/Error.h"
#include "project/uIniFile.h"
#include "project/uQVProject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const qv::TIniFile ini = qv::TIniFile::FromText(text);
  for (const std::string& key : ini.ReadSectionKeys("FileList")) ini.ReadBool("FileList", key, false);
  qv::TQVCProject project;
  project.FileList().LoadFromText(text);
  project.Setting().LoadFromText(text);
  project.UISetting().LoadFromText(text);
  try {
    qv::TIniDocument doc = qv::TIniDocument::FromText(text);
    doc.WriteInteger("Setting", "Index", 3);
    doc.ReplaceSection("Files", {{"1", ""}, {"4", ""}});
    doc.EraseSection("MusicList");
    if (qv::TIniFile::FromText(doc.Text()).ReadInteger("Setting", "Index", -1) != 3) __builtin_trap();
  } catch (const qv::EQVError&) {
  }
  return 0;
}
