// The skin: every window description the project carries ("QVGUI.qvu"),
// each with its click actions, loaded once; and the text steps that make a
// description ready to build (PrepareFormText, SubstitutePlaceholders).
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv {

class TQVCProject;

// Click action types, by the names the creator gives them.
enum TActionType : int {
  atOpenUrl = 0,
  atShowWindow = 1,
  atNextPicture = 2,
  atPreviousPicture = 3,
  atPreviewSelectedFile = 4,
  atOpenSetting = 5,
  atCloseWindow = 6,
  atSetWallpaper = 9,
};

struct TAction {
  std::string Param1, Param2, Param3;
  int Type = 0;
};

// Component name to action, in the order of the skin.
class TActionList {
 public:
  // Line 0 holds the count C, action k the lines 5k+1 to 5k+5: component,
  // type, Param1, Param2, Param3. Throws EQVError naming the line of the
  // file (firstLine is line 0's) for a count or type that is no number or
  // a count past the end of the text. Empty text holds no actions.
  void Parse(const std::vector<std::string>& lines, int firstLine);
  // The first action of that component (names compared in any case).
  const TAction* Find(std::string_view component) const;
  const std::vector<std::pair<std::string, TAction>>& Entries() const { return entries_; }

 private:
  std::vector<std::pair<std::string, TAction>> entries_;
};

class TQVForm {
 public:
  std::string Name;  // the first line after "object ", up to the first ":"
  std::vector<std::string> Lines;
  TActionList Actions;
  int FirstLine = 0;  // the file line of Lines[0]

  // A copy of Lines ready to build: line 0 becomes "object <Name>:
  // TfmQVConfigWindow"; event bindings ("On" followed by a character that
  // upper-casing leaves alone), BorderIcons, BorderStyle and FormStyle lines
  // and the first Visible line are removed, at any depth. Lines are joined
  // by CR LF. lineNumbers receives the file line of every kept line.
  std::string PrepareFormText(std::vector<int>* lineNumbers = nullptr) const;
};

class TQVForms {
 public:
  // Discards what was loaded, then loads every record of the file. Throws
  // EQVError ("line N: ...") for a file that cannot be read or is not a
  // skin; nothing stays loaded then.
  void LoadSkin(const std::string& fileName);
  void LoadSkinText(std::string_view text);

  // The first record of that name (any case), or nullptr.
  const TQVForm* FindForm(std::string_view name) const;
  const std::vector<TQVForm>& Forms() const { return forms_; }
  // The form text of a record as the file has it.
  const std::string* FormText(std::string_view name) const;

 private:
  std::vector<TQVForm> forms_;
  std::vector<std::pair<std::string, std::string>> texts_;
};

// "<ScreensaverName>", "<CompanyName>" and "<Website>" replaced by the
// project's ProductName, Publisher and Website, every occurrence, in one
// pass (a replacement is not looked at again).
std::string SubstitutePlaceholders(const std::string& text, const TQVCProject& project);

// Writing a skin, for our tools and tests: each window's form text and its
// actions (component, action) make one record.
struct TSkinRecord {
  std::string formText;
  std::vector<std::pair<std::string, TAction>> actions;
};
std::string SkinFileText(const std::vector<TSkinRecord>& records);

}  // namespace qv
