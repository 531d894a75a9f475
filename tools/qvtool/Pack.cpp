#include "Pack.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "Commands.h"
#include "animation/uProject.h"
#include "Options.h"
#include "PhotoConvert.h"
#include "common/Error.h"
#include "common/Paths.h"
#include "common/Utf8Path.h"
#include "graphics/ImageFormats/BMPLoader.h"
#include "graphics/ImageFormats/GIFLoader.h"
#include "graphics/ImageFormats/JPEGLoader.h"
#include "graphics/ImageFormats/PNGLoader.h"
#include "graphics/ImageFormats/WebPLoader.h"
#include "platform/Files.h"
#include "project/uIniFile.h"
#include "project/uBlockContainer.h"
#include "project/uQVProject.h"
#include "startup/uOverlay.h"
#include "transitions/PSEffect.h"
#include "transitions/uTransitionRunner.h"

namespace qvtool {

namespace {

using qv::EQVError;

struct StoredFile {
  std::string source;
  std::string name;   // the name it travels under
  std::string bytes = {};  // what travels instead of the source's bytes (a converted picture), if not empty
};

void RequireFile(const std::string& path, const char* what) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(qv::PathFromUtf8(path), ec)) throw EQVError(std::string("cannot read ") + what + " " + path);
}

constexpr const char kPackUsage[] =
    "usage: qvtool pack --engine ENGINE --out OUT [--settings FILE.ini] [--ui SKIN.qvu] [--preview PICTURE]\n"
    "                   [--music FILE]... [--extra FILE]... [--four-blocks] [--allow-empty] [--strict] PICTURE...";

constexpr const char kPlayableFormats[] =
    "JPEG, BMP, GIF, PNG, WebP and animated pictures (.qvp), and converts HEIC/HEIF, AVIF and TIFF to JPEG";

// The first bytes of a file, enough to tell the formats apart.
std::vector<uint8_t> Head(const std::string& path) {
  qv::platform::TFile file;
  std::string reason;
  std::vector<uint8_t> head(64);
  if (qv::platform::OpenRegularFile(path, UINT64_MAX, file, reason) != qv::platform::TOpenResult::Ok) return {};
  head.resize(file.ReadAt(head.data(), head.size(), 0));
  return head;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(qv::PathFromUtf8(a), qv::PathFromUtf8(b), ec);
}

// Where the engine's own bytes end: before the first overlay it carries, if any.
uint64_t EngineBytes(const std::string& engine) {
  const qv::TBlockMarker marker = qv::FindBlockMarker(engine);
  if (marker.found) return marker.end - qv::kBlockTagLength;
  std::error_code ec;
  return std::filesystem::file_size(qv::PathFromUtf8(engine), ec);
}

// Settings values that do not read as the numbers they must be keep the
// default; the maker is told which.
void NoteUnreadableValues(const std::string& settingsFile, const qv::TQVCSetting& loaded,
                          std::vector<std::string>* notes) {
  if (!notes) return;
  const qv::TIniFile ini = qv::TIniFile::FromFile(settingsFile);
  for (const qv::TSettingField& field : qv::SettingFields()) {
    if (field.kind == qv::TSettingField::Text) continue;
    const std::string raw = ini.ReadString(field.section, field.key, "\x01");
    int32_t value = 0;
    if (raw == "\x01" || qv::ParseIniInteger(raw, value)) continue;
    const std::string used = field.kind == qv::TSettingField::Int ? std::to_string(field.GetInt(loaded))
                                                                   : (field.GetBool(loaded) ? "1" : "0");
    notes->push_back(std::string(field.key) + "=" + raw + " in " + settingsFile + " is not a whole number; " +
                     field.key + "=" + used + " is used");
  }
}

// Entries of TransitionEffects that are no effect number are dropped when the
// saver plays; the maker is told which, and the list is stored as it plays.
void NoteDroppedEffects(const std::string& settingsFile, qv::TQVCSetting& setting, std::vector<std::string>* notes) {
  const std::vector<std::string> dropped = qv::DroppedEffectItems(setting.TransitionEffects);
  if (dropped.empty()) return;
  std::string names;
  for (size_t i = 0; i < dropped.size(); ++i) {
    if (i > 0) names += i + 1 == dropped.size() ? " and " : ", ";
    names += '"';
    names += dropped[i];
    names += '"';
  }
  std::string kept;
  for (int n : qv::LoadEffectList(setting.TransitionEffects)) {
    if (!kept.empty()) kept += ',';
    kept += std::to_string(n);
  }
  const bool noneLeft = qv::EffectNumbersIn(setting.TransitionEffects).empty();
  if (notes)
    notes->push_back("TransitionEffects in " + settingsFile + ": " + names + (dropped.size() == 1 ? " is" : " are") +
                     " not an effect number from 1 to " + std::to_string(qv::kEffectCount) +
                     " (qvtool gallery shows them) and " + (dropped.size() == 1 ? "is" : "are") + " dropped; " +
                     (noneLeft ? "none is left, so effect 1 plays" : "the list stored is " + kept));
  setting.TransitionEffects = kept;
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

// Copies `length` bytes (all when UINT64_MAX) from the start of `path`.
void CopyFileInto(std::FILE* out, const std::string& path, uint64_t length = UINT64_MAX) {
  std::unique_ptr<std::FILE, FileCloser> in(qv::platform::OpenStream(path, "rb"));
  if (!in) throw EQVError("cannot read " + path);
  std::vector<char> buf(1 << 20);
  size_t n;
  while (length > 0 && (n = std::fread(buf.data(), 1, static_cast<size_t>(std::min<uint64_t>(buf.size(), length)),
                                       in.get())) > 0) {
    if (std::fwrite(buf.data(), 1, n, out) != n) throw EQVError("cannot write the output file");
    length -= n;
  }
}

// The files an animated picture names (its sounds, its objects' pictures)
// that travel nowhere in the project: the engine would find them only in the
// shared folder or beside the screensaver on the user's machine.
std::vector<std::string> MissingNamedFiles(const StoredFile& animated, const std::vector<StoredFile>& stored) {
  qv::TProject project;
  if (!project.Load(animated.source))
    return {animated.source + " does not load as an animated picture (" + project.LoadError() +
            "): the saver will pass it over"};
  // Each file once, with what names it: "sound 1", "objects 0 and 1".
  std::vector<std::pair<std::string, std::vector<std::string>>> named;
  auto note = [&](const std::string& name, const std::string& what) {
    const std::string bare = qv::FileNamePart(name);
    if (bare.empty()) return;
    for (auto& [file, users] : named)
      if (qv::EqualsIgnoreCase(file, bare)) return users.push_back(what);
    named.push_back({bare, {what}});
  };
  for (int i = 0; i < project.SoundCount(); ++i) note(project.Sound(i).Name, "sound " + std::to_string(i + 1));
  for (const qv::TObjectDescription& object : project.Objects())
    note(object.Filename, "object " + std::to_string(object.Number));
  std::vector<std::string> missing;
  for (const auto& [file, users] : named) {
    const bool packed = std::any_of(stored.begin(), stored.end(),
                                    [&](const StoredFile& f) { return qv::EqualsIgnoreCase(f.name, file); });
    if (packed) continue;
    std::string line = animated.source;
    line += " names ";
    line += file;
    line += " (";
    for (size_t k = 0; k < users.size(); ++k) {
      if (k > 0) line += k + 1 == users.size() ? " and " : ", ";
      line += users[k];
    }
    line += "), which is not packed: give it with --extra, or it plays only on a machine whose shared folder has it";
    missing.push_back(std::move(line));
  }
  return missing;
}

}  // namespace

std::string PlayableExtension(const std::string& path) {
  const std::vector<uint8_t> head = Head(path);
  if (qv::IsJPEG(head.data(), head.size())) return ".jpg";
  if (qv::IsBMP(head.data(), head.size())) return ".bmp";
  if (qv::IsGIF(head.data(), head.size())) return ".gif";
  if (qv::IsPNG(head.data(), head.size())) return ".png";
  if (qv::IsWebP(head.data(), head.size())) return ".webp";
  if (head.size() >= 8 && std::equal(head.begin(), head.begin() + 8, "QV060697")) return ".qvp";
  return {};
}

void PackScreensaver(const PackRequest& r, std::vector<std::string>* notes) {
  RequireFile(r.engine, "engine");
  if (r.out.empty()) throw EQVError("no output file given (--out)");
  {
    std::error_code ec;
    const auto outStatus = std::filesystem::symlink_status(qv::PathFromUtf8(r.out), ec);
    if (!ec && std::filesystem::exists(outStatus) && !std::filesystem::is_regular_file(outStatus) &&
        !std::filesystem::is_symlink(outStatus))
      throw EQVError("--out " + r.out + " is not a regular file: the screensaver is written to a file");
  }
  if (!r.settings.empty()) RequireFile(r.settings, "settings file");
  if (!r.ui.empty()) RequireFile(r.ui, "skin");
  if (r.pictures.empty() && !r.allowEmpty)
    throw EQVError("no picture given: a screensaver without pictures shows nothing (--allow-empty packs one anyway)");

  // The output never replaces one of the files it is made from.
  std::vector<std::string> inputs = {r.engine, r.settings, r.ui, r.preview};
  inputs.insert(inputs.end(), r.pictures.begin(), r.pictures.end());
  inputs.insert(inputs.end(), r.music.begin(), r.music.end());
  inputs.insert(inputs.end(), r.extras.begin(), r.extras.end());
  for (const std::string& input : inputs)
    if (!input.empty() && SameFile(input, r.out)) throw EQVError("--out " + r.out + " is one of the files to pack");

  qv::TQVCProject project;
  // Pictures keep their shape unless the settings say otherwise.
  project.Setting().Proportional = true;
  if (!r.settings.empty()) {
    project.Setting().LoadFromFile(r.settings);
    project.UISetting().LoadFromFile(r.settings);
    NoteUnreadableValues(r.settings, project.Setting(), notes);
    NoteDroppedEffects(r.settings, project.Setting(), notes);
  }

  // Everything that travels in the picture container, under its stored name.
  std::vector<StoredFile> stored;
  for (size_t i = 0; i < r.pictures.size(); ++i) {
    RequireFile(r.pictures[i], "picture");
    std::string ext = PlayableExtension(r.pictures[i]);
    std::string converted;
    if (ext.empty()) {
      const std::vector<uint8_t> head = Head(r.pictures[i]);
      const std::string format = ConvertibleFormat(head.data(), head.size());
      if (format.empty())
        throw EQVError(r.pictures[i] + " is not a picture the screensaver plays: it plays " + kPlayableFormats);
      const std::vector<uint8_t> jpeg = ConvertToJPEG(r.pictures[i]);
      converted.assign(jpeg.begin(), jpeg.end());
      ext = ".jpg";
      if (notes)
        notes->push_back("converted " + r.pictures[i] + " (" + format + ") to a JPEG, stored as QVImage" +
                         std::to_string(i) + ext);
    }
    std::string name = "QVImage" + std::to_string(i) + ext;
    stored.push_back({r.pictures[i], name, std::move(converted)});
    project.FileList().Add(name, true);
    // The name it had, for the configuration window to show.
    project.FileList().SetTitle(i, qv::FileNamePart(r.pictures[i]));
  }
  if (!r.preview.empty()) {
    RequireFile(r.preview, "preview picture");
    const std::string ext = PlayableExtension(r.preview);
    if (ext.empty() || ext == ".qvp")
      throw EQVError(r.preview + " cannot be drawn as the preview: it must be a JPEG, BMP, GIF, PNG or WebP picture");
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
  std::vector<std::string> missing;
  for (const StoredFile& f : stored)
    if (qv::EqualsIgnoreCase(qv::UpperExtension(f.name), ".QVP"))
      for (std::string& line : MissingNamedFiles(f, stored)) missing.push_back(std::move(line));
  if (r.strict && !missing.empty()) {
    std::string all = "the animated pictures would not play whole (--strict refuses that):";
    for (const std::string& line : missing) {
      all += "\n  ";
      all += line;
    }
    throw EQVError(all);
  }
  if (notes) notes->insert(notes->end(), missing.begin(), missing.end());
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
    if (f.bytes.empty())
      files.push_back({f.source, {}});
    else
      files.push_back({{}, f.bytes});
  }
  const uint64_t filesSize = qv::BlockContainerSize(files);
  if (filesSize > 0xFFFFFFFFull) throw EQVError("the files of the project exceed 4 GiB");

  const std::string partial = r.out + ".part";
  {
    std::unique_ptr<std::FILE, FileCloser> out(qv::platform::OpenStream(partial, "wb"));
    if (!out) throw EQVError("cannot write " + r.out);
    try {
      // An engine that already carries an overlay gives only its own bytes:
      // the engine reads the first overlay it finds.
      const uint64_t engineBytes = EngineBytes(r.engine);
      if (notes && qv::FindBlockMarker(r.engine).found)
        notes->push_back(r.engine + " already carries a project; only the engine before it is used");
      CopyFileInto(out.get(), r.engine, engineBytes);
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
        Put32(out.get(), std::filesystem::file_size(qv::PathFromUtf8(r.ui)));
        CopyFileInto(out.get(), r.ui);
      }
      if (std::fflush(out.get()) != 0 || std::ferror(out.get())) throw EQVError("cannot write " + r.out);
    } catch (...) {
      out.reset();
      qv::platform::RemoveFile(partial);
      throw;
    }
  }
  struct stat st{};
  ::chmod(partial.c_str(), ::stat(r.engine.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0755);
  // In place in one step; Windows renames onto an existing file only so.
  std::string why;
  if (!qv::platform::ReplaceFileAtomically(partial, r.out, why)) {
    qv::platform::RemoveFile(partial);
    throw EQVError("cannot write " + r.out + ": " + why);
  }
}

int Pack(const Args& args) {
  PackRequest r;
  TOptionReader(kPackUsage)
      .Value("--engine", r.engine)
      .Value("--out", r.out)
      .Value("--settings", r.settings)
      .Value("--ui", r.ui)
      .Value("--preview", r.preview)
      .Values("--music", r.music)
      .Values("--extra", r.extras)
      .Switch("--four-blocks", r.fourBlocks)
      .Switch("--allow-empty", r.allowEmpty)
      .Switch("--strict", r.strict)
      .Plain(r.pictures)
      .Read(args);
  if (r.engine.empty()) throw UsageError{"pack needs --engine ENGINE"};
  if (r.out.empty()) throw UsageError{"pack needs --out OUT"};
  std::vector<std::string> notes;
  PackScreensaver(r, &notes);
  for (const std::string& note : notes) std::fprintf(stderr, "qvtool pack: %s\n", note.c_str());
  return 0;
}

}  // namespace qvtool
