// qvtool: the companion for people who make, test and enjoy screensavers.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Commands.h"
#include "app/ProgramStart.h"
#include "common/Error.h"
#include "platform/System.h"

namespace {

const char kUsage[] =
    "usage: qvtool COMMAND [ARGS]\n"
    "  pack --engine ENGINE --out OUT [--settings FILE.ini] [--ui SKIN.qvu] [--preview PICTURE.jpg]\n"
    "       [--music FILE]... [--extra FILE]... [--four-blocks] PICTURE...\n"
    "                      write a screensaver: ENGINE followed by a project overlay\n"
    "  info FILE           print the project carried by FILE as JSON\n"
    "  play FILE [/C | --root | --window-id ID]\n"
    "                      run the project of FILE (any file with an overlay) full-screen,\n"
    "                      in a screensaver daemon's window, or (/C) open its configuration window\n"
    "  install FILE.scr [--dry-run]\n"
    "                      make FILE this user's screensaver for xscreensaver and XSecureLock\n"
    "  install --system FILE.scr [--name NAME] [--root DIR] [--dry-run]\n"
    "                      install FILE for every user, where every daemon finds it (xfce4-screensaver\n"
    "                      and mate-screensaver run only these); as root\n"
    "  uninstall [--system] NAME [--dry-run]\n"
    "                      take out exactly what install put in\n"
    "  deb FILE.scr [--out DIR] [--name NAME] [--version VERSION] [--maintainer \"NAME <EMAIL>\"]\n"
    "                      a Debian package of FILE that installs it as --system does\n"
    "  watch FILE [--after TIME] | --autostart FILE [--after TIME] | --no-autostart\n"
    "                      start FILE's saver when the session has been idle for TIME (default 10m),\n"
    "                      or start that watch with every session (Linux)\n"
    "  render FILE --size WxH --seconds S --out DIR [--every K] [--seed N]\n"
    "                      run it headless on simulated time, writing frames as BMP files\n"
    "  demo --engine ENGINE --out OUT [--sources DIR]\n"
    "                      build the demo screensaver from pictures drawn by code\n"
    "                      (--sources keeps the pictures, music and settings it packs in DIR)\n"
    "  effect N --percent P --old OLD.bmp --new NEW.bmp --out OUT.bmp [--seed S]\n"
    "                      render one frame of transition effect N (1..169)\n"
    "  gallery --size WxH --out DIR [--old A.bmp --new B.bmp]\n"
    "                      contact sheets of every effect at 0, 25, 50, 75, 100 percent\n"
    "  ui-sample FILE [--screenshot OUT.bmp] [--dialog-screenshot OUT.bmp]\n"
    "                      every skinned control in one window, filled from FILE's project,\n"
    "                      and the settings dialog (its OK prints the values, writes nothing)\n"
    "  qvp info FILE.qvp   print the animated picture FILE as JSON\n"
    "  qvp make --picture P.jpg --mask M.bmp [--preview V.jpg] [--title T] [--comment C]\n"
    "           [--areas AREAS.ini] [--weather WEATHER.ini] [--sound NAME,MODE,A,B]...\n"
    "           [--objects OBJECTS.ini] [--build BUILD.ini] --out X.qvp\n"
    "                      write an animated picture\n";

}  // namespace

int main(int argc, char** argv) {
  // Every command ends through its normal path, so whatever it extracted is
  // removed.
  qv::app::StartProgram("qvtool");
  // UTF-8 on every system (Windows hands argv over in the ANSI code page).
  const std::vector<std::string> all = qv::platform::CommandLineArguments(argc, argv);
  if (all.size() < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string command = all[1];
  qvtool::Args args(all.begin() + 2, all.end());
  try {
    if (command == "pack") return qvtool::Pack(args);
    if (command == "info") return qvtool::Info(args);
    if (command == "demo") return qvtool::Demo(args);
    if (command == "effect") return qvtool::Effect(args);
    if (command == "gallery") return qvtool::Gallery(args);
    if (command == "play") return qvtool::Play(args);
    if (command == "render") return qvtool::Render(args);
    if (command == "install") return qvtool::Install(args);
    if (command == "uninstall") return qvtool::Uninstall(args);
    if (command == "deb") return qvtool::Deb(args);
    if (command == "ui-sample") return qvtool::UiSample(args);
    if (command == "qvp") return qvtool::Qvp(args);
    if (command == "watch") return qvtool::Watch(args);
    if (command == "--help" || command == "help" || command == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    std::fprintf(stderr, "qvtool: unknown command \"%s\"\n%s", command.c_str(), kUsage);
    return 2;
  } catch (const qvtool::HelpAsked& help) {
    std::printf("%s\n", help.usage.c_str());
    return 0;
  } catch (const qvtool::UsageError& e) {
    std::fprintf(stderr, "qvtool %s: %s\n", command.c_str(), e.message.c_str());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qvtool %s: %s\n", command.c_str(), e.what());
    return 2;
  }
}
