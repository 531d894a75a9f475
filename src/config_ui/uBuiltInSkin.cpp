// The built-in configuration window: a skin of one window, "MainWindow",
// written in code from standard controls, so it runs through the same
// reader, window and actions as any skin.
#include "config_ui/FQVConfigWindow.h"
#include "config_ui/uFormText.h"

namespace qv {

namespace {

TFormObject Control(const char* cls, const char* name, int left, int top, int width, int height) {
  TFormObject o;
  o.className = cls;
  o.name = name;
  o.Set("Left", TFormValue::Int(left))
      .Set("Top", TFormValue::Int(top))
      .Set("Width", TFormValue::Int(width))
      .Set("Height", TFormValue::Int(height))
      .Set("Tag", TFormValue::Int(1));  // shown: bit 0 of the tag
  return o;
}

TFormObject Button(const char* name, const char* caption, int left, int top, const char* hint) {
  TFormObject b = Control("TBitBtn", name, left, top, 94, 28);
  b.Set("Caption", TFormValue::Str(caption))
      .Set("Hint", TFormValue::Str(hint))
      .Set("ShowHint", TFormValue::Ident("True"));
  return b;
}

TFormObject Label(const char* name, const char* caption, int top, int height) {
  TFormObject l = Control("TLabel", name, 282, top, 296, height);
  l.Set("Caption", TFormValue::Str(caption)).Set("Transparent", TFormValue::Ident("True"));
  return l;
}

TQVForms MakeBuiltInSkin() {
  TFormObject form;
  form.name = kMainWindow;
  form.className = "TfmQVCOnfigWindow";
  form.Set("Caption", TFormValue::Str("<ScreensaverName>"))
      .Set("ClientWidth", TFormValue::Int(588))
      .Set("ClientHeight", TFormValue::Int(478))
      .Set("Color", TFormValue::Ident("clBtnFace"))
      .Set("ShowButtons", TFormValue::Ident("True"))
      .Set("Font.Name", TFormValue::Str("Tahoma"))
      .Set("Font.Height", TFormValue::Int(-11));

  TFormObject grid = Control("TQVThumbnail2", "Pictures", 8, 8, 262, 462);
  grid.Set("PictureWidth", TFormValue::Int(80))
      .Set("PictureHeight", TFormValue::Int(60))
      .Set("ShowCheckBox", TFormValue::Ident("True"))
      .Set("ShowTitle", TFormValue::Ident("True"))
      .Set("Color", TFormValue::Ident("clWindow"));
  form.Add(grid);
  form.Add(Control("TQVPreview", "Preview", 282, 8, 296, 222));
  form.Add(Button("PreviousButton", "< &Previous", 282, 238, "Show the previous picture"));
  form.Add(Button("NextButton", "&Next >", 383, 238, "Show the next picture"));
  form.Add(Button("FullScreenButton", "&Full screen", 484, 238, "Show the picture on the whole screen"));

  TFormObject product = Label("ProductLabel", "<ScreensaverName>", 278, 20);
  product.Set("Font.Height", TFormValue::Int(-16)).Set("Font.Style", TFormValue::SetOf({"fsBold"}));
  form.Add(product);
  form.Add(Label("CompanyLabel", "<CompanyName>", 302, 16));
  TFormObject website = Label("WebsiteLabel", "<Website>", 320, 16);
  website.Set("Cursor", TFormValue::Ident("crHandPoint"))
      .Set("Font.Color", TFormValue::Ident("clBlue"))
      .Set("Font.Style", TFormValue::SetOf({"fsUnderline"}));
  form.Add(website);
  TFormObject help = Label("HelpLabel",
                           "Check the pictures to show when the settings ask for favourites; "
                           "click one to preview it.",
                           350, 48);
  help.Set("WordWrap", TFormValue::Ident("True"));
  form.Add(help);

  form.Add(Button("SettingsButton", "&Settings...", 282, 442, "Change how the screensaver plays"));
  form.Add(Button("WallpaperButton", "&Wallpaper", 383, 442, "Make the picture the desktop's wallpaper"));
  TFormObject close = Button("CloseButton", "&Close", 484, 442, "Close this window");
  close.Set("Cancel", TFormValue::Ident("True"));
  form.Add(close);

  auto action = [](int type, const char* param) {
    TAction a;
    a.Type = type;
    a.Param1 = param;
    return a;
  };
  TSkinRecord record;
  record.formText = WriteFormText(form);
  record.actions = {
      {"PreviousButton", action(atPreviousPicture, "")}, {"NextButton", action(atNextPicture, "")},
      {"FullScreenButton", action(atPreviewSelectedFile, "")}, {"SettingsButton", action(atOpenSetting, "")},
      {"WallpaperButton", action(atSetWallpaper, "")}, {"CloseButton", action(atCloseWindow, "")},
      {"WebsiteLabel", action(atOpenUrl, "<Website>")},
  };
  TQVForms skin;
  skin.LoadSkinText(SkinFileText({record}));
  return skin;
}

}  // namespace

const TQVForms& BuiltInSkin() {
  static const TQVForms skin = MakeBuiltInSkin();
  return skin;
}

}  // namespace qv
