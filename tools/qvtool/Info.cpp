#include <cstdio>
#include <filesystem>

#include "Commands.h"
#include "Extract.h"
#include "Json.h"
#include "Options.h"
#include "common/Error.h"
#include "common/Paths.h"
#include "project/uQVProject.h"

namespace qvtool {

namespace {

uint64_t FileBytes(const std::string& path) {
  std::error_code ec;
  uintmax_t size = std::filesystem::file_size(path, ec);
  return ec ? 0 : static_cast<uint64_t>(size);
}

// The settings as the overlay stores them: the engine points PreviewFile into
// the temporary folder, which is gone once info returns.
void WriteSettings(JsonWriter& json, qv::TQVCSetting setting, const std::string& folder) {
  if (!folder.empty() && setting.PreviewFile.rfind(folder, 0) == 0)
    setting.PreviewFile = setting.PreviewFile.substr(folder.size());
  json.Key("settings").BeginObject();
  for (const qv::TSettingField& field : qv::SettingFields()) {
    json.Key(field.key);
    switch (field.kind) {
      case qv::TSettingField::Int: json.Value(static_cast<int64_t>(field.GetInt(setting))); break;
      case qv::TSettingField::Bool: json.Value(field.GetBool(setting)); break;
      case qv::TSettingField::Text: json.Value(field.GetText(setting)); break;
    }
  }
  json.EndObject();
}

}  // namespace

int Info(const Args& args) {
  std::vector<std::string> files;
  TOptionReader("usage: qvtool info FILE").Plain(files, 1, 1).Read(args);
  std::unique_ptr<qv::TExtractedProject> extracted = ExtractFile(files[0], true);
  qv::TQVCProject& project = extracted->Project();
  const std::string folder = extracted->TempFolder();

  JsonWriter json;
  json.BeginObject();
  json.Key("product_name").Value(project.Setting().ProductName);
  WriteSettings(json, project.Setting(), folder);
  json.Key("pictures").BeginArray();
  const qv::TQVCFileList& list = project.FileList();
  for (size_t i = 0; i < list.Count(); ++i) {
    json.BeginObject();
    json.Key("name").Value(qv::FileNamePart(list.Names()[i]));
    json.Key("title").Value(list.Titles()[i]);
    json.Key("enabled").Value(list.Enabled(i));
    json.Key("bytes").Value(FileBytes(list.Names()[i]));
    json.EndObject();
  }
  json.EndArray();
  const std::string& preview = project.Setting().PreviewFile;
  json.Key("preview_file").Value(preview.empty() ? std::string() : qv::FileNamePart(preview));
  json.Key("ui_file_bytes").Value(FileBytes(project.UISetting().UIFile));
  json.Key("temp_folder").Value(folder);
  json.EndObject();

  extracted.reset();
  std::printf("%s\n", json.str().c_str());
  return 0;
}

}  // namespace qvtool
