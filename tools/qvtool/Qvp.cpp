// qvtool qvp: animated pictures (.QVP) for the people who make them. "info"
// loads one as the engine does and prints it as JSON; "make" writes one from
// a picture, a mask picture and INI files.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Commands.h"
#include "Json.h"
#include "Options.h"
#include "ToolFiles.h"
#include "animation/uFileLoader.h"
#include "animation/uProject.h"
#include "common/CommaText.h"
#include "common/Error.h"
#include "common/Limits.h"
#include "graphics/ImageFormats/JPEGLoader.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "platform/Files.h"
#include "project/uIniFile.h"

namespace qvtool {

namespace {

constexpr const char kMakeUsage[] =
    "usage: qvtool qvp make --picture P.jpg --mask M.bmp [--preview V.jpg] [--title T] [--comment C]\n"
    "                       [--areas AREAS.ini] [--weather WEATHER.ini] [--sound NAME,MODE,A,B]...\n"
    "                       [--objects OBJECTS.ini] [--build BUILD.ini] --out X.qvp";
constexpr const char kQvpUsage[] = "usage: qvtool qvp info FILE.qvp\n       qvtool qvp make ... (qvtool qvp make --help)";

constexpr int kPreviewWidth = 160, kPreviewHeight = 120;

std::string ReadText(const std::string& path) { return qv::platform::ReadWholeText(path, qv::kMaxProjectTextBytes); }

void Size(JsonWriter& json, const char* key, const qv::TBitmap32& b) {
  json.Key(key).BeginArray().Value(b.Width()).Value(b.Height()).EndArray();
}

// A key of the areas or weather file: absent, the default; otherwise a whole
// number within what the format and the engine take, or the maker is told
// the file, the key, the value and the range.
int32_t Checked(const qv::TIniFile& ini, const std::string& file, const std::string& section, const char* key,
                int32_t def, int32_t low, int32_t high) {
  const std::string raw = ini.ReadString(section, key, "\x01");
  if (raw == "\x01") return def;
  int32_t value = 0;
  if (!qv::ParseIniInteger(raw, value) || value < low || value > high)
    throw UsageError{file + ": [" + section + "] " + key + "=" + raw + " is not allowed: " + key +
                     " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high)};
  return value;
}

constexpr int32_t kSide = qv::kMaxPictureSide;

// The keys of the areas INI file: sections "Area1" to "Area4".
qv::TWaveParam ReadArea(const qv::TIniFile& ini, const std::string& file, const std::string& section) {
  qv::TWaveParam a;
  a.Amplitude = Checked(ini, file, section, "Amplitude", 0, -kSide, kSide);
  a.WaveCount = Checked(ini, file, section, "WaveCount", 0, -kSide, kSide);
  a.Speed = Checked(ini, file, section, "Speed", 0, -3600, 3600);
  a.Forward = Checked(ini, file, section, "Forward", 1, 0, 1);
  a.Horizontal = Checked(ini, file, section, "Horizontal", 0, 0, 1) != 0;
  a.Vertical = Checked(ini, file, section, "Vertical", 0, 0, 1) != 0;
  a.Perspective = Checked(ini, file, section, "Perspective", 0, 0, 1) != 0;
  a.Period = Checked(ini, file, section, "Period", 360, 0, 36000);
  a.Jitter = Checked(ini, file, section, "Jitter", 0, 0, kSide);
  a.Reflection = Checked(ini, file, section, "Reflection", 0, 0, 1) != 0;
  return a;
}

qv::TWeatherParam ReadWeather(const qv::TIniFile& ini, const std::string& file) {
  qv::TWeatherParam w;
  w.Kind = Checked(ini, file, "Weather", "Kind", 0, 0, 2);
  // More than 1000 is stored; the engine uses 1000.
  w.Count = Checked(ini, file, "Weather", "Count", 0, 0, INT32_MAX);
  w.SpeedLevel = Checked(ini, file, "Weather", "SpeedLevel", 0, 0, 20);
  w.Angle = Checked(ini, file, "Weather", "Angle", 0, -360, 360);
  w.Length = Checked(ini, file, "Weather", "Length", 0, 0, 1000);
  w.Opacity = Checked(ini, file, "Weather", "Opacity", 0, 0, 10);
  return w;
}

// NAME,MODE,A,B: the last three fields are numbers; the name may hold commas.
// MODE is 0 (looped), 1 (at random intervals from A to B seconds) or 2
// (every A seconds); A and B are seconds from 0 to a day, A at most B in mode 1.
qv::TSoundSlot ParseSound(const std::string& text) {
  std::vector<std::string> parts;
  size_t end = text.size();
  for (int i = 0; i < 3; ++i) {
    const size_t comma = text.rfind(',', end == 0 ? 0 : end - 1);
    if (comma == std::string::npos || end == 0) throw UsageError{"--sound takes NAME,MODE,A,B, not \"" + text + "\""};
    parts.insert(parts.begin(), text.substr(comma + 1, end - comma - 1));
    end = comma;
  }
  qv::TSoundSlot s;
  s.Name = text.substr(0, end);
  int32_t* numbers[3] = {&s.PlayMode, &s.Interval, &s.IntervalMax};
  const char* names[3] = {"MODE", "A", "B"};
  const int32_t highs[3] = {2, 86400, 86400};
  for (int i = 0; i < 3; ++i) {
    const std::string& part = parts[static_cast<size_t>(i)];
    if (!qv::ParseIniInteger(part, *numbers[i]) || *numbers[i] < 0 || *numbers[i] > highs[i])
      throw UsageError{"--sound " + text + ": " + names[i] + "=" + part + " is not allowed: " + names[i] +
                       " takes a whole number from 0 to " + std::to_string(highs[i]) +
                       (i == 0 ? " (0 looped, 1 at random intervals, 2 at a fixed interval)" : " (seconds)")};
  }
  if (s.PlayMode == 1 && s.Interval > s.IntervalMax)
    throw UsageError{"--sound " + text + ": A (" + parts[1] + ") is more than B (" + parts[2] +
                     "): the random interval runs from A to B seconds"};
  if (s.Name.empty() || s.Name.size() > 255) throw UsageError{"a sound name has 1 to 255 characters: \"" + text + "\""};
  return s;
}

// The lines of an INI file as comma text, as the authoring tool stores its
// build settings.
std::string BuildCommaText(const std::string& ini) {
  std::vector<std::string> items;
  size_t start = 0;
  while (start <= ini.size()) {
    size_t end = ini.find('\n', start);
    if (end == std::string::npos) end = ini.size();
    std::string line = ini.substr(start, end - start);
    const size_t b = line.find_first_not_of(" \t\r");
    const size_t e = line.find_last_not_of(" \t\r");
    if (b != std::string::npos) items.push_back(line.substr(b, e - b + 1));
    start = end + 1;
  }
  return qv::ToCommaText(items);
}

// A picture's bytes as JPEG: a JPEG file as it is, anything else encoded.
std::vector<uint8_t> AsJpeg(const std::vector<uint8_t>& bytes, const std::string& name, qv::TBitmap32& decoded) {
  decoded = qv::DecodePicture(bytes.data(), bytes.size(), name).bitmap;
  if (qv::IsJPEG(bytes.data(), bytes.size())) return bytes;
  return qv::EncodeJPEG(decoded, 90);
}

int QvpInfo(const Args& args) {
  std::vector<std::string> files;
  TOptionReader("usage: qvtool qvp info FILE.qvp").Plain(files, 1, 1).Read(args);
  const Args& file = files;
  qv::TProject project;
  if (!project.Load(file[0])) throw qv::EQVError(file[0] + ": " + project.LoadError());
  for (const std::string& note : project.LoadNotes()) std::fprintf(stderr, "qvtool qvp: %s: %s\n", file[0].c_str(), note.c_str());

  JsonWriter json;
  json.BeginObject();
  json.Key("title").Value(project.Title());
  json.Key("comment").Value(project.Comment());
  Size(json, "picture", project.Picture());
  Size(json, "preview", project.Preview());
  Size(json, "mask", project.Mask());
  int64_t counts[qv::kAreaCount + 1] = {};
  const qv::TBitmap32& mask = project.Mask();
  for (int64_t i = 0; i < int64_t{mask.Width()} * mask.Height(); ++i) {
    const uint32_t v = mask.Bits()[i];
    const auto area = std::find(std::begin(qv::kAreaColors), std::end(qv::kAreaColors), v);
    ++counts[area == std::end(qv::kAreaColors) ? 0 : area - std::begin(qv::kAreaColors) + 1];
  }
  json.Key("mask_pixels").BeginArray();
  for (int64_t n : counts) json.Value(n);
  json.EndArray();

  json.Key("areas").BeginArray();
  for (int i = 0; i < qv::kAreaCount; ++i) {
    const qv::TWaveParam& a = project.Area(i);
    json.BeginObject();
    json.Key("Amplitude").Value(a.Amplitude).Key("WaveCount").Value(a.WaveCount).Key("Speed").Value(a.Speed);
    json.Key("Forward").Value(a.Forward).Key("Horizontal").Value(a.Horizontal).Key("Vertical").Value(a.Vertical);
    json.Key("Perspective").Value(a.Perspective).Key("Period").Value(a.Period).Key("Jitter").Value(a.Jitter);
    json.Key("Reflection").Value(a.Reflection);
    json.EndObject();
  }
  json.EndArray();

  const qv::TWeatherParam& w = project.Weather();
  json.Key("weather").BeginObject();
  json.Key("Kind").Value(w.Kind).Key("Count").Value(w.Count).Key("SpeedLevel").Value(w.SpeedLevel);
  json.Key("Angle").Value(w.Angle).Key("Length").Value(w.Length).Key("Opacity").Value(w.Opacity);
  json.EndObject();

  json.Key("sounds").BeginArray();
  for (int i = 0; i < project.SoundCount(); ++i) {
    const qv::TSoundSlot& s = project.Sound(i);
    json.BeginObject().Key("name").Value(s.Name).Key("mode").Value(s.PlayMode);
    json.Key("a").Value(s.Interval).Key("b").Value(s.IntervalMax).EndObject();
  }
  json.EndArray();

  json.Key("objects").BeginArray();
  for (const qv::TObjectDescription& d : project.Objects()) {
    json.BeginObject().Key("ObjType").Value(qv::ObjectTypeName(d.Type));
    for (const qv::TObjectKey* k : qv::ObjectKeys(d.Type)) {
      json.Key(k->name);
      switch (k->kind) {
        case qv::TObjectKey::Int: json.Value(d.*k->intField); break;
        case qv::TObjectKey::Byte: json.Value(static_cast<int>(d.*k->byteField)); break;
        case qv::TObjectKey::Bool: json.Value(d.*k->boolField); break;
        case qv::TObjectKey::Text: json.Value(d.*k->textField); break;
      }
    }
    json.EndObject();
  }
  json.EndArray();

  json.Key("build").BeginObject();
  for (auto [name, t] : {std::pair{"BuildScr", &project.Build().BuildScr}, {"BuildExe", &project.Build().BuildExe}}) {
    json.Key(name).BeginObject();
    json.Key("Filename").Value(t->Filename).Key("MusicFile").Value(t->MusicFile);
    json.Key("Music").Value(t->Music).Key("Sound").Value(t->Sound);
    json.EndObject();
  }
  json.EndObject();
  json.EndObject();
  std::printf("%s\n", json.str().c_str());
  return 0;
}

int QvpMake(const Args& args) {
  std::string picturePath, maskPath, previewPath, areasPath, weatherPath, objectsPath, buildPath, outPath;
  qv::TProjectFileParts parts;
  int sounds = 0;
  TOptionReader options(kMakeUsage);
  options.Value("--picture", picturePath)
      .Value("--mask", maskPath)
      .Value("--preview", previewPath)
      .Value("--title", parts.title)
      .Value("--comment", parts.comment)
      .Value("--areas", areasPath)
      .Value("--weather", weatherPath)
      .Value("--objects", objectsPath)
      .Value("--build", buildPath)
      .Value("--out", outPath)
      .Value("--sound",
             [&](const std::string& v) {
               if (sounds == qv::kSoundSlots) throw UsageError{"at most 8 sounds"};
               parts.sounds[static_cast<size_t>(sounds++)] = ParseSound(v);
             })
      .Read(args);
  if (picturePath.empty() || maskPath.empty() || outPath.empty()) throw UsageError{options.Usage()};

  qv::TBitmap32 picture;
  parts.picture = AsJpeg(qv::platform::ReadWholeFile(picturePath, qv::kMaxPictureFileBytes), picturePath, picture);
  const qv::TBitmap32 mask = ReadPicture(maskPath);
  if (mask.Width() != picture.Width() || mask.Height() != picture.Height())
    throw UsageError{"the mask is " + std::to_string(mask.Width()) + "x" + std::to_string(mask.Height()) +
                     " but the picture is " + std::to_string(picture.Width()) + "x" +
                     std::to_string(picture.Height())};
  parts.mask = qv::EncodeMask(mask);
  if (!previewPath.empty()) {
    qv::TBitmap32 preview;
    parts.preview = AsJpeg(qv::platform::ReadWholeFile(previewPath, qv::kMaxPictureFileBytes), previewPath, preview);
  } else {
    // The picture made small: within 160 x 120, its shape kept, never enlarged.
    const double scale = std::min({1.0, double(kPreviewWidth) / picture.Width(), double(kPreviewHeight) / picture.Height()});
    qv::TBitmap32 preview(std::max(1, static_cast<int>(picture.Width() * scale + 0.5)),
                          std::max(1, static_cast<int>(picture.Height() * scale + 0.5)));
    picture.ResampleTo(preview);
    parts.preview = qv::EncodeJPEG(preview, 85);
  }
  if (!areasPath.empty()) {
    const qv::TIniFile ini = qv::TIniFile::FromText(ReadText(areasPath));
    for (int i = 0; i < qv::kAreaCount; ++i)
      parts.areas[static_cast<size_t>(i)] = ReadArea(ini, areasPath, "Area" + std::to_string(i + 1));
  } else {
    for (qv::TWaveParam& a : parts.areas) a = ReadArea(qv::TIniFile(), "", "");
  }
  if (!weatherPath.empty()) parts.weather = ReadWeather(qv::TIniFile::FromText(ReadText(weatherPath)), weatherPath);
  if (!objectsPath.empty()) parts.objects = ReadText(objectsPath);
  if (!buildPath.empty()) parts.build = BuildCommaText(ReadText(buildPath));

  const std::vector<uint8_t> bytes = qv::EncodeProjectFile(parts);
  WriteOutputFile(outPath, bytes);
  return 0;
}

}  // namespace

int Qvp(const Args& args) {
  if (args.empty()) throw UsageError{kQvpUsage};
  if (args[0] == "--help" || args[0] == "-h") throw HelpAsked{kQvpUsage};
  const Args rest(args.begin() + 1, args.end());
  if (args[0] == "info") return QvpInfo(rest);
  if (args[0] == "make") return QvpMake(rest);
  throw UsageError{"unknown qvp command \"" + args[0] + "\" (info or make)"};
}

}  // namespace qvtool
