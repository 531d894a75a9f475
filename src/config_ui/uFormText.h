// The textual form description a skin carries for each window: nested object
// blocks with property lines, as streamed components are written out as text.
// ReadFormText turns such a text into a tree; WriteFormText writes one.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

struct TFormItem;

struct TFormValue {
  enum class TKind {
    Integer,     // -11, $00FF8000
    Float,       // 1.5
    Identifier,  // clNavy, True, bsNone, TabSheet1
    String,      // 'it''s' #13#10 'more' joined by "+", as UTF-8
    Set,         // [biSystemMenu, biMinimize]
    List,        // ('line one' 'line two')
    Binary,      // {0A1B...}
    Collection,  // <item ... end item ... end>
  };
  TKind kind = TKind::Integer;
  int64_t integer = 0;
  double number = 0;
  std::string text;                // Identifier, String
  std::vector<std::string> set;    // Set members as written
  std::vector<TFormValue> list;    // List items
  std::vector<uint8_t> bytes;      // Binary
  std::vector<TFormItem> items;    // Collection items
  int line = 0;                    // where the value starts

  static TFormValue Int(int64_t v);
  static TFormValue Ident(std::string name);
  static TFormValue Str(std::string text);
  static TFormValue Data(std::vector<uint8_t> bytes);
  static TFormValue SetOf(std::vector<std::string> members);
  static TFormValue ListOf(std::vector<TFormValue> items);
};

struct TFormProperty {
  std::string name;  // dotted for a sub-object: "Font.Name"
  TFormValue value;
  int line = 0;
};

struct TFormItem {
  std::vector<TFormProperty> properties;
};

struct TFormObject {
  std::string name;  // empty when the block leaves it out
  std::string className;
  std::vector<TFormProperty> properties;
  std::vector<TFormObject> children;
  int line = 0;

  TFormObject& Set(std::string property, TFormValue value);
  TFormObject& Add(TFormObject child);
};

// Reads one object block. Throws EQVError "line N: ..." for anything that is
// not the format: an unterminated string, an odd count of hex digits, a block
// without its "end", nesting or values past the limits, text after the block.
// lineNumbers, when given, holds the number to report for each line of text
// (the text's lines may have come from further down a larger file).
TFormObject ReadFormText(std::string_view text, const std::vector<int>* lineNumbers = nullptr);

// The object as text, CR LF line ends, two blanks of indent per level, long
// binary data and lists over several lines. ReadFormText reads it back.
std::string WriteFormText(const TFormObject& object);

// A value as one text: a string in quotes with doubled quotes and #NN codes
// for control characters, a set in brackets and so on.
std::string FormValueText(const TFormValue& value);

}  // namespace qv
