#include "config_ui/uFormText.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "common/Error.h"
#include "common/Limits.h"
#include "common/Paths.h"
#include "graphics/TextFormats/TextEncoding.h"

namespace qv {

TFormValue TFormValue::Int(int64_t v) {
  TFormValue value;
  value.integer = v;
  return value;
}
TFormValue TFormValue::Ident(std::string name) {
  TFormValue value;
  value.kind = TKind::Identifier;
  value.text = std::move(name);
  return value;
}
TFormValue TFormValue::Str(std::string text) {
  TFormValue value;
  value.kind = TKind::String;
  value.text = std::move(text);
  return value;
}
TFormValue TFormValue::Data(std::vector<uint8_t> bytes) {
  TFormValue value;
  value.kind = TKind::Binary;
  value.bytes = std::move(bytes);
  return value;
}
TFormValue TFormValue::SetOf(std::vector<std::string> members) {
  TFormValue value;
  value.kind = TKind::Set;
  value.set = std::move(members);
  return value;
}
TFormValue TFormValue::ListOf(std::vector<TFormValue> items) {
  TFormValue value;
  value.kind = TKind::List;
  value.list = std::move(items);
  return value;
}

TFormObject& TFormObject::Set(std::string property, TFormValue value) {
  properties.push_back({std::move(property), std::move(value), 0});
  return *this;
}
TFormObject& TFormObject::Add(TFormObject child) {
  children.push_back(std::move(child));
  return *this;
}

namespace {

// Quoted text as written: UTF-8 as it is, anything else read as Windows-1252.
std::string QuotedToUtf8(std::string_view raw) {
  return IsValidUtf8(raw) ? std::string(raw) : Utf8FromWindows1252(raw);
}

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9') || c == '.'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

class TParser {
 public:
  TParser(std::string_view text, const std::vector<int>* lineNumbers) : s_(text), numbers_(lineNumbers) {}

  TFormObject Document() {
    SkipBlanks();
    if (AtEnd()) Fail("the description is empty");
    TFormObject root = Object(0);
    SkipBlanks();
    if (!AtEnd()) Fail("text after the end of the object " + Named(root));
    return root;
  }

 private:
  // The number to report for a line of the text.
  int Map(int line) const {
    if (numbers_ && line >= 1 && static_cast<size_t>(line) <= numbers_->size()) return (*numbers_)[line - 1];
    return line;
  }
  int Line() const { return Map(line_); }
  [[noreturn]] void Fail(const std::string& what) const { FailAt(Line(), what); }
  // `line` as reported.
  [[noreturn]] void FailAt(int line, const std::string& what) const {
    throw EQVError("line " + std::to_string(line) + ": " + what);
  }
  static std::string Named(const TFormObject& o) { return o.name.empty() ? o.className : o.name; }

  bool AtEnd() const { return pos_ >= s_.size(); }
  char Peek(size_t ahead = 0) const { return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : '\0'; }

  void SkipBlanks() {
    while (!AtEnd()) {
      const char c = s_[pos_];
      if (c == '\n') ++line_;
      else if (c != ' ' && c != '\t' && c != '\r' && c != '\f' && c != '\v') return;
      ++pos_;
    }
  }

  void Count() {
    if (++values_ > kMaxFormValues) Fail("more than " + std::to_string(kMaxFormValues) + " values");
  }
  void Deeper(int depth) const {
    if (depth >= kMaxFormNesting) Fail("nested more than " + std::to_string(kMaxFormNesting) + " levels deep");
  }

  // An identifier at the cursor, or empty.
  std::string Identifier() {
    SkipBlanks();
    if (AtEnd() || !IsIdentStart(Peek())) return {};
    const size_t start = pos_;
    while (!AtEnd() && IsIdentChar(Peek())) ++pos_;
    return std::string(s_.substr(start, pos_ - start));
  }
  std::string Describe() {
    SkipBlanks();
    if (AtEnd()) return "the end of the text";
    const char c = Peek();
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
      char code[16];
      std::snprintf(code, sizeof code, "character %d", static_cast<unsigned char>(c));
      return code;
    }
    return std::string("\"") + c + "\"";
  }
  void Expect(char c, const std::string& what) {
    SkipBlanks();
    if (Peek() != c) Fail("expected " + what + ", found " + Describe());
    ++pos_;
  }

  TFormObject Object(int depth) {
    Deeper(depth);
    Count();
    TFormObject object;
    object.line = Line();
    const std::string keyword = Identifier();
    if (!EqualsIgnoreCase(keyword, "object") && !EqualsIgnoreCase(keyword, "inherited") &&
        !EqualsIgnoreCase(keyword, "inline"))
      Fail("expected \"object\", found " + (keyword.empty() ? Describe() : "\"" + keyword + "\""));
    std::string first = Identifier();
    if (first.empty()) Fail("expected the object's name or class, found " + Describe());
    SkipBlanks();
    if (Peek() == ':') {
      ++pos_;
      object.name = std::move(first);
      object.className = Identifier();
      if (object.className.empty()) Fail("expected the class of " + object.name + ", found " + Describe());
    } else {
      object.className = std::move(first);
    }
    SkipBlanks();
    if (Peek() == '[') {  // the position among inherited children: not needed here
      ++pos_;
      Number();
      Expect(']', "\"]\"");
    }
    for (;;) {
      SkipBlanks();
      if (AtEnd()) FailAt(object.line, "the object " + Named(object) + " has no \"end\"");
      const size_t save = pos_;
      const int saveLine = line_;
      const std::string word = Identifier();
      if (word.empty()) Fail("expected a property, an object or \"end\" in " + Named(object) + ", found " + Describe());
      if (EqualsIgnoreCase(word, "end")) return object;
      if (EqualsIgnoreCase(word, "object") || EqualsIgnoreCase(word, "inherited") || EqualsIgnoreCase(word, "inline")) {
        pos_ = save;
        line_ = saveLine;
        object.children.push_back(Object(depth + 1));
        continue;
      }
      object.properties.push_back(Property(word, saveLine, depth));
    }
  }

  TFormProperty Property(std::string name, int line, int depth) {
    TFormProperty p;
    p.name = std::move(name);
    p.line = Map(line);
    Expect('=', "\"=\" after " + p.name);
    p.value = Value(depth + 1);
    return p;
  }

  TFormValue Value(int depth) {
    Deeper(depth);
    Count();
    SkipBlanks();
    TFormValue v;
    v.line = Line();
    const char c = Peek();
    if (AtEnd()) Fail("expected a value, found the end of the text");
    if (c == '\'' || c == '#') {
      v.kind = TFormValue::TKind::String;
      v.text = StringExpression();
    } else if (IsDigit(c) || c == '-' || c == '+' || c == '$') {
      v = Number();
    } else if (IsIdentStart(c)) {
      v.kind = TFormValue::TKind::Identifier;
      v.text = Identifier();
    } else if (c == '[') {
      ++pos_;
      v.kind = TFormValue::TKind::Set;
      SetMembers(v.set);
    } else if (c == '(') {
      ++pos_;
      v.kind = TFormValue::TKind::List;
      for (;;) {
        SkipBlanks();
        if (AtEnd()) FailAt(v.line, "the list has no \")\"");
        if (Peek() == ')') {
          ++pos_;
          break;
        }
        v.list.push_back(Value(depth + 1));
      }
    } else if (c == '{') {
      ++pos_;
      v.kind = TFormValue::TKind::Binary;
      v.bytes = HexData(v.line);
    } else if (c == '<') {
      ++pos_;
      v.kind = TFormValue::TKind::Collection;
      Collection(v, depth);
    } else {
      Fail("expected a value, found " + Describe());
    }
    return v;
  }

  TFormValue Number() {
    SkipBlanks();
    TFormValue v;
    v.line = Line();
    const size_t start = pos_;
    bool negative = false;
    if (Peek() == '-' || Peek() == '+') {
      negative = Peek() == '-';
      ++pos_;
    }
    constexpr uint64_t kLimit = uint64_t{1} << 63;
    uint64_t magnitude = 0;
    auto tooLarge = [&] { Fail("the number " + std::string(s_.substr(start, pos_ - start)) + "... is too large"); };
    if (Peek() == '$') {
      ++pos_;
      if (HexDigit(Peek()) < 0) Fail("expected hex digits after \"$\"");
      while (HexDigit(Peek()) >= 0) {
        if (magnitude > (kLimit - 1) >> 4) tooLarge();
        magnitude = magnitude * 16 + static_cast<uint64_t>(HexDigit(Peek()));
        ++pos_;
      }
    } else {
      if (!IsDigit(Peek())) Fail("expected a number, found " + Describe());
      while (IsDigit(Peek())) {
        if (magnitude > (kLimit - 1) / 10) tooLarge();
        magnitude = magnitude * 10 + static_cast<uint64_t>(Peek() - '0');
        ++pos_;
      }
      if (Peek() == '.' && IsDigit(Peek(1))) {
        ++pos_;
        while (IsDigit(Peek())) ++pos_;
        if ((Peek() == 'e' || Peek() == 'E') &&
            (IsDigit(Peek(1)) || ((Peek(1) == '-' || Peek(1) == '+') && IsDigit(Peek(2))))) {
          pos_ += 2;
          while (IsDigit(Peek())) ++pos_;
        }
        v.kind = TFormValue::TKind::Float;
        v.number = std::strtod(std::string(s_.substr(start, pos_ - start)).c_str(), nullptr);
        if (!std::isfinite(v.number)) Fail("the number is out of range");
        return v;
      }
    }
    if (magnitude >= kLimit) tooLarge();
    v.integer = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return v;
  }

  // Pieces in quotes and #NN codes with nothing between them; pieces so
  // made may be joined by "+" across blanks and lines.
  std::string StringExpression() {
    std::string out;
    for (;;) {
      SkipBlanks();
      if (Peek() != '\'' && Peek() != '#') Fail("expected a string after \"+\", found " + Describe());
      while (Peek() == '\'' || Peek() == '#') {
        if (Peek() == '\'') {
          ++pos_;
          std::string raw;
          for (;;) {
            if (AtEnd() || Peek() == '\r' || Peek() == '\n') Fail("unterminated string");
            if (Peek() == '\'') {
              if (Peek(1) == '\'') {
                raw += '\'';
                pos_ += 2;
                continue;
              }
              ++pos_;
              break;
            }
            raw += Peek();
            ++pos_;
          }
          out += QuotedToUtf8(raw);
        } else {
          ++pos_;
          uint32_t code = 0;
          const bool hex = Peek() == '$';
          if (hex) ++pos_;
          if (hex ? HexDigit(Peek()) < 0 : !IsDigit(Peek())) Fail("expected a character code after \"#\"");
          while (hex ? HexDigit(Peek()) >= 0 : IsDigit(Peek())) {
            code = code * (hex ? 16 : 10) + static_cast<uint32_t>(hex ? HexDigit(Peek()) : Peek() - '0');
            if (code > 0x10FFFF) Fail("the character code is too large");
            ++pos_;
          }
          AppendUtf8(out, code);
        }
      }
      const size_t save = pos_;
      const int saveLine = line_;
      SkipBlanks();
      if (Peek() != '+') {
        pos_ = save;
        line_ = saveLine;
        return out;
      }
      ++pos_;
    }
  }

  void SetMembers(std::vector<std::string>& members) {
    const int start = Line();
    SkipBlanks();
    if (Peek() == ']') {
      ++pos_;
      return;
    }
    for (;;) {
      SkipBlanks();
      if (AtEnd()) FailAt(start, "the set has no \"]\"");
      std::string member = Identifier();
      if (member.empty()) {
        if (!IsDigit(Peek()) && Peek() != '-' && Peek() != '$') Fail("expected a set member, found " + Describe());
        member = std::to_string(Number().integer);
      }
      Count();
      members.push_back(std::move(member));
      SkipBlanks();
      if (Peek() == ']') {
        ++pos_;
        return;
      }
      Expect(',', "\",\" or \"]\" in a set");
    }
  }

  std::vector<uint8_t> HexData(int start) {
    std::vector<uint8_t> bytes;
    int high = -1;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) FailAt(start, "the binary data has no \"}\"");
      const char c = Peek();
      if (c == '}') {
        ++pos_;
        break;
      }
      const int digit = HexDigit(c);
      if (digit < 0) Fail("expected hex digits in binary data, found " + Describe());
      ++pos_;
      if (high < 0) {
        high = digit;
      } else {
        bytes.push_back(static_cast<uint8_t>(high << 4 | digit));
        high = -1;
      }
    }
    if (high >= 0) FailAt(Line(), "the binary data has an odd number of hex digits");
    return bytes;
  }

  void Collection(TFormValue& v, int depth) {
    const int start = v.line;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) FailAt(start, "the collection has no \">\"");
      if (Peek() == '>') {
        ++pos_;
        return;
      }
      const std::string word = Identifier();
      if (!EqualsIgnoreCase(word, "item")) Fail("expected \"item\" or \">\" in a collection, found " + (word.empty() ? Describe() : "\"" + word + "\""));
      Count();
      const int itemLine = Line();
      SkipBlanks();
      if (Peek() == '[') {
        ++pos_;
        Number();
        Expect(']', "\"]\"");
      }
      TFormItem item;
      for (;;) {
        SkipBlanks();
        if (AtEnd()) FailAt(itemLine, "the collection item has no \"end\"");
        const int propertyLine = line_;
        const std::string name = Identifier();
        if (name.empty()) Fail("expected a property or \"end\" in a collection item, found " + Describe());
        if (EqualsIgnoreCase(name, "end")) break;
        item.properties.push_back(Property(name, propertyLine, depth + 1));
      }
      v.items.push_back(std::move(item));
    }
  }

  std::string_view s_;
  const std::vector<int>* numbers_;
  size_t pos_ = 0;
  int line_ = 1;
  size_t values_ = 0;
};

// ---- Writing ----

std::string Quoted(std::string_view text) {
  std::string out;
  bool open = false;
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20) {
      if (open) out += '\'';
      open = false;
      out += '#' + std::to_string(c);
      continue;
    }
    if (!open) out += '\'';
    open = true;
    out += ch;
    if (ch == '\'') out += '\'';
  }
  if (open) out += '\'';
  return out.empty() ? "''" : out;
}

void WriteProperty(std::string& out, const TFormProperty& p, const std::string& indent);

void WriteValue(std::string& out, const TFormValue& v, const std::string& indent) {
  using K = TFormValue::TKind;
  switch (v.kind) {
    case K::Binary: {
      out += "{";
      constexpr size_t kPerLine = 32;
      for (size_t i = 0; i < v.bytes.size(); ++i) {
        if (i % kPerLine == 0) out += "\r\n" + indent + "  ";
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", v.bytes[i]);
        out += hex;
      }
      out += "}";
      return;
    }
    case K::List:
      out += "(";
      for (const TFormValue& item : v.list) {
        out += "\r\n" + indent + "  ";
        WriteValue(out, item, indent + "  ");
      }
      out += ")";
      return;
    case K::Collection:
      out += "<";
      for (const TFormItem& item : v.items) {
        out += "\r\n" + indent + "  item";
        for (const TFormProperty& p : item.properties) WriteProperty(out, p, indent + "    ");
        out += "\r\n" + indent + "  end";
      }
      out += ">";
      return;
    default: out += FormValueText(v); return;
  }
}

void WriteProperty(std::string& out, const TFormProperty& p, const std::string& indent) {
  out += "\r\n" + indent + p.name + " = ";
  WriteValue(out, p.value, indent);
}

void WriteObject(std::string& out, const TFormObject& o, const std::string& indent) {
  if (!out.empty()) out += "\r\n";
  out += indent + "object " + (o.name.empty() ? "" : o.name + ": ") + o.className;
  for (const TFormProperty& p : o.properties) WriteProperty(out, p, indent + "  ");
  for (const TFormObject& child : o.children) WriteObject(out, child, indent + "  ");
  out += "\r\n" + indent + "end";
}

}  // namespace

TFormObject ReadFormText(std::string_view text, const std::vector<int>* lineNumbers) {
  return TParser(text, lineNumbers).Document();
}

std::string FormValueText(const TFormValue& v) {
  using K = TFormValue::TKind;
  switch (v.kind) {
    case K::Integer: return std::to_string(v.integer);
    case K::Float: {
      char number[40];
      std::snprintf(number, sizeof number, "%.10g", v.number);
      std::string s = number;
      if (s.find_first_of(".e") == std::string::npos) s += ".0";
      return s;
    }
    case K::Identifier: return v.text;
    case K::String: return Quoted(v.text);
    case K::Set: {
      std::string out = "[";
      for (size_t i = 0; i < v.set.size(); ++i) out += (i ? ", " : "") + v.set[i];
      return out + "]";
    }
    default: {
      std::string out;
      WriteValue(out, v, "");
      return out;
    }
  }
}

std::string WriteFormText(const TFormObject& object) {
  std::string out;
  WriteObject(out, object, "");
  return out;
}

}  // namespace qv
