#include "InstallFiles.h"

#include "DesktopEntry.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/Error.h"
#include "common/Limits.h"
#include "platform/Files.h"

namespace qvtool {

namespace fs = std::filesystem;

std::string ShellQuoted(const std::string& path) {
  if (path.find_first_of(" '\"\\$`!*?[]{}()<>|&;#~") == std::string::npos) return path;
  std::string q = "'";
  for (char c : path) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string DesktopEntry(const std::string& prettyName, const std::string& comment, const std::string& saver) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=" + prettyName + "\n"
         "Comment=" + comment + "\n"
         "TryExec=" + saver + "\n"
         "Exec=" + ExecArgument(saver) + " --root\n"
         "StartupNotify=false\n"
         "Terminal=false\n"
         "Categories=Screensaver;\n"
         "OnlyShowIn=XFCE;MATE;\n";
}

std::string ReadText(const std::string& path) {
  try {
    return qv::platform::ReadWholeText(path, qv::kMaxIniFileSize);
  } catch (const qv::platform::EFileUnreadable& e) {
    if (e.Missing()) return {};
    throw;
  }
}

void WriteText(const std::string& path, const std::string& text, unsigned mode) {
  std::string reason;
  if (!qv::platform::ReplaceFileContents(path, text, reason)) throw qv::EQVError("cannot write " + path + ": " + reason);
  std::error_code ec;
  if (mode) fs::permissions(path, static_cast<fs::perms>(mode), ec);
}

void CopyWhole(const std::string& from, const std::string& to, unsigned mode) {
  const std::string temp = to + ".qvtool-new";
  std::error_code ec;
  fs::remove(temp, ec);
  if (!fs::copy_file(from, temp, ec) || ec) {
    fs::remove(temp, ec);
    throw qv::EQVError("cannot copy " + from + " to " + to + ": " + ec.message());
  }
  fs::permissions(temp, static_cast<fs::perms>(mode), ec);
  std::string reason;
  if (!qv::platform::ReplaceFileAtomically(temp, to, reason)) {
    fs::remove(temp, ec);
    throw qv::EQVError("cannot put " + to + " in place: " + reason);
  }
}

std::vector<std::string> MissingFolders(const std::vector<std::string>& folders) {
  std::vector<std::string> missing;
  std::error_code ec;
  for (const std::string& given : folders)
    for (fs::path folder = fs::path(given).has_filename() ? fs::path(given) : fs::path(given).parent_path();
         !folder.empty() && folder != folder.root_path(); folder = folder.parent_path()) {
      const std::string text = folder.string();
      if (fs::exists(folder, ec)) break;
      if (std::find(missing.begin(), missing.end(), text) == missing.end()) missing.push_back(text);
    }
  std::sort(missing.begin(), missing.end(), [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
  return missing;
}

void MakeFolders(const std::string& folder, unsigned mode) {
  if (mode == 0) {
    if (!qv::platform::CreateFolders(folder)) throw qv::EQVError("cannot make the folder " + folder);
    return;
  }
  std::error_code ec;
  for (const std::string& missing : MissingFolders({folder})) {
    fs::create_directory(missing, ec);
    fs::permissions(missing, static_cast<fs::perms>(mode), ec);
  }
  if (!fs::is_directory(folder, ec)) throw qv::EQVError("cannot make the folder " + folder);
}

void RemoveEmptyFolders(std::vector<std::string> folders) {
  std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& folder : folders) qv::platform::RemoveEmptyFolder(folder);
}

std::string JoinList(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ";") + item;
  return text;
}

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find(';', at);
    if (end == std::string::npos) end = text.size();
    if (end > at) items.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return items;
}

std::string RunnableName(const std::string& text) {
  std::string name;
  bool gap = false;
  for (char c : text) {
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if ((lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9')) {
      if (gap && !name.empty()) name += '-';
      name += lower;
      gap = false;
    } else {
      gap = true;
    }
  }
  return name.size() >= 2 ? name : std::string();
}

bool IsLinuxProgram(const std::string& path) {
  std::FILE* f = qv::platform::OpenStream(path, "rb");
  if (!f) return false;
  char magic[4] = {};
  const bool elf = std::fread(magic, 1, 4, f) == 4 && magic[0] == 0x7F && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F';
  std::fclose(f);
  return elf;
}

}  // namespace qvtool
