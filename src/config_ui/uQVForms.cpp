#include "config_ui/uQVForms.h"

#include <cctype>
#include <charconv>

#include "common/Error.h"
#include "common/Limits.h"
#include "common/Paths.h"
#include "platform/Files.h"
#include "project/uQVProject.h"

namespace qv {

namespace {

// Lines end at CR LF, LF or CR; a line end at the very end adds no line.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string_view Trim(std::string_view s) {
  const size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  const size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// A decimal integer on a line of its own.
bool ParseNumber(std::string_view text, long long& value) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::string LineText(int line) { return "line " + std::to_string(line); }

// The first n characters of a trimmed line, upper-cased.
bool StartsUpper(std::string_view line, std::string_view upperPrefix) {
  return line.size() >= upperPrefix.size() && UpperAscii(line.substr(0, upperPrefix.size())) == upperPrefix;
}

}  // namespace

void TActionList::Parse(const std::vector<std::string>& lines, int firstLine) {
  entries_.clear();
  if (lines.empty()) return;
  long long count = 0;
  if (!ParseNumber(lines[0], count) || count < 0)
    throw EQVError(LineText(firstLine) + ": the action count \"" + lines[0] + "\" is not a number");
  const size_t available = (lines.size() - 1) / 5;
  if (static_cast<unsigned long long>(count) > available)
    throw EQVError(LineText(firstLine) + ": " + std::to_string(count) + " actions do not fit in the " +
                   std::to_string(lines.size() - 1) + " lines that follow");
  for (long long k = 0; k < count; ++k) {
    const size_t at = static_cast<size_t>(k) * 5 + 1;
    TAction action;
    long long type = 0;
    if (!ParseNumber(lines[at + 1], type) || type < INT32_MIN || type > INT32_MAX)
      throw EQVError(LineText(firstLine + static_cast<int>(at) + 1) + ": the action type \"" + lines[at + 1] +
                     "\" is not a number");
    action.Type = static_cast<int>(type);
    action.Param1 = lines[at + 2];
    action.Param2 = lines[at + 3];
    action.Param3 = lines[at + 4];
    entries_.emplace_back(lines[at], std::move(action));
  }
}

const TAction* TActionList::Find(std::string_view component) const {
  for (const auto& [name, action] : entries_)
    if (EqualsIgnoreCase(name, component)) return &action;
  return nullptr;
}

std::string TQVForm::PrepareFormText(std::vector<int>* lineNumbers) const {
  std::string out;
  if (lineNumbers) lineNumbers->clear();
  bool visibleSeen = false, first = true;
  for (size_t i = 0; i < Lines.size(); ++i) {
    const std::string line = i == 0 ? "object " + Name + ": TfmQVConfigWindow" : Lines[i];
    const std::string_view t = Trim(line);
    const bool event = t.size() >= 2 && t[0] == 'O' && t[1] == 'n' &&
                       (t.size() == 2 || std::toupper(static_cast<unsigned char>(t[2])) == static_cast<unsigned char>(t[2]));
    if (event || StartsUpper(t, "BORDERICONS") || StartsUpper(t, "BORDERSTYLE") || StartsUpper(t, "FORMSTYLE")) continue;
    if (!visibleSeen && StartsUpper(t, "VISIBLE")) {
      visibleSeen = true;
      continue;
    }
    if (!first) out += "\r\n";
    first = false;
    out += line;
    if (lineNumbers) lineNumbers->push_back(FirstLine + static_cast<int>(i));
  }
  return out;
}

void TQVForms::LoadSkin(const std::string& fileName) {
  forms_.clear();
  texts_.clear();
  LoadSkinText(platform::ReadWholeText(fileName, kMaxSkinFileBytes));
}

void TQVForms::LoadSkinText(std::string_view text) {
  forms_.clear();
  texts_.clear();
  const std::vector<std::string> lines = SplitLines(text);
  size_t cursor = 0;
  // A count at the cursor, checked against the lines after it.
  auto count = [&](const char* what) -> size_t {
    const int line = static_cast<int>(cursor) + 1;
    if (cursor >= lines.size()) throw EQVError(LineText(line) + ": the file ends where " + what + " should be");
    long long value = 0;
    if (!ParseNumber(lines[cursor], value) || value < 0)
      throw EQVError(LineText(line) + ": " + what + " \"" + lines[cursor] + "\" is not a number");
    ++cursor;
    const size_t remaining = lines.size() - cursor;
    if (static_cast<unsigned long long>(value) > remaining)
      throw EQVError(LineText(line) + ": " + what + " " + std::to_string(value) + " runs past the end of the file (" +
                     std::to_string(remaining) + " lines follow)");
    return static_cast<size_t>(value);
  };
  std::vector<TQVForm> forms;
  std::vector<std::pair<std::string, std::string>> texts;
  {
    const size_t records = count("the number of windows");
    for (size_t r = 0; r < records; ++r) {
      TQVForm form;
      const size_t f = count("the number of form lines");
      form.FirstLine = static_cast<int>(cursor) + 1;
      form.Lines.assign(lines.begin() + static_cast<std::ptrdiff_t>(cursor),
                        lines.begin() + static_cast<std::ptrdiff_t>(cursor + f));
      cursor += f;
      const size_t a = count("the number of action lines");
      std::vector<std::string> actions(lines.begin() + static_cast<std::ptrdiff_t>(cursor),
                                       lines.begin() + static_cast<std::ptrdiff_t>(cursor + a));
      for (std::string& line : actions)
        if (line.empty()) line.push_back(' ');
      form.Actions.Parse(actions, static_cast<int>(cursor) + 1);
      cursor += a;
      cursor += count("the number of extra lines");
      if (!form.Lines.empty()) {
        const std::string& first = form.Lines[0];
        const std::string rest = first.size() > 7 ? first.substr(7) : std::string();
        form.Name = rest.substr(0, rest.find(':'));
      }
      std::string formText;
      for (size_t i = 0; i < form.Lines.size(); ++i) formText += (i ? "\r\n" : "") + form.Lines[i];
      texts.emplace_back(form.Name, std::move(formText));
      forms.push_back(std::move(form));
    }
  }
  forms_ = std::move(forms);
  texts_ = std::move(texts);
}

const TQVForm* TQVForms::FindForm(std::string_view name) const {
  for (const TQVForm& form : forms_)
    if (EqualsIgnoreCase(form.Name, name)) return &form;
  return nullptr;
}

const std::string* TQVForms::FormText(std::string_view name) const {
  for (const auto& [n, text] : texts_)
    if (EqualsIgnoreCase(n, name)) return &text;
  return nullptr;
}

std::string SubstitutePlaceholders(const std::string& text, const TQVCProject& project) {
  const std::pair<std::string_view, const std::string*> kPlaceholders[] = {
      {"<ScreensaverName>", &project.Setting().ProductName},
      {"<CompanyName>", &project.Setting().Publisher},
      {"<Website>", &project.Setting().Website},
  };
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    bool replaced = false;
    if (text[i] == '<') {
      for (const auto& [placeholder, value] : kPlaceholders) {
        if (text.compare(i, placeholder.size(), placeholder) == 0) {
          out += *value;
          i += placeholder.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

std::string SkinFileText(const std::vector<TSkinRecord>& records) {
  auto lines = [](const std::string& text) { return SplitLines(text); };
  std::string out = std::to_string(records.size()) + "\r\n";
  auto put = [&out](const std::string& line) { out += line + "\r\n"; };
  for (const TSkinRecord& r : records) {
    const std::vector<std::string> form = lines(r.formText);
    put(std::to_string(form.size()));
    for (const std::string& l : form) put(l);
    std::vector<std::string> actions = {std::to_string(r.actions.size())};
    for (const auto& [component, a] : r.actions) {
      actions.push_back(component);
      actions.push_back(std::to_string(a.Type));
      actions.push_back(a.Param1);
      actions.push_back(a.Param2);
      actions.push_back(a.Param3);
    }
    put(std::to_string(actions.size()));
    for (const std::string& l : actions) put(l);
    put("1");
    put("Dummy");
  }
  return out;
}

}  // namespace qv
