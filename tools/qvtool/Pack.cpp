#include "Pack.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "Commands.h"
#include "common/Error.h"
#include "common/Paths.h"
#include "project/uBlockContainer.h"
#include "project/uQVProject.h"
#include "startup/uOverlay.h"

namespace qvtool {

namespace {

using qv::EQVError;

struct StoredFile {
  std::string source;
  std::string name;  // the name it travels under
};

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

void RequireFile(const std::string& path, const char* what) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) throw EQVError(std::string("cannot read ") + what + " " + path);
}

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};

void Put32(std::FILE* out, uint64_t v) {
  uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                  static_cast<uint8_t>(v >> 24)};
  if (std::fwrite(b, 1, 4, out) != 4) throw EQVError("cannot write the output file");
}

void PutBytes(std::FILE* out, const std::string& bytes) {
  if (bytes.size() > 0xFFFFFFFFull) throw EQVError("a block is larger than 4 GiB");
  Put32(out, bytes.size());
  if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) throw EQVError("cannot write the output file");
}

void CopyFileInto(std::FILE* out, const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> in(std::fopen(path.c_str(), "rb"));
  if (!in) throw EQVError("cannot read " + path);
  std::vector<char> buf(1 << 20);
  size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), in.get())) > 0)
    if (std::fwrite(buf.data(), 1, n, out) != n) throw EQVError("cannot write the output file");
}

}  // namespace

void PackScreensaver(const PackRequest& r) {
  RequireFile(r.engine, "engine");
  if (r.out.empty()) throw EQVError("no output file given (--out)");
  if (!r.settings.empty()) RequireFile(r.settings, "settings file");
  if (!r.ui.empty()) RequireFile(r.ui, "skin");

  qv::TQVCProject project;
  if (!r.settings.empty()) {
    project.Setting().LoadFromFile(r.settings);
    project.UISetting().LoadFromFile(r.settings);
  }

  // Everything that travels in the picture container, under its stored name.
  std::vector<StoredFile> stored;
  for (size_t i = 0; i < r.pictures.size(); ++i) {
    RequireFile(r.pictures[i], "picture");
    std::string name = "QVImage" + std::to_string(i) + LowerAscii(qv::UpperExtension(r.pictures[i]));
    stored.push_back({r.pictures[i], name});
    project.FileList().Add(name, true);
  }
  if (!r.preview.empty()) {
    RequireFile(r.preview, "preview picture");
    stored.push_back({r.preview, qv::FileNamePart(r.preview)});
    project.Setting().PreviewFile = stored.back().name;
  }
  if (!r.music.empty()) {
    std::string list;
    for (const std::string& m : r.music) {
      RequireFile(m, "music file");
      stored.push_back({m, qv::FileNamePart(m)});
      if (!list.empty()) list += ';';
      list += stored.back().name;
    }
    project.Setting().MusicFile = list;
  }
  for (const std::string& e : r.extras) {
    RequireFile(e, "extra file");
    stored.push_back({e, qv::FileNamePart(e)});
  }
  for (size_t i = 0; i < stored.size(); ++i) {
    if (!qv::AcceptablePictureName(stored[i].name))
      throw EQVError("cannot store a file under the name \"" + stored[i].name + "\"");
    for (size_t j = 0; j < i; ++j)
      if (qv::EqualsIgnoreCase(stored[i].name, stored[j].name))
        throw EQVError("two files would be stored as \"" + stored[i].name + "\": " + stored[j].source + " and " +
                       stored[i].source);
  }

  std::vector<std::string> settingsBlocks = {project.FileList().ToIniText(), project.Setting().ToIniText(),
                                             project.UISetting().ToIniText()};
  if (r.fourBlocks) settingsBlocks.push_back(qv::BlockContainerBytes({"", ""}));
  const std::string settingsContainer = qv::BlockContainerBytes(settingsBlocks);
  std::string names;
  std::vector<qv::TBlockSource> files;
  for (const StoredFile& f : stored) {
    names += f.name + "\r\n";
    files.push_back({f.source, {}});
  }
  const uint64_t filesSize = qv::BlockContainerSize(files);
  if (filesSize > 0xFFFFFFFFull) throw EQVError("the files of the project exceed 4 GiB");

  const std::string partial = r.out + ".part";
  {
    std::unique_ptr<std::FILE, FileCloser> out(std::fopen(partial.c_str(), "wb"));
    if (!out) throw EQVError("cannot write " + r.out);
    try {
      CopyFileInto(out.get(), r.engine);
      const std::string marker = qv::BlockMarkerBytes();
      std::fwrite(marker.data(), 1, marker.size(), out.get());
      Put32(out.get(), 4);
      PutBytes(out.get(), settingsContainer);
      PutBytes(out.get(), names);
      Put32(out.get(), filesSize);
      qv::WriteBlockContainer(out.get(), files);
      if (r.ui.empty()) {
        Put32(out.get(), 0);
      } else {
        Put32(out.get(), std::filesystem::file_size(r.ui));
        CopyFileInto(out.get(), r.ui);
      }
      if (std::fflush(out.get()) != 0 || std::ferror(out.get())) throw EQVError("cannot write " + r.out);
    } catch (...) {
      out.reset();
      std::remove(partial.c_str());
      throw;
    }
  }
  struct stat st{};
  ::chmod(partial.c_str(), ::stat(r.engine.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0755);
  if (std::rename(partial.c_str(), r.out.c_str()) != 0) {
    std::remove(partial.c_str());
    throw EQVError("cannot write " + r.out);
  }
}

int Pack(const Args& args) {
  PackRequest r;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError{a + " needs a value"};
      return args[++i];
    };
    if (a == "--engine") r.engine = value();
    else if (a == "--out") r.out = value();
    else if (a == "--settings") r.settings = value();
    else if (a == "--ui") r.ui = value();
    else if (a == "--preview") r.preview = value();
    else if (a == "--music") r.music.push_back(value());
    else if (a == "--extra") r.extras.push_back(value());
    else if (a == "--four-blocks") r.fourBlocks = true;
    else if (a.rfind("--", 0) == 0) throw UsageError{"unknown option " + a};
    else r.pictures.push_back(a);
  }
  if (r.engine.empty()) throw UsageError{"pack needs --engine ENGINE"};
  if (r.out.empty()) throw UsageError{"pack needs --out OUT"};
  PackScreensaver(r);
  return 0;
}

}  // namespace qvtool
