#include "animation/uObjectDescription.h"

#include <algorithm>

#include "common/Limits.h"

namespace qv {

namespace {

using D = TObjectDescription;

constexpr TObjectKey IntKey(const char* name, int32_t D::*field, int32_t def, bool keepsCurrent = false) {
  return {name, TObjectKey::Int, field, nullptr, nullptr, nullptr, def, keepsCurrent};
}
constexpr TObjectKey ByteKey(const char* name, uint8_t D::*field, int32_t def, bool keepsCurrent = false) {
  return {name, TObjectKey::Byte, nullptr, field, nullptr, nullptr, def, keepsCurrent};
}
constexpr TObjectKey BoolKey(const char* name, bool D::*field, bool def) {
  return {name, TObjectKey::Bool, nullptr, nullptr, field, nullptr, def ? 1 : 0, false};
}
constexpr TObjectKey TextKey(const char* name, std::string D::*field) {
  return {name, TObjectKey::Text, nullptr, nullptr, nullptr, field, 0, false};
}

// The common keys in the order they are read.
const std::vector<TObjectKey>& CommonKeys() {
  static const std::vector<TObjectKey> keys = {
      IntKey("Width", &D::Width, 0, true),
      IntKey("Height", &D::Height, 0, true),
      BoolKey("Scaled", &D::Scaled, true),
      IntKey("WidthSize", &D::WidthSize, 100),
      IntKey("HeightSize", &D::HeightSize, 100),
      IntKey("MoveAreaRectleft", &D::MoveAreaRectleft, 0, true),
      IntKey("MoveAreaRecttop", &D::MoveAreaRecttop, 0, true),
      IntKey("MoveAreaRectright", &D::MoveAreaRectright, 0, true),
      IntKey("MoveAreaRectbottom", &D::MoveAreaRectbottom, 0, true),
      IntKey("Speed", &D::Speed, 10),
      ByteKey("InitialDir", &D::InitialDir, 0, true),
      ByteKey("PosLeftType", &D::PosLeftType, 0),
      ByteKey("PosTopType", &D::PosTopType, 0),
      IntKey("PosLeft", &D::PosLeft, 100),
      IntKey("PosTop", &D::PosTop, 100),
      ByteKey("ObjFacing", &D::ObjFacing, 1),
      IntKey("Opacity", &D::Opacity, 10),
      IntKey("DisplaySec", &D::DisplaySec, 0),
      ByteKey("DisplayDurationType", &D::DisplayDurationType, 0),
      IntKey("DisplayDurationSec", &D::DisplayDurationSec, 60),
      IntKey("DIsplayDurationCycle", &D::DisplayDurationCycle, 10),
      ByteKey("Motion", &D::Motion, 0),
      IntKey("MotionSpeed", &D::MotionSpeed, 10),
      ByteKey("MotionAreaType", &D::MotionAreaType, 0),
      BoolKey("DirFlip", &D::DirFlip, false),
      BoolKey("Redisplay", &D::Redisplay, true),
      BoolKey("ResetPos", &D::ResetPos, true),
      BoolKey("RestrictArea", &D::RestrictArea, true),
  };
  return keys;
}

const std::vector<TObjectKey>& OwnKeys(TObjectType type) {
  static const std::vector<TObjectKey> img = {
      TextKey("Filename", &D::Filename),
      BoolKey("Transparent", &D::Transparent, true),
      ByteKey("TransparentType", &D::TransparentType, 1),
      IntKey("TransparentColor", &D::TransparentColor, 0, true),
  };
  static const std::vector<TObjectKey> gif = {
      TextKey("Filename", &D::Filename),
      IntKey("AnimSpeed", &D::AnimSpeed, 10),
      BoolKey("Transparent", &D::Transparent, true),
      ByteKey("TransparentType", &D::TransparentType, 0),
      IntKey("TransparentColor", &D::TransparentColor, 0, true),
      BoolKey("RefreshFrame", &D::RefreshFrame, false),
  };
  return type == TObjectType::Gif ? gif : img;
}

// The common keys in the order they are written (after "Left" and "Top";
// "InitialPos" follows "Speed").
constexpr const char* kWriteOrder[] = {
    "Width", "Height", "Scaled", "MoveAreaRectleft", "MoveAreaRecttop", "MoveAreaRectright",
    "MoveAreaRectbottom", "WidthSize", "HeightSize", "Speed", "InitialPos", "InitialDir", "PosLeftType",
    "PosTopType", "PosLeft", "PosTop", "ObjFacing", "Opacity", "DisplaySec", "DisplayDurationType",
    "DisplayDurationSec", "DIsplayDurationCycle", "Motion", "MotionSpeed", "MotionAreaType", "DirFlip",
    "Redisplay", "ResetPos", "RestrictArea"};

std::string SectionOf(int number) { return "Obj" + std::to_string(number); }

void ReadKey(const TIniFile& ini, const std::string& section, const TObjectKey& key, D& d) {
  switch (key.kind) {
    case TObjectKey::Int:
      d.*key.intField = ini.ReadInteger(section, key.name, key.keepsCurrent ? d.*key.intField : key.def);
      break;
    case TObjectKey::Byte:  // a byte field keeps the low 8 bits of what the file says
      d.*key.byteField = static_cast<uint8_t>(
          ini.ReadInteger(section, key.name, key.keepsCurrent ? d.*key.byteField : key.def));
      break;
    case TObjectKey::Bool: d.*key.boolField = ini.ReadBool(section, key.name, key.def != 0); break;
    case TObjectKey::Text: d.*key.textField = ini.ReadString(section, key.name, ""); break;
  }
}

void WriteKey(TIniDocument& doc, const std::string& section, const TObjectKey& key, const D& d) {
  switch (key.kind) {
    case TObjectKey::Int: doc.WriteInteger(section, key.name, d.*key.intField); break;
    case TObjectKey::Byte: doc.WriteInteger(section, key.name, d.*key.byteField); break;
    case TObjectKey::Bool: doc.WriteBool(section, key.name, d.*key.boolField); break;
    case TObjectKey::Text: {
      // A text ends at a line break or NUL, as a line of the file does.
      const std::string& text = d.*key.textField;
      doc.WriteString(section, key.name, text.substr(0, text.find_first_of(std::string_view("\r\n\0", 3))));
      break;
    }
  }
}

}  // namespace

const char* ObjectTypeName(TObjectType type) { return type == TObjectType::Gif ? "GIF" : "IMG"; }

TObjectDescription NewObjectDescription(TObjectType type, int number) {
  TObjectDescription d;
  d.Type = type;
  d.Number = number;
  if (type == TObjectType::Gif) d.TransparentType = 0;
  return d;
}

std::vector<const TObjectKey*> ObjectKeys(TObjectType type) {
  std::vector<const TObjectKey*> keys;
  for (const TObjectKey& k : OwnKeys(type)) keys.push_back(&k);
  for (const TObjectKey& k : CommonKeys()) keys.push_back(&k);
  return keys;
}

void ReadObjectDescription(const TIniFile& text, int section, TObjectDescription& d) {
  const std::string name = SectionOf(section);
  for (const TObjectKey* k : ObjectKeys(d.Type)) ReadKey(text, name, *k, d);
  d.Scaled = true;
}

std::vector<TObjectDescription> ReadObjectDescriptions(std::string_view text) {
  std::vector<TObjectDescription> objects;
  const TIniFile ini = TIniFile::FromText(text);
  const size_t sections = std::min(ini.SectionCount(), kMaxAnimObjects);
  for (size_t n = 0; n < sections; ++n) {
    const std::string type = ini.ReadString(SectionOf(static_cast<int>(n)), "ObjType", "");
    if (type != "GIF" && type != "IMG") continue;
    TObjectDescription d =
        NewObjectDescription(type == "GIF" ? TObjectType::Gif : TObjectType::Img, static_cast<int>(objects.size()));
    ReadObjectDescription(ini, static_cast<int>(n), d);
    objects.push_back(std::move(d));
  }
  return objects;
}

std::string WriteObjectDescription(const TObjectDescription& d, int32_t left, int32_t top) {
  const std::string section = SectionOf(d.Number);
  TIniDocument doc;
  doc.WriteInteger(section, "Left", left);
  doc.WriteInteger(section, "Top", top);
  for (const char* name : kWriteOrder) {
    if (std::string_view(name) == "InitialPos") {
      doc.WriteInteger(section, name, 0);
      continue;
    }
    for (const TObjectKey& k : CommonKeys())
      if (std::string_view(k.name) == name) WriteKey(doc, section, k, d);
  }
  doc.WriteString(section, "ObjType", ObjectTypeName(d.Type));
  for (const TObjectKey& k : OwnKeys(d.Type)) WriteKey(doc, section, k, d);
  return doc.Text();
}

}  // namespace qv
