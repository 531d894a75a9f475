// qvtool watch end to end: on an X server of the test's own (the X server's
// idle time, org.freedesktop.ScreenSaver inhibitions on a private session
// bus), on a headless sway (the KDE idle protocol, the saver drawn through
// SDL's Wayland driver), and under a stand-in of GNOME's idle monitor.
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "support/Run.h"
#include "support/Spawn.h"
#include "support/TempDir.h"
#include "support/Xlib.h"

using qvtest::Quote;
using qvtest::ReadFile;
using qvtest::RunCommand;
using qvtest::WriteFile;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kTool = QV_QVTOOL;
constexpr uint32_t kRed = 0xFF0000;
// How long a saver may take to show, or the watch to say something, on a
// busy machine (the sanitized build, other tests beside): only a failing
// test waits that long.
constexpr int kPatienceMs = 20000;

long MsSince(Clock::time_point t) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

bool WaitUntil(const std::function<bool()>& done, int ms, const std::function<void()>& meanwhile = {}) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < end) {
    if (done()) return true;
    if (meanwhile) meanwhile();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

// The processes a process started, as the kernel lists them.
std::vector<pid_t> Children(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
  std::vector<pid_t> children;
  for (pid_t child; in >> child;) children.push_back(child);
  return children;
}

// A program the test needs beside the watch (an X server, a bus, a
// compositor), stopped with SIGTERM at the end; its own complaints (a busy
// display number tried, a limit it may not raise) stay out of the log.
class Helper {
 public:
  ~Helper() {
    if (process_ && process_->Running()) {
      ::kill(process_->pid(), SIGTERM);
      process_->Wait(3000);
    }
  }
  void Start(std::vector<std::string> argv) {
    argv.insert(argv.begin(), {"/bin/sh", "-c", "exec \"$@\" 2>/dev/null", "sh"});
    process_ = std::make_unique<qvtest::Process>(argv, std::vector<std::string>{});
  }
  // Starts a program that writes what the test needs (a display number, a
  // bus address) as one line to the descriptor "{fd}" in its arguments.
  std::string StartForLine(std::vector<std::string> argv) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    for (std::string& a : argv)
      if (const size_t at = a.find("{fd}"); at != std::string::npos) a.replace(at, 4, std::to_string(fds[1]));
    Start(argv);
    ::close(fds[1]);
    std::string line;
    char c;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(fds[0]);
    return line;
  }
  bool Running() { return process_ && process_->Running(); }

 private:
  std::unique_ptr<qvtest::Process> process_;
};

bool Exists(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno != ESRCH); }

// A red picture as a screensaver, and what the watch is run with.
class WatchTest : public ::testing::Test {
 protected:
  qvtest::TempDir dir, tmp, runtime;

  void SetUp() override {
    qv::TBitmap32 red(320, 240);
    red.Clear(0xFF000000u | kRed);
    qv::SaveBMP32(red, dir.file("red.bmp"));
    WriteFile(dir.file("s.ini"), "[Default]\r\nProportional=0\r\nTransition=0\r\nMusic=0\r\nSound=0\r\n");
    auto packed = RunCommand(kTool + " pack --engine " + Quote(QV_QVSAVER) + " --out " + Quote(dir.file("Red.scr")) +
                                 " --settings " + Quote(dir.file("s.ini")) + " " + Quote(dir.file("red.bmp")),
                             dir);
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
  }

  // qvtool watch with its stderr in a file; `keep` names the variables of
  // this process's session it may see, all others of DISPLAY,
  // WAYLAND_DISPLAY and DBUS_SESSION_BUS_ADDRESS are taken away.
  std::unique_ptr<qvtest::Process> StartWatch(const std::vector<std::string>& env, const std::string& after = "3s") {
    std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$@\" 2>\"$0\"", dir.file("watch.err"), "/usr/bin/env"};
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "SDL_VIDEODRIVER"}) {
      bool given = false;
      for (const std::string& e : env) given = given || e.rfind(std::string(name) + "=", 0) == 0;
      if (!given) argv.insert(argv.end(), {"-u", name});
    }
    for (const std::string& e : env) argv.push_back(e);
    argv.insert(argv.end(), {"TMPDIR=" + tmp.path(), "XDG_RUNTIME_DIR=" + runtime.path(), "SDL_AUDIODRIVER=dummy",
                             "ASAN_OPTIONS=detect_leaks=0", kTool,
                             "watch", dir.file("Red.scr"), "--after", after});
    return std::make_unique<qvtest::Process>(argv, std::vector<std::string>{});
  }
  std::string Err() { return ReadFile(dir.file("watch.err")); }

  // The watch ends on SIGTERM with the saver it started, files and all.
  void EndsWithItsSaver(qvtest::Process& watch, pid_t saver) {
    const auto sent = Clock::now();
    ::kill(watch.pid(), SIGTERM);
    EXPECT_TRUE(watch.Wait(5000)) << "the watch did not end on SIGTERM";
    EXPECT_LT(MsSince(sent), 7000);
    EXPECT_EQ(watch.exitCode(), 0) << Err();
    EXPECT_TRUE(WaitUntil([&] { return !Exists(saver); }, 2000)) << "the saver outlived the watch";
    EXPECT_TRUE(fs::is_empty(tmp.path())) << "the saver's files were left behind";
    for (const auto& left : fs::directory_iterator(runtime.path()))
      EXPECT_NE(left.path().filename().string().rfind("qvsaver-watch", 0), 0u) << "the watch's lock was left behind";
  }
};

// An X server of the test's own: the idle time must not be the shared
// display's, where other tests move the pointer.
class OwnXServer {
 public:
  OwnXServer() {
    // Xvfb picks a free display itself and writes its number.
    const std::string number = xvfb_.StartForLine(
        {"/usr/bin/Xvfb", "-displayfd", "{fd}", "-screen", "0", "640x480x24", "-nolisten", "tcp", "-br"});
    if (!number.empty()) name_ = ":" + number;
    if (!name_.empty()) display_ = XOpenDisplay(name_.c_str());
  }
  ~OwnXServer() {
    if (display_) XCloseDisplay(display_);
  }
  bool Ready() const { return display_ != nullptr; }
  const std::string& Name() const { return name_; }

  uint32_t CentrePixel() {
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), 320, 240, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const uint32_t p = static_cast<uint32_t>(XGetPixel(image, 0, 0) & 0xFFFFFF);
    XDestroyImage(image);
    return p;
  }
  void Xdotool(const std::string& args) {
    ASSERT_EQ(std::system(("DISPLAY=" + name_ + " xdotool " + args).c_str()), 0) << args;
  }

 private:
  Helper xvfb_;
  std::string name_;
  Display* display_ = nullptr;
};

// A session bus of the test's own.
class PrivateBus {
 public:
  PrivateBus() {
    address_ = daemon_.StartForLine(
        {"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address={fd}"});
  }
  const std::string& Address() const { return address_; }

  // A connection of the test's own to it.
  sd_bus* Connect() const {
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0) return nullptr;
    if (sd_bus_set_address(bus, address_.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0) {
      sd_bus_unref(bus);
      return nullptr;
    }
    return bus;
  }

 private:
  Helper daemon_;
  std::string address_;
};

std::string NameOwner(sd_bus* bus, const char* name) {
  sd_bus_message* reply = nullptr;
  std::string owner;
  if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetNameOwner",
                         nullptr, &reply, "s", name) >= 0) {
    const char* unique = nullptr;
    if (sd_bus_message_read(reply, "s", &unique) >= 0 && unique) owner = unique;
    sd_bus_message_unref(reply);
  }
  return owner;
}

// ---- X11 -------------------------------------------------------------------

class WatchX11 : public WatchTest {
 protected:
  OwnXServer x;
  void SetUp() override {
    WatchTest::SetUp();
    ASSERT_TRUE(x.Ready()) << "Xvfb did not start";
  }
  bool SaverShows() { return x.CentrePixel() == kRed; }
};

// A service of the desktop, played by the test on a connection of its own
// to the private bus, and a fixture with that bus.
class StandInService {
 public:
  StandInService(sd_bus* bus, const char* name, const char* path, const char* interface, const sd_bus_vtable* vtable)
      : bus_(bus), name_(name) {
    sd_bus_add_object_vtable(bus_, &slot_, path, interface, vtable, this);
    sd_bus_request_name(bus_, name_, 0);
  }
  ~StandInService() { sd_bus_slot_unref(slot_); }
  StandInService(const StandInService&) = delete;
  StandInService& operator=(const StandInService&) = delete;

  // Answers what came; the test calls it while it waits.
  void Pump() {
    while (sd_bus_process(bus_, nullptr) > 0) {
    }
    sd_bus_flush(bus_);
  }
  // The desktop's program ends: its name goes from the bus.
  void Leave() {
    sd_bus_release_name(bus_, name_);
    sd_bus_flush(bus_);
  }

 protected:
  sd_bus* bus_;

 private:
  const char* name_;
  sd_bus_slot* slot_ = nullptr;
};

class WatchOnABus : public WatchX11 {
 protected:
  PrivateBus bus;
  sd_bus* connection = nullptr;
  void SetUp() override {
    WatchX11::SetUp();
    ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
    connection = bus.Connect();
    ASSERT_NE(connection, nullptr);
  }
  void TearDown() override {
    if (connection) sd_bus_flush_close_unref(connection);
  }
  std::unique_ptr<qvtest::Process> StartWatchOnTheBus() {
    return StartWatch({"DISPLAY=" + x.Name(), "DBUS_SESSION_BUS_ADDRESS=" + bus.Address()});
  }
};

TEST_F(WatchX11, IdleStartsTheSaverInputEndsItTheWatchGoesOnAndASignalEndsBoth) {
  const auto started = Clock::now();
  auto watch = StartWatch({"DISPLAY=" + x.Name()});
  ASSERT_TRUE(watch->Started());
  ASSERT_TRUE(WaitUntil([&] { return SaverShows(); }, kPatienceMs)) << Err();
  EXPECT_GE(MsSince(started), 2900) << "the saver came before the idle time was up";
  EXPECT_NE(Err().find("qvtool watch: idle time from the X server's idle time (MIT-SCREEN-SAVER)"), std::string::npos)
      << Err();
  ASSERT_EQ(Children(watch->pid()).size(), 1u);
  const pid_t first = Children(watch->pid())[0];
  // One watch a session.
  auto second = RunCommand("env -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS DISPLAY=" + x.Name() + " XDG_RUNTIME_DIR=" +
                               Quote(runtime.path()) + " timeout -s TERM 10 " + kTool + " watch " + Quote(dir.file("Red.scr")),
                           dir);
  EXPECT_EQ(second.exitCode, 1);
  EXPECT_NE(second.err.find("another qvtool watch runs in this session already"), std::string::npos) << second.err;

  // The pointer moves (XTest): the saver ends, the watch stays.
  x.Xdotool("mousemove 100 100");
  for (int i = 0; i < 5; ++i) x.Xdotool("mousemove_relative 10 10");
  const auto input = Clock::now();
  ASSERT_TRUE(WaitUntil([&] { return !Exists(first); }, 5000)) << "input did not end the saver";
  EXPECT_TRUE(watch->Running()) << Err();
  EXPECT_TRUE(fs::is_empty(tmp.path()));

  // Idle again: the saver again, and only one.
  ASSERT_TRUE(WaitUntil([&] { return SaverShows(); }, kPatienceMs)) << Err();
  EXPECT_GE(MsSince(input), 2500);
  const std::vector<pid_t> savers = Children(watch->pid());
  ASSERT_EQ(savers.size(), 1u);
  EndsWithItsSaver(*watch, savers[0]);
}

TEST_F(WatchOnABus, HonoursOrgFreedesktopScreenSaverInhibitionsWhileTheirProgramHoldsThem) {
  auto watch = StartWatchOnTheBus();
  sd_bus* player = bus.Connect();
  ASSERT_NE(player, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return !NameOwner(player, "org.freedesktop.ScreenSaver").empty(); }, kPatienceMs))
      << Err();
  // The watch says so once it holds the name: the line may come a moment after.
  EXPECT_TRUE(WaitUntil([&] { return Err().find("served by this watch") != std::string::npos; }, kPatienceMs))
      << Err();

  // A video player asks the desktop not to idle, on the path KDE uses.
  sd_bus_message* reply = nullptr;
  ASSERT_GE(sd_bus_call_method(player, "org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver",
                               "Inhibit", nullptr, &reply, "ss", "Film", "playing a video"),
            0);
  uint32_t cookie = 0;
  sd_bus_message_read(reply, "u", &cookie);
  sd_bus_message_unref(reply);
  EXPECT_NE(cookie, 0u);
  ASSERT_TRUE(WaitUntil([&] { return Err().find("idle, but") != std::string::npos; }, kPatienceMs)) << Err();
  EXPECT_NE(Err().find("idle, but \"Film\" asks the desktop not to idle (playing a video)"), std::string::npos) << Err();
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  EXPECT_TRUE(Children(watch->pid()).empty()) << "a saver started while a program inhibited idle";

  // The player ends without a word: its inhibition ends with it, and the
  // idle time counts from then.
  sd_bus_flush_close_unref(player);
  const auto released = Clock::now();
  ASSERT_TRUE(WaitUntil([&] { return SaverShows(); }, kPatienceMs)) << Err();
  EXPECT_GE(MsSince(released), 2500);

  // Who asks learns that the screensaver shows.
  int active = 0;
  ASSERT_GE(sd_bus_call_method(connection, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                               "org.freedesktop.ScreenSaver", "GetActive", nullptr, &reply, ""),
            0);
  sd_bus_message_read(reply, "b", &active);
  sd_bus_message_unref(reply);
  EXPECT_TRUE(active);
  const std::vector<pid_t> savers = Children(watch->pid());
  ASSERT_EQ(savers.size(), 1u);
  EndsWithItsSaver(*watch, savers[0]);
}

// The desktop's own org.freedesktop.ScreenSaver (KDE Plasma's, Xfce's power
// manager's): its screensaver shows, or not.
class StandInDesktopScreenSaver : public StandInService {
 public:
  explicit StandInDesktopScreenSaver(sd_bus* bus)
      : StandInService(bus, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
                       kVtable) {}
  bool active = true;

 private:
  static int GetActive(sd_bus_message* m, void* self, sd_bus_error*) {
    return sd_bus_reply_method_return(m, "b", static_cast<StandInDesktopScreenSaver*>(self)->active ? 1 : 0);
  }
  static constexpr sd_bus_vtable kVtable[] = {SD_BUS_VTABLE_START(0),
                                              SD_BUS_METHOD("GetActive", "", "b", &GetActive, SD_BUS_VTABLE_UNPRIVILEGED),
                                              SD_BUS_VTABLE_END};
};

TEST_F(WatchOnABus, WhereTheDesktopOffersTheServiceItsActiveScreensaverHoldsTheSaverBack) {
  StandInDesktopScreenSaver desktop(connection);
  desktop.Pump();
  auto watch = StartWatchOnTheBus();
  const auto pump = [&] { desktop.Pump(); };
  ASSERT_TRUE(WaitUntil([&] { return Err().find("idle, but") != std::string::npos; }, kPatienceMs, pump)) << Err();
  EXPECT_NE(Err().find("(the desktop's): its inhibitions are the desktop's to honour"), std::string::npos) << Err();
  EXPECT_NE(Err().find("idle, but the desktop's own screensaver is active"), std::string::npos) << Err();
  EXPECT_TRUE(Children(watch->pid()).empty());

  // The desktop's service goes: the watch, queued for the name, serves it
  // and counts the idle time from then.
  desktop.Leave();
  const auto left = Clock::now();
  ASSERT_TRUE(WaitUntil([&] { return SaverShows(); }, kPatienceMs, pump)) << Err();
  EXPECT_GE(MsSince(left), 2500);
  const std::vector<pid_t> savers = Children(watch->pid());
  ASSERT_EQ(savers.size(), 1u);
  EndsWithItsSaver(*watch, savers[0]);
}

// ---- GNOME -------------------------------------------------------------------

// GNOME's idle monitor as the compositor offers it: idle watches fire on
// every idle spell, a user-active watch once; the signal goes to the
// watch's owner.
class StandInIdleMonitor : public StandInService {
 public:
  explicit StandInIdleMonitor(sd_bus* bus)
      : StandInService(bus, "org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core",
                       "org.gnome.Mutter.IdleMonitor", kVtable) {}

  struct Watch {
    std::string owner;
    uint64_t interval = 0;  // 0: a user-active watch
  };
  std::map<uint32_t, Watch> watches;
  uint64_t idleTime = 0;

  // The user has been idle for `ms`, or comes back.
  void Idle(uint64_t ms) {
    idleTime = ms;
    for (auto& [id, w] : watches)
      if (w.interval != 0 && w.interval <= ms) Fire(id, w.owner);
  }
  void Active() {
    idleTime = 0;
    std::vector<uint32_t> fired;
    for (auto& [id, w] : watches)
      if (w.interval == 0) {
        Fire(id, w.owner);
        fired.push_back(id);
      }
    for (uint32_t id : fired) watches.erase(id);
  }
  bool Has(uint64_t interval) const {
    for (auto& [id, w] : watches)
      if (w.interval == interval) return true;
    return false;
  }
 private:
  void Fire(uint32_t id, const std::string& owner) {
    sd_bus_message* signal = nullptr;
    sd_bus_message_new_signal(bus_, &signal, "/org/gnome/Mutter/IdleMonitor/Core", "org.gnome.Mutter.IdleMonitor",
                              "WatchFired");
    sd_bus_message_set_destination(signal, owner.c_str());
    sd_bus_message_append(signal, "u", id);
    sd_bus_send(bus_, signal, nullptr);
    sd_bus_message_unref(signal);
    sd_bus_flush(bus_);
  }
  static int Add(sd_bus_message* m, StandInIdleMonitor* self, uint64_t interval) {
    const uint32_t id = ++self->last_;
    self->watches[id] = {sd_bus_message_get_sender(m) ? sd_bus_message_get_sender(m) : "", interval};
    return sd_bus_reply_method_return(m, "u", id);
  }
  static int AddIdleWatch(sd_bus_message* m, void* self, sd_bus_error*) {
    uint64_t interval = 0;
    sd_bus_message_read(m, "t", &interval);
    return Add(m, static_cast<StandInIdleMonitor*>(self), interval);
  }
  static int AddUserActiveWatch(sd_bus_message* m, void* self, sd_bus_error*) {
    return Add(m, static_cast<StandInIdleMonitor*>(self), 0);
  }
  static int RemoveWatch(sd_bus_message* m, void* self, sd_bus_error*) {
    uint32_t id = 0;
    sd_bus_message_read(m, "u", &id);
    static_cast<StandInIdleMonitor*>(self)->watches.erase(id);
    return sd_bus_reply_method_return(m, "");
  }
  static int GetIdletime(sd_bus_message* m, void* self, sd_bus_error*) {
    return sd_bus_reply_method_return(m, "t", static_cast<StandInIdleMonitor*>(self)->idleTime);
  }
  static constexpr sd_bus_vtable kVtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_METHOD("AddIdleWatch", "t", "u", &AddIdleWatch, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_METHOD("AddUserActiveWatch", "", "u", &AddUserActiveWatch, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_METHOD("RemoveWatch", "u", "", &RemoveWatch, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_METHOD("GetIdletime", "", "t", &GetIdletime, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_SIGNAL("WatchFired", "u", 0),
      SD_BUS_VTABLE_END};

  uint32_t last_ = 0;
};

TEST_F(WatchOnABus, UnderGnomeTheIdleMonitorsWatchesStartTheSaverAndItsLeavingEndsTheWatch) {
  StandInIdleMonitor mutter(connection);
  mutter.Pump();
  auto watch = StartWatchOnTheBus();
  const auto pump = [&] { mutter.Pump(); };
  ASSERT_TRUE(WaitUntil([&] { return mutter.Has(3000); }, kPatienceMs, pump)) << Err();
  EXPECT_TRUE(WaitUntil([&] { return Err().find("idle time from GNOME's idle monitor") != std::string::npos; },
                        kPatienceMs, pump))
      << Err();
  // The X server's idle time is not what counts here.
  WaitUntil([] { return false; }, 4000, pump);
  EXPECT_TRUE(Children(watch->pid()).empty()) << "a saver started without the idle monitor's word";

  mutter.Idle(3000);
  ASSERT_TRUE(WaitUntil([&] { return SaverShows(); }, kPatienceMs, pump)) << Err();
  ASSERT_TRUE(WaitUntil([&] { return mutter.Has(0); }, 5000, pump)) << "no user-active watch after the idle one";
  const pid_t first = Children(watch->pid()).at(0);
  // The user comes back: the saver ends itself on the input.
  mutter.Active();
  x.Xdotool("mousemove 100 100");
  for (int i = 0; i < 5; ++i) x.Xdotool("mousemove_relative 10 10");
  ASSERT_TRUE(WaitUntil([&] { return !Exists(first); }, 5000, pump));
  EXPECT_TRUE(watch->Running());

  mutter.Idle(3000);
  ASSERT_TRUE(WaitUntil([&] { return SaverShows(); }, kPatienceMs, pump)) << Err();
  const pid_t second = Children(watch->pid()).at(0);
  // GNOME Shell leaves the bus: the session is over.
  mutter.Leave();
  EXPECT_TRUE(WaitUntil([&] { return !watch->Running(); }, 5000, pump)) << Err();
  EXPECT_EQ(watch->exitCode(), 0);
  EXPECT_NE(Err().find("the session ended"), std::string::npos) << Err();
  EXPECT_TRUE(WaitUntil([&] { return !Exists(second); }, 2000));
  EXPECT_TRUE(fs::is_empty(tmp.path()));
}

// ---- Wayland -------------------------------------------------------------

bool OnPath(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// The colour in the middle of a PNG file.
uint32_t PngCentre(const std::string& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return 0;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return 0;
  const size_t at = (static_cast<size_t>(image.height / 2) * image.width + image.width / 2) * 3;
  return static_cast<uint32_t>(pixels[at]) << 16 | static_cast<uint32_t>(pixels[at + 1]) << 8 | pixels[at + 2];
}

// sway on the headless backend, as an unprivileged user when the test runs
// as root (sway will not run as root): the user nobody, with a runtime
// folder of its own.
class HeadlessSway {
 public:
  HeadlessSway() {
    WriteFile(runtime_.file("config"), "default_border none\n");
    std::vector<std::string> argv;
    if (::geteuid() == 0) {
      if (::chown(runtime_.path().c_str(), 65534, 65534) != 0 || ::chown(runtime_.file("config").c_str(), 65534, 65534) != 0)
        return;
      argv = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    }
    argv.insert(argv.end(), {"/usr/bin/env", "-i", "PATH=/usr/bin:/bin", "HOME=" + runtime_.path(),
                             "XDG_RUNTIME_DIR=" + runtime_.path(), "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1",
                             "WLR_RENDERER=pixman", "sway", "-c", runtime_.file("config")});
    sway_.Start(argv);
    WaitUntil([this] { return !Socket().empty() || !sway_.Running(); }, 10000);
  }
  // The compositor's socket, as an absolute path (WAYLAND_DISPLAY takes one).
  std::string Socket() const {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(runtime_.path(), ec)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("wayland-", 0) == 0 && name.find(".lock") == std::string::npos) return entry.path().string();
    }
    return {};
  }
  // The middle of the first output.
  uint32_t ScreenCentre() {
    const std::string shot = runtime_.file("shot.png");
    const std::string grim = "WAYLAND_DISPLAY=" + Quote(Socket()) + " grim -o HEADLESS-1 " + Quote(shot) + " 2>/dev/null";
    if (std::system(grim.c_str()) != 0)
      return 0;
    return PngCentre(shot);
  }
  // sway's own command line, on its IPC socket.
  std::string Command(const std::string& args) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(runtime_.path(), ec))
      if (entry.path().filename().string().rfind("sway-ipc.", 0) == 0) {
        qvtest::TempDir scratch;
        return RunCommand("SWAYSOCK=" + Quote(entry.path().string()) + " swaymsg " + args, scratch).out;
      }
    return {};
  }
  // A key typed through a virtual keyboard; the compositor needs a moment
  // with the keyboard's keymap before the key.
  void Type(const std::string& key) {
    ASSERT_EQ(std::system(("WAYLAND_DISPLAY=" + Quote(Socket()) + " wtype -s 300 " + key + " -s 300").c_str()), 0);
  }

 private:
  qvtest::TempDir runtime_;
  Helper sway_;
};

TEST_F(WatchTest, OnAHeadlessSwayTheKdeIdleProtocolStartsTheSaverDrawnThroughWayland) {
  for (const char* program : {"sway", "grim", "wtype"})
    if (!OnPath(program)) GTEST_SKIP() << program << " is not installed (scripts/setup.sh installs it)";
  HeadlessSway sway;
  ASSERT_FALSE(sway.Socket().empty()) << "sway did not start";
  // A second monitor, which the saver covers in black.
  ASSERT_NE(sway.Command("create_output").find("\"success\": true"), std::string::npos);
  const auto started = Clock::now();
  auto watch = StartWatch({"WAYLAND_DISPLAY=" + sway.Socket()});
  const auto saverShows = [&] { return !Children(watch->pid()).empty() && sway.ScreenCentre() == kRed; };
  ASSERT_TRUE(WaitUntil(saverShows, kPatienceMs)) << Err();
  EXPECT_GE(MsSince(started), 2900);
  EXPECT_NE(Err().find("idle notifications (org_kde_kwin_idle)"), std::string::npos) << Err();
  const pid_t first = Children(watch->pid()).at(0);
  // A window on each output: the slideshow on the first, black on the other.
  std::string tree;
  const auto windows = [&] {
    tree = sway.Command("-t get_tree");
    size_t count = 0;
    for (size_t at = tree.find("\"pid\": "); at != std::string::npos; at = tree.find("\"pid\": ", at + 1)) ++count;
    return count;
  };
  EXPECT_TRUE(WaitUntil([&] { return windows() == 2; }, 5000)) << tree;
  const size_t second = tree.find("\"name\": \"HEADLESS-2\"");
  ASSERT_NE(second, std::string::npos) << tree;
  EXPECT_LT(tree.find("\"pid\": ", tree.find("\"name\": \"HEADLESS-1\"")), second) << tree;
  EXPECT_NE(tree.find("\"pid\": ", second), std::string::npos) << tree;

  // A key through a virtual keyboard ends the saver; the watch stays.
  sway.Type("q");
  ASSERT_TRUE(WaitUntil([&] { return !Exists(first); }, 5000)) << "the key did not end the saver";
  EXPECT_TRUE(watch->Running()) << Err();
  ASSERT_TRUE(WaitUntil(saverShows, kPatienceMs)) << Err();
  const std::vector<pid_t> savers = Children(watch->pid());
  ASSERT_EQ(savers.size(), 1u);
  EndsWithItsSaver(*watch, savers[0]);
}

// ---- The command itself --------------------------------------------------

TEST_F(WatchTest, WithoutAnyIdleSourceItSaysWhyForEachAndEndsWithExitCode1) {
  auto run = RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR=" +
                            Quote(tmp.path()) + " " + kTool + " watch " + Quote(dir.file("Red.scr")),
                        dir);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("this session tells no idle time (GNOME: no session bus"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Wayland: WAYLAND_DISPLAY is not set; X11: DISPLAY is not set"), std::string::npos) << run.err;
}

TEST_F(WatchTest, WrongTimesAndFilesAreRefusedWithExitCode2) {
  for (const char* after : {"10", "0s", "25h", "5x", "m", "-3m", "1.5m"}) {
    auto run = RunCommand(kTool + " watch " + Quote(dir.file("Red.scr")) + " --after " + after, dir);
    EXPECT_EQ(run.exitCode, 2) << after;
    EXPECT_NE(run.err.find("--after takes a time from 1s to 24h written with its unit, such as 90s, 10m or 1h"),
              std::string::npos)
        << run.err;
  }
  WriteFile(dir.file("plain.txt"), "no screensaver");
  for (const std::string& file : {dir.file("missing.scr"), dir.file("plain.txt"), dir.path()}) {
    auto run = RunCommand(kTool + " watch " + Quote(file), dir);
    EXPECT_EQ(run.exitCode, 2) << file;
    EXPECT_FALSE(run.err.empty());
  }
  auto help = RunCommand(kTool + " watch --help", dir);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--no-autostart"), std::string::npos);
}

TEST_F(WatchTest, AutostartWritesTheSessionsEntryAndNoAutostartTakesOnlyItsOwnOut) {
  qvtest::TempDir config;
  const std::string env = "XDG_CONFIG_HOME=" + Quote(config.path()) + " ";
  fs::copy_file(dir.file("Red.scr"), dir.file("Sea $Life.scr"));
  auto written = RunCommand(env + kTool + " watch --autostart " + Quote(dir.file("Sea $Life.scr")) + " --after 90s", dir);
  ASSERT_EQ(written.exitCode, 0) << written.err;
  const std::string entry = config.file("autostart/qvsaver-watch.desktop");
  const std::string text = ReadFile(entry);
  // The file's path quoted as desktop files quote an Exec argument.
  const std::string exec =
      "Exec=" + fs::canonical(kTool).string() + " watch \"" + dir.path() + "/Sea \\\\$Life.scr\" --after 90s\n";
  EXPECT_NE(text.find(exec), std::string::npos) << text;
  EXPECT_NE(text.find("Type=Application\n"), std::string::npos);
  EXPECT_NE(written.out.find(entry), std::string::npos);
  // Written again with another time: one entry, the new time.
  ASSERT_EQ(RunCommand(env + kTool + " watch --autostart " + Quote(dir.file("Red.scr")) + " --after 120s", dir).exitCode, 0);
  EXPECT_NE(ReadFile(entry).find("--after 2m\n"), std::string::npos) << ReadFile(entry);

  auto removed = RunCommand(env + kTool + " watch --no-autostart", dir);
  EXPECT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_FALSE(fs::exists(entry));
  auto again = RunCommand(env + kTool + " watch --no-autostart", dir);
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_NE(again.out.find("there is no autostart entry"), std::string::npos) << again.out;

  // An entry of that name that is not ours stays.
  WriteFile(entry, "[Desktop Entry]\nType=Application\nExec=something-else\n");
  auto foreign = RunCommand(env + kTool + " watch --no-autostart", dir);
  EXPECT_EQ(foreign.exitCode, 2);
  EXPECT_NE(foreign.err.find("was not written by qvtool watch"), std::string::npos) << foreign.err;
  EXPECT_TRUE(fs::exists(entry));
}

}  // namespace
