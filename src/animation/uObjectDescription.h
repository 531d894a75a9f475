// The description of an animated object as an animated picture stores it:
// its keys, their defaults and their INI form. Plain data: reading a
// description starts nothing; the engine brings objects to life from it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "project/uIniFile.h"

namespace qv {

enum class TObjectType { Img, Gif };

// How an object moves ("Motion").
enum class TMotion : uint8_t {
  Stay = 0,
  Wander = 1,
  Bounce = 2,
  BounceAcross = 3,  // left and right only
  BounceUpDown = 4,  // up and down only
  WrapAcross = 5,    // travels one way and comes back in at the far side
  WrapDown = 6,      // the same downwards
  Circle = 7,
  StayToo = 8,       // stays, as 0
  Shiver = 9,
};

// Where an object starts, across or down ("PosLeftType", "PosTopType").
enum class TPlacement : uint8_t {
  Given = 0,           // PosLeft or PosTop as stored
  LowEdge = 1,         // the motion area's left or top edge
  HighEdge = 2,        // its right or bottom edge
  Middle = 3,
  Random = 4,
  RandomMirrored = 5,  // a random place mirrored to the far side of the middle
};

// The first direction of the bounce and wander walks ("InitialDir").
enum class TInitialDirection : uint8_t {
  Random = 0, Left = 1, Right = 2, Up = 3, Down = 4, UpLeft = 5, UpRight = 6, DownLeft = 7, DownRight = 8,
};

// The description keys of an object (each type reads the ones it has).
struct TObjectDescription {
  TObjectType Type = TObjectType::Img;
  int Number = 0;  // its position in the list; its section is "Obj" + Number
  int32_t Width = 0, Height = 0;
  bool Scaled = true;
  int32_t WidthSize = 100, HeightSize = 100;
  int32_t MoveAreaRectleft = 0, MoveAreaRecttop = 0, MoveAreaRectright = 0, MoveAreaRectbottom = 0;
  int32_t Speed = 10;
  uint8_t InitialDir = 0, PosLeftType = 0, PosTopType = 0;
  int32_t PosLeft = 100, PosTop = 100;
  uint8_t ObjFacing = 1;
  int32_t Opacity = 10, DisplaySec = 0;
  uint8_t DisplayDurationType = 0;
  int32_t DisplayDurationSec = 60, DisplayDurationCycle = 10;
  uint8_t Motion = 0;
  int32_t MotionSpeed = 10;
  uint8_t MotionAreaType = 0;
  bool DirFlip = false, Redisplay = true, ResetPos = true, RestrictArea = true;
  // Picture objects.
  std::string Filename;
  bool Transparent = true;
  uint8_t TransparentType = 1;   // 0 for a new GIF object
  int32_t TransparentColor = 0;  // a colour value: 0x00BBGGRR, or a system colour number
  // Animated GIFs.
  int32_t AnimSpeed = 10;
  bool RefreshFrame = false;
};

// "IMG" or "GIF", as "ObjType" holds it.
const char* ObjectTypeName(TObjectType type);
// A new object's description: the defaults of its type.
TObjectDescription NewObjectDescription(TObjectType type, int number);

// One description key: its name, what it holds and where, and its default.
struct TObjectKey {
  enum TKind { Int, Byte, Bool, Text };
  const char* name;
  TKind kind;
  int32_t TObjectDescription::*intField = nullptr;
  uint8_t TObjectDescription::*byteField = nullptr;
  bool TObjectDescription::*boolField = nullptr;
  std::string TObjectDescription::*textField = nullptr;
  int32_t def = 0;            // for Text: none
  bool keepsCurrent = false;  // a missing key keeps the value the description has
};

// The keys a type reads: its own first, then the common ones, in read order.
std::vector<const TObjectKey*> ObjectKeys(TObjectType type);

// Reads the keys of section "Obj"+section: the type's own, then the common
// ones; Scaled is always true afterwards.
void ReadObjectDescription(const TIniFile& text, int section, TObjectDescription& d);

// The objects a description text lists: for n from 0 to the number of
// sections - 1 (at most kMaxAnimObjects), "ObjType" of section "Obj"+n:
// "GIF" and "IMG" append an object, anything else nothing. The new object
// reads its own section; its number is its list position (the two are the
// same in files without gaps or unknown types, as the authoring tool writes
// them).
std::vector<TObjectDescription> ReadObjectDescriptions(std::string_view text);

// The object's section with every key it writes, in the order it writes
// them, "Left" and "Top" (its current edges) first; a text value is cut at a
// line break or NUL.
std::string WriteObjectDescription(const TObjectDescription& d, int32_t left, int32_t top);

}  // namespace qv
