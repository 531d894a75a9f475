#include "config_ui/FQVConfigWindow.h"

#include <algorithm>
#include <exception>
#include <filesystem>

#include "animation/uProject.h"
#include "common/Error.h"
#include "common/Limits.h"
#include "common/Paths.h"
#include "common/Utf8Path.h"
#include "config_ui/FSettingWindow.h"
#include "config_ui/uMyButton.h"
#include "config_ui/uQVPreview.h"
#include "config_ui/uQVThumbnail2.h"
#include "config_ui/uStdControls.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "graphics/uGraphicUtil.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "project/uIniFile.h"
#include "project/uLongPath.h"
#include "project/uQVProject.h"
#include "project/uUserSettings.h"

namespace qv {

namespace {

// Every component gets the click handler of its window but these.
bool TakesClicks(TSkinClass cls) {
  switch (cls) {
    case TSkinClass::TLabel:
    case TSkinClass::TMyShape:
    case TSkinClass::TPanel:
    case TSkinClass::TMyBevel:
    case TSkinClass::TImage:
    case TSkinClass::TQVPreview:
    case TSkinClass::TBitBtn:
    case TSkinClass::TMyButton: return true;
    default: return false;
  }
}

// Where the wallpaper file goes: beside the screensaver, or in this user's
// own folder when the screensaver's folder cannot be written.
std::string WallpaperFile(const std::string& exePath) {
  const std::string file = ExpandLongPath(exePath) + ".bmp";
  const std::string folder = Utf8FromPath(PathFromUtf8(file).parent_path());
  if (platform::FolderIsWritable(folder)) return file;
  const std::string config = platform::UserConfigFolder();
  if (config.empty()) return file;
  const std::string own = JoinPath(config, "qvsaver");
  if (!platform::CreateFolders(own)) return file;
  return JoinPath(own, Utf8FromPath(PathFromUtf8(file).filename()));
}

}  // namespace

TfmQVCOnfigWindow::TfmQVCOnfigWindow(TConfigServices& services)
    : services_(services), tree_(*this, services.timers) {
  SetBounds(0, 0, kDesignWidth, kDesignHeight);
  SetCaption(kDesignCaption);
}

void TfmQVCOnfigWindow::Load(const TFormObject& description) {
  tree_.Load(description);
  tree_.Arrange();
}

void TfmQVCOnfigWindow::SetCurrent(const TQVForms& skin, TQVCProject& project) {
  skin_ = &skin;
  project_ = &project;
}

bool TfmQVCOnfigWindow::UserSettingsApply() const {
  return qv::UserSettingsApply(services_.exePath, services_.firstArgument);
}

int TfmQVCOnfigWindow::PictureCount() const {
  return project_ ? static_cast<int>(project_->FileList().Count()) : 0;
}

const std::string& TfmQVCOnfigWindow::Picture(int index) const {
  return project_->FileList().Names().at(static_cast<size_t>(index));
}

void TfmQVCOnfigWindow::ReportError(const std::string& text) {
  if (services_.dialogs) services_.dialogs->Error(text);
}

void TfmQVCOnfigWindow::ApplyTags() {
  for (const auto& c : tree_.Components()) {
    if (!c->parent || c->cls == TSkinClass::TTabSheet || c->cls == TSkinClass::TTimer) continue;
    c->control->SetVisible((c->control->Tag() & 1) != 0);
  }
}

void TfmQVCOnfigWindow::FormShow() {
  const bool apply = UserSettingsApply();
  const std::string settings = UserSettingsFiles(services_.exePath).ForReading();
  current_ = 0;
  if (services_.currentPicture) {
    // A window opened from another shows the picture that one shows.
    current_ = *services_.currentPicture;
  } else if (apply) {
    try {
      current_ = ReadSelectedIndex(settings, static_cast<size_t>(PictureCount()));
    } catch (const std::exception&) {
    }
  }
  const int count = PictureCount();
  current_ = count == 0 ? 0 : std::clamp(current_, 0, count - 1);
  // The pictures as the saver shows them: only a picture stretched over the
  // screen without its proportions loses its shape.
  const bool keepShape = project_ && !(project_->Setting().Stretch && !project_->Setting().Proportional);
  TQVThumbnail2::TProjectHeaderReader readHeader;
  if (services_.dialogs) readHeader = AnimationHeaderReader(*services_.dialogs);
  const auto readPicture = AnimationPictureReader();
  // The previews first: a grid selects its picture as it is prepared.
  for (const auto& c : tree_.Components())
    if (auto* preview = c->As<TQVPreview>()) {
      preview->SetProjectPictureReader(readPicture);
      preview->SetKeepShape(keepShape);
    }
  for (const auto& holder : tree_.Components()) {
    TSkinComponent& c = *holder;
    if (!c.parent) continue;  // the window itself
    // A component that cannot be prepared is left as it is.
    try {
      TControl& control = *c.control;
      if (auto* edit = c.As<TEdit>()) edit->SetReadOnly(false);
      auto* button = c.As<TButton>();
      const int modalResult = button ? button->ModalResult() : mrNone;
      if (TakesClicks(c.cls) || modalResult != mrNone) {
        const bool clicks = TakesClicks(c.cls);
        control.OnClick = [this, clicks, modalResult](TControl& sender) {
          if (clicks) ComponentClick(sender);
          if (modalResult != mrNone) Close();
        };
      }
      if (auto* grid = c.As<TQVThumbnail2>()) {
        grid->SetProjectHeaderReader(readHeader);
        grid->SetKeepShape(keepShape);
        grid->SetPictureList(project_ ? project_->FileList().Names() : std::vector<std::string>(),
                             project_ ? project_->FileList().Titles() : std::vector<std::string>());
        if (apply) {
          const std::vector<bool> marks = LoadFavourites(settings, static_cast<size_t>(count));
          for (size_t i = 0; i < marks.size(); ++i) grid->SetMarked(static_cast<int>(i), marks[i]);
        }
        grid->OnSelectItem = [this](TQVThumbnail2&, int index) { SelectPicture(index); };
        const int columns = std::max(grid->ColCount(), 1);
        grid->SelectCell(current_ % columns, current_ / columns);
      }
      if (c.cls != TSkinClass::TTabSheet && c.cls != TSkinClass::TTimer) control.SetVisible((control.Tag() & 1) != 0);
    } catch (const std::exception&) {
    }
  }
  ApplyTags();
  // The previews show the current picture.
  try {
    SelectPicture(current_);
  } catch (const std::exception&) {
  }
}

void TfmQVCOnfigWindow::FormClose() {
  if (!UserSettingsApply()) return;
  // The first step that fails ends the close handling; a file the user made
  // read-only is said so once.
  try {
    const std::string settings = UserSettingsFileToWrite(services_.exePath);
    WriteSelectedIndex(settings, current_);
    for (const auto& c : tree_.Components()) {
      auto* grid = c->As<TQVThumbnail2>();
      if (!grid || !grid->HasPictureList()) continue;
      std::vector<bool> marks(static_cast<size_t>(grid->PictureCount()));
      for (size_t i = 0; i < marks.size(); ++i) marks[i] = grid->Marked(static_cast<int>(i));
      SaveFavourites(settings, marks);
    }
  } catch (const EQVError& e) {
    ReportError(e.what());
  } catch (const std::exception&) {
  }
}

void TfmQVCOnfigWindow::SelectPicture(int index) {
  const int count = PictureCount();
  current_ = count == 0 ? 0 : std::clamp(index, 0, count - 1);
  services_.currentPicture = current_;
  if (count == 0) return;
  for (const auto& c : tree_.Components())
    if (auto* preview = c->As<TQVPreview>()) ShowInPreview(*preview, Picture(current_));
}

void TfmQVCOnfigWindow::ShowInPreview(TQVPreview& preview, const std::string& file) {
  // A picture that cannot be shown is said once, as any load error is.
  if (!preview.LoadPicture(file) && services_.reportedPictures.insert(file).second) ReportError(preview.LastError());
}

void TfmQVCOnfigWindow::Close() {
  if (closeRequested_) return;
  closeRequested_ = true;
  if (onClose) onClose();
}

void TfmQVCOnfigWindow::ComponentClick(TControl& sender) {
  if (!skin_ || !project_ || sender.Name().empty()) return;
  const TQVForm* record = skin_->FindForm(Name());
  if (!record) return;
  const TAction* found = record->Actions.Find(sender.Name());
  if (!found) return;
  TAction action = *found;
  action.Param1 = SubstitutePlaceholders(action.Param1, *project_);
  action.Param2 = SubstitutePlaceholders(action.Param2, *project_);
  action.Param3 = SubstitutePlaceholders(action.Param3, *project_);
  try {
    RunAction(action);
  } catch (const std::exception& e) {
    ReportError(e.what());
  }
}

void TfmQVCOnfigWindow::RunAction(const TAction& action) {
  switch (action.Type) {
    case atOpenUrl: {
      std::string why;
      if (!services_.openDocument) throw EQVError("There is no way to open " + action.Param1 + " here.");
      if (!services_.openDocument(action.Param1, why)) throw EQVError("Cannot open " + action.Param1 + ": " + why);
      return;
    }
    case atShowWindow: {
      std::string why;
      services_.currentPicture = current_;
      if (!ShowSkinWindow(*skin_, *project_, action.Param1, services_, &why)) throw EQVError(why);
      // What was chosen in the other window shows here too.
      if (services_.currentPicture && *services_.currentPicture != current_) {
        SelectPicture(*services_.currentPicture);
        for (const auto& c : tree_.Components())
          if (auto* grid = c->As<TQVThumbnail2>(); grid && grid->ColCount() > 0)
            grid->SelectCell(current_ % grid->ColCount(), current_ / grid->ColCount());
      }
      return;
    }
    case atNextPicture: return SelectPicture(current_ + 1);
    case atPreviousPicture: return SelectPicture(current_ - 1);
    case atPreviewSelectedFile:
      if (PictureCount() > 0 && services_.showSinglePicture) services_.showSinglePicture(*project_, Picture(current_));
      return;
    case atOpenSetting: return OpenSettings();
    case atCloseWindow: return Close();
    case atSetWallpaper: return SetAsWallpaper();
    default: return;  // types the engine does not know do nothing
  }
}

void TfmQVCOnfigWindow::OpenSettings() {
  if (!services_.dialogs || !services_.runSettingsDialog) return;
  const bool apply = UserSettingsApply();
  std::vector<std::string> music;
  TfmSettingWindow dialog(music, *services_.dialogs);
  dialog.SetValues(apply ? ReadUserSettings(UserSettingsFiles(services_.exePath).ForReading(), *project_)
                         : UserSettingsFromProject(*project_),
                   apply);
  if (!services_.runSettingsDialog(dialog) || !apply) return;
  // The project in memory stays as it is; run mode reads the file.
  WriteUserSettings(UserSettingsFileToWrite(services_.exePath), dialog.Values());
}

void TfmQVCOnfigWindow::SetAsWallpaper() {
  if (!services_.dialogs || !services_.dialogs->Confirm(kWallpaperQuestion)) return;
  if (PictureCount() == 0) return;
  const std::string& file = Picture(current_);
  TBitmap32 bitmap;
  if (UpperExtension(FileNamePart(file)) == ".QVP") {
    TProject animation;
    if (!animation.Load(file)) throw EQVError(FileNamePart(file) + ": " + animation.LoadError());
    bitmap = animation.Picture();
  } else {
    bitmap = DecodePicture(platform::ReadWholeFile(file, kMaxPictureFileBytes), file).bitmap;
  }
  const std::string target = WallpaperFile(services_.exePath);
  std::string how;
  const bool set = SetWallpaper(bitmap, target, [&](const std::string& written) {
    return services_.setDesktopWallpaper && services_.setDesktopWallpaper(written, how);
  });
  if (set) {
    services_.dialogs->Information(how.empty() ? "The picture is now the desktop's wallpaper." : how);
  } else {
    services_.dialogs->Information("The picture was written to " + target + ".\r\n" +
                                   (how.empty() ? "This desktop offers no way to set the wallpaper from here." : how));
  }
}

TQVThumbnail2::TProjectHeaderReader AnimationHeaderReader(platform::IDialogs& dialogs) {
  return [&dialogs](const std::string& file, TBitmap32& preview, std::string& title) {
    TProject animation;
    if (!animation.LoadHeader(file, dialogs)) return false;
    preview = animation.Preview();
    title = animation.Title();
    return true;
  };
}

TQVPreview::TProjectPictureReader AnimationPictureReader() {
  return [](const std::string& file, TBitmap32& picture) {
    TProject animation;
    if (!animation.Load(file)) return false;
    picture = animation.Picture();
    return true;
  };
}

bool ShowSkinWindow(const TQVForms& skin, TQVCProject& project, const std::string& name, TConfigServices& services,
                    std::string* why) {
  auto fail = [why](const std::string& reason) {
    if (why) *why = reason;
    return false;
  };
  const bool apply = qv::UserSettingsApply(services.exePath, services.firstArgument);
  if (apply && services.setApplicationTitle) services.setApplicationTitle(project.Setting().ProductName);
  const size_t b = name.find_first_not_of(" \t"), e = name.find_last_not_of(" \t");
  const std::string trimmed = b == std::string::npos ? std::string() : name.substr(b, e - b + 1);
  const TQVForm* form = skin.FindForm(trimmed);
  if (!form) return fail("the skin has no window named \"" + trimmed + "\"");
  if (services.openWindows >= kMaxOpenWindows)
    return fail("the window \"" + trimmed + "\" would open more than " + std::to_string(kMaxOpenWindows) +
                " windows one inside the other");

  std::vector<int> lineNumbers;
  const std::string text = form->PrepareFormText(&lineNumbers);
  TfmQVCOnfigWindow window(services);
  try {
    window.Load(ReadFormText(text, &lineNumbers));
  } catch (const EQVError& error) {
    return fail("the skin's window \"" + trimmed + "\" cannot be built: " + error.what());
  }

  // Placeholders in the window's caption and in the texts of its labels,
  // buttons and memos, descending into panels only.
  window.SetCaption(SubstitutePlaceholders(window.Caption(), project));
  std::function<void(TSkinComponent&)> substitute = [&](TSkinComponent& parent) {
    for (TSkinComponent* c : parent.children) {
      if (auto* label = c->As<TLabel>()) label->SetCaption(SubstitutePlaceholders(label->Caption(), project));
      if (auto* bit = c->As<TBitBtn>()) bit->SetCaption(SubstitutePlaceholders(bit->Caption(), project));
      if (auto* button = c->As<TMyButton>()) button->SetCaption(SubstitutePlaceholders(button->Caption(), project));
      if (auto* memo = c->As<TMyMemo>()) memo->SetText(SubstitutePlaceholders(memo->Text(), project));
      if (c->cls == TSkinClass::TPanel) substitute(*c);
    }
  };
  substitute(window.Components().Root());
  window.SetCurrent(skin, project);

  if (apply) {
    // The user's choices are folded into the project the window shows.
    const std::string file = UserSettingsFiles(services.exePath).ForReading();
    const TUserSettings u = ReadUserSettings(file, project);
    TQVCSetting& s = project.Setting();
    s.ShowImageMode = u.ImageMode;
    s.Duration = u.Duration;
    s.Sound = u.Sound;
    s.Music = u.Music;
    s.Transition = u.Transition;
    // -1 keeps the project's own value (a speed off the table, a fitting the
    // list cannot name).
    if (u.Speed >= 0 && static_cast<size_t>(u.Speed) < kSpeedTable.size())
      s.Speed = kSpeedTable[static_cast<size_t>(u.Speed)];
    if (u.ImageSize != -1) {
      s.Stretch = u.ImageSize > 0;
      s.Proportional = u.ImageSize == 2;
    }
  }

  // The first window starts from the user's Index; the ones it opens from its picture.
  if (services.openWindows == 0) services.currentPicture.reset();
  ++services.openWindows;
  struct TLeave {
    int& count;
    ~TLeave() { --count; }
  } leave{services.openWindows};
  if (services.runWindow) services.runWindow(window);
  return true;
}

}  // namespace qv
