#include "XScreensaverFile.h"

#include <vector>

namespace qvtool {

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size() - 1;
    lines.push_back(text.substr(start, end - start + 1));
    start = end + 1;
  }
  return lines;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line;
  return text;
}

bool Continues(const std::string& line) {
  size_t end = line.size();
  if (end && line[end - 1] == '\n') --end;
  return end && line[end - 1] == '\\';
}

// The list's lines: from the "programs:" line through the last line that the
// one before continues. [first, last] inclusive; first = -1 without a list.
void FindList(const std::vector<std::string>& lines, long& first, long& last) {
  first = last = -1;
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].rfind("programs:", 0) == 0) {
      first = last = static_cast<long>(i);
      while (Continues(lines[static_cast<size_t>(last)]) && last + 1 < static_cast<long>(lines.size())) ++last;
      return;
    }
}

bool Runs(const std::string& line, const std::string& command) { return line.find(command) != std::string::npos; }

// The entries the list holds before line `line`: its lines joined as the
// resource reader joins them (a backslash before the line end continues the
// value), cut at each "\n", blank entries left out.
int EntriesBefore(const std::vector<std::string>& lines, long first, long line) {
  std::string value;
  for (long i = first; i < line; ++i) {
    std::string text = lines[static_cast<size_t>(i)];
    if (i == first) text.erase(0, 9);  // "programs:"
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\\') text.pop_back();
    value += text;
  }
  int count = 0;
  size_t start = 0;
  for (size_t cut = value.find("\\n"); cut != std::string::npos; cut = value.find("\\n", start)) {
    if (value.find_first_not_of(" \t", start) < cut) ++count;
    start = cut + 2;
  }
  return count;
}

// The "selected:" line, or -1.
long SelectedLine(const std::vector<std::string>& lines) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].rfind("selected:", 0) == 0) return static_cast<long>(i);
  return -1;
}

int SelectedValue(const std::string& line) {
  size_t at = line.find_first_not_of(" \t", 9);
  if (at == std::string::npos) return -1;
  const bool negative = line[at] == '-';
  if (negative) ++at;
  long value = 0;
  bool digits = false;
  for (; at < line.size() && line[at] >= '0' && line[at] <= '9' && value < 1000000; ++at, digits = true)
    value = value * 10 + (line[at] - '0');
  return digits && !negative ? static_cast<int>(value) : -1;
}

// The "selected:" line with another number, its spacing kept.
void SetSelected(std::vector<std::string>& lines, int value) {
  const long at = SelectedLine(lines);
  if (at < 0) return;
  std::string& line = lines[static_cast<size_t>(at)];
  const size_t start = line.find_first_not_of(" \t", 9);
  const bool newline = !line.empty() && line.back() == '\n';
  line = line.substr(0, start == std::string::npos ? line.size() - (newline ? 1 : 0) : start) + std::to_string(value) +
         (newline ? "\n" : "");
}

}  // namespace

std::string ProgramLine(const std::string& prettyName, const std::string& command) {
  std::string line = "  ";
  if (!prettyName.empty()) {
    std::string name;
    for (char c : prettyName)
      if (c != '"' && c != '\\' && c != '\n' && c != '\r') name += c;
    line += "\"" + name + "\"  ";
  }
  return line + command + " \\n\\\n";
}

bool HasProgram(const std::string& file, const std::string& command) {
  const std::vector<std::string> lines = Lines(file);
  long first, last;
  FindList(lines, first, last);
  for (long i = first + 1; first >= 0 && i <= last; ++i)
    if (Runs(lines[static_cast<size_t>(i)], command)) return true;
  return false;
}

int ProgramIndex(const std::string& file, const std::string& command) {
  const std::vector<std::string> lines = Lines(file);
  long first, last;
  FindList(lines, first, last);
  for (long i = first + 1; first >= 0 && i <= last; ++i)
    if (Runs(lines[static_cast<size_t>(i)], command)) return EntriesBefore(lines, first, i);
  return -1;
}

int SelectedIndex(const std::string& file) {
  const std::vector<std::string> lines = Lines(file);
  const long at = SelectedLine(lines);
  return at < 0 ? -1 : SelectedValue(lines[static_cast<size_t>(at)]);
}

std::string AddProgram(const std::string& file, const std::string& line, const std::string& command) {
  if (HasProgram(file, command)) return file;
  std::vector<std::string> lines = Lines(file);
  // Ours comes first: the user's chosen entry moves down by one.
  if (const int selected = SelectedIndex(file); selected >= 0) SetSelected(lines, selected + 1);
  long first, last;
  FindList(lines, first, last);
  if (first < 0) {
    std::string text = file;
    if (!text.empty() && text.back() != '\n') text += '\n';
    return text + "programs:\t\\\n" + line + "\n";
  }
  if (!Continues(lines[static_cast<size_t>(first)])) {
    // A list on one line: it goes on the next line, after ours.
    std::string& head = lines[static_cast<size_t>(first)];
    const bool newline = !head.empty() && head.back() == '\n';
    std::string rest = head.substr(9, head.size() - 9 - (newline ? 1 : 0));
    head = "programs:\t\\\n" + line + "\t" + rest + (newline ? "\n" : "");
    return Join(lines);
  }
  lines.insert(lines.begin() + first + 1, line);
  return Join(lines);
}

std::string RemoveProgram(const std::string& file, const std::string& command) {
  std::vector<std::string> lines = Lines(file);
  long first, last;
  FindList(lines, first, last);
  if (first < 0) return file;
  int selected = SelectedIndex(file);
  const int chosen = selected;
  for (long i = last; i > first; --i)
    if (Runs(lines[static_cast<size_t>(i)], command) && Continues(lines[static_cast<size_t>(i)])) {
      const int index = EntriesBefore(lines, first, i);
      if (chosen == index) selected = -1;
      else if (chosen > index && selected >= 0) --selected;
      lines.erase(lines.begin() + i);
    }
  if (selected != chosen) SetSelected(lines, selected);
  return Join(lines);
}

std::string NewFileFromDefaults(const std::string& appDefaults) {
  std::string text = "# XScreenSaver preferences; written by qvtool install from the system's list.\n";
  std::vector<std::string> lines = Lines(appDefaults);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("*programs:", 0) != 0) continue;
    text += lines[i].substr(1);
    while (Continues(lines[i]) && i + 1 < lines.size()) text += lines[++i];
    if (text.back() != '\n') text += '\n';
    return text;
  }
  return text + "programs:\t\\\n\n";
}

}  // namespace qvtool
