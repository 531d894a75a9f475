#include "platform/fltk/FltkDialogs.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cctype>
#include <filesystem>
#include <vector>

#include "platform/LastResort.h"
#include "platform/System.h"
#include "common/Utf8Path.h"

#if defined(_WIN32)
// FLTK's Windows headers declare this only to FLTK's own sources; the
// library has it on every system. The one declaration the compiler needs.
void fl_open_display();
#endif

namespace qv::platform {

namespace {

// The texts carry Windows line ends.
std::string Lines(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

// The box takes the keyboard when it shows, so Return answers it even where
// no window manager hands out the focus (the saver's full-screen window had it).
void TakeKeyboard(Fl_Window& window) {
#if !defined(_WIN32) && !defined(__APPLE__)
  Fl::flush();
  XSetInputFocus(fl_display, fl_xid(&window), RevertToPointerRoot, CurrentTime);
#else
  (void)window;
#endif
}

// A small modal box: an icon, the text and one row of buttons, the first of
// which Return presses. It closes on a button, on Escape or the window's
// close box (giving -1), and at once when the process is asked to end, so a
// signal never waits on a message the user has not answered. Returns the
// index of the button pressed.
int RunBox(const std::string& title, const std::string& text, const char* icon, Fl_Color iconColor,
           const std::vector<const char*>& buttons) {
  const std::string message = Lines(text);
  OpenFltkDisplay();
  fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
  int tw = 0, th = 0;
  fl_measure(message.c_str(), tw, th, 0);
  const int bw = 90, bh = 26, gap = 10;
  const int textW = std::max(tw, static_cast<int>(buttons.size()) * (bw + gap) - 60);
  const int w = 60 + textW + 20, h = std::max(th, 40) + 20 + bh + 20;
  Fl_Window window(w, h);
  window.copy_label(title.c_str());
  Fl_Box sign(10, 10, 40, 40, icon);
  sign.box(FL_THIN_UP_BOX);
  sign.labelfont(FL_TIMES_BOLD);
  sign.labelsize(30);
  sign.labelcolor(iconColor);
  Fl_Box label(60, 10, textW, std::max(th, 40), nullptr);
  label.copy_label(message.c_str());
  label.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
  int pressed = -1;
  std::vector<Fl_Button*> row;
  for (size_t i = 0; i < buttons.size(); ++i) {
    const int x = w - 10 - static_cast<int>(buttons.size() - i) * (bw + gap) + gap;
    Fl_Button* b = i == 0 ? new Fl_Return_Button(x, h - bh - 10, bw, bh, buttons[i])
                          : new Fl_Button(x, h - bh - 10, bw, bh, buttons[i]);
    b->callback(
        [](Fl_Widget* button, void* data) {
          auto* state = static_cast<std::pair<int*, int>*>(data);
          *state->first = state->second;
          button->window()->hide();
        },
        new std::pair<int*, int>(&pressed, static_cast<int>(i)));
    row.push_back(b);
  }
  window.end();
  window.set_modal();
  window.position((Fl::w() - w) / 2, (Fl::h() - h) / 2);
  window.show();
  TakeKeyboard(window);
  while (window.shown()) {
    Fl::wait(0.1);
    if (EndSignalReceived()) window.hide();
  }
  for (Fl_Button* b : row) delete static_cast<std::pair<int*, int>*>(b->user_data());
  return pressed;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// "*.mp3;*.wav" as "*.{mp3,wav,MP3,WAV}"; other patterns as "{a,b}".
std::string Patterns(const std::string& list) {
  std::vector<std::string> patterns;
  for (const std::string& p : Split(list, ';'))
    if (!p.empty()) patterns.push_back(p);
  bool extensionsOnly = !patterns.empty();
  for (const std::string& p : patterns)
    if (p.size() < 3 || p.compare(0, 2, "*.") != 0 || p.find_first_of("*?[]{},", 2) != std::string::npos)
      extensionsOnly = false;
  std::string out;
  if (extensionsOnly) {
    std::vector<std::string> exts;
    for (const std::string& p : patterns) exts.push_back(p.substr(2));
    for (const std::string& p : patterns)
      if (Upper(p.substr(2)) != p.substr(2)) exts.push_back(Upper(p.substr(2)));
    for (const std::string& e : exts) out += (out.empty() ? "" : ",") + e;
    return "*.{" + out + "}";
  }
  if (patterns.size() == 1) return patterns[0];
  for (const std::string& p : patterns) out += (out.empty() ? "" : ",") + p;
  return "{" + out + "}";
}

// While a chooser runs its own loop, a signal to end closes FLTK's windows,
// the chooser's among them.
void CloseOnEndSignal(void*) {
  if (!EndSignalReceived()) return Fl::repeat_timeout(0.1, CloseOnEndSignal);
  while (Fl::first_window()) Fl::first_window()->hide();
}

}  // namespace

std::string FltkFilter(const std::string& filter) {
  const std::vector<std::string> parts = Split(filter, '|');
  std::string out;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (!out.empty()) out += "\n";
    out += parts[i] + "\t" + Patterns(parts[i + 1]);
  }
  return out;
}

void TFltkDialogs::Information(const std::string& text) { RunBox(title_, text, "i", FL_BLUE, {"OK"}); }

void TFltkDialogs::Error(const std::string& text) { RunBox(title_, text, "!", FL_RED, {"OK"}); }

// Yes first, so Return answers Yes; Escape and the close box answer No.
bool TFltkDialogs::Confirm(const std::string& text) { return RunBox(title_, text, "?", FL_BLUE, {"Yes", "No"}) == 0; }

std::optional<std::string> TFltkDialogs::OpenFile(const TOpenFileOptions& options) {
  // The read-only box and resizing are the chooser's own business on Linux.
  for (;;) {
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_FILE);
    chooser.title(options.title.empty() ? "Open" : options.title.c_str());
    const std::string filter = FltkFilter(options.filter);
    if (!filter.empty()) chooser.filter(filter.c_str());
    Fl::add_timeout(0.1, CloseOnEndSignal);
    const int shown = chooser.show();
    Fl::remove_timeout(CloseOnEndSignal);
    if (shown != 0 || EndSignalReceived() || !chooser.filename() || !*chooser.filename()) return std::nullopt;
    const std::string file = chooser.filename();
    std::error_code ec;
    if (!options.existingOnly || std::filesystem::is_regular_file(PathFromUtf8(file), ec)) return file;
    Error(file + "\r\nFile not found.\r\nPlease verify the correct file name was given.");
  }
}

namespace {

const char* fatalProgram = "qvsaver";

void OnFltkFatal(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  const std::string what = std::string(text) == "X I/O error" ? "the connection to the display was lost" : text;
  EndAtOnce(std::string(fatalProgram) + ": " + what, 1);
}

}  // namespace

void OpenFltkDisplay() { fl_open_display(); }

void CatchFltkFatal(const char* program) {
  fatalProgram = program;
  Fl::fatal = OnFltkFatal;
}

}  // namespace qv::platform
