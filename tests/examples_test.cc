// The integration examples the README and the manual page show, run
// against the real cellora.
#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "apm_namespace.h"

namespace {

struct example_case {
  const char *name;
  const char *script;
  std::string line;  // empty: no /proc/apm at all
  std::string want_out;
  int want_status;
  const char *want_err = nullptr;  // nullptr: not checked
};

void PrintTo(const example_case &c, std::ostream *os) { *os << c.name; }

// A folder of the test's own under $TMPDIR (or /tmp), removed with all it
// holds when the test ends, however it ends: passed, failed or skipped.
struct scratch_dir {
  std::string path;
  scratch_dir() {
    const char *tmp = getenv("TMPDIR");
    std::string name =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/cellora-XXXXXX";
    if (mkdtemp(&name[0]) != nullptr) path = name;
  }
  ~scratch_dir() {
    if (path.empty()) return;
    nftw(
        path.c_str(),
        [](const char *p, const struct stat *, int, struct FTW *) {
          remove(p);
          return 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
  }
  scratch_dir(const scratch_dir &) = delete;
  scratch_dir &operator=(const scratch_dir &) = delete;
};

class Example : public testing::TestWithParam<example_case> {};

apm_setup setup_for(const example_case &c) {
  apm_setup setup;
  setup.status = c.line;
  setup.where = c.line.empty() ? place::none : place::file;
  setup.program = "/bin/sh";
  return setup;
}

void expect_prints(const example_case &c, const apm_setup &setup) {
  run_result r = run_with_status(setup);
  REQUIRE_RUN(r);
  EXPECT_EQ(r.out, c.want_out);
  EXPECT_EQ(r.status, c.want_status);
  if (c.want_err != nullptr) {
    EXPECT_EQ(r.err, c.want_err);
  }
}

// From the source tree, with cellora on PATH.
TEST_P(Example, Prints) {
  const example_case &c = GetParam();
  apm_setup setup = setup_for(c);
  setup.args = {std::string(CELLORA_SOURCE_DIR "/examples/") + c.script};
  std::string binary = cellora_binary();
  setup.env = {"PATH=" + binary.substr(0, binary.rfind('/')) + ":/usr/bin:/bin"};
  expect_prints(c, setup);
}

bool copy_file(const std::string &from, const std::string &to) {
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(to, std::ios::binary);
  out << in.rdbuf();
  return in && out.good() && chmod(to.c_str(), 0755) == 0;
}

// As installed, PREFIX/share/cellora beside PREFIX/bin/cellora, under
// cron's PATH, which holds neither.
TEST_P(Example, PrintsAsInstalledUnderCronPath) {
  const example_case &c = GetParam();
  scratch_dir prefix;
  ASSERT_NE(prefix.path, "");
  std::string root = prefix.path, script = root + "/share/cellora/" + c.script;
  ASSERT_EQ(mkdir((root + "/bin").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((root + "/share").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((root + "/share/cellora").c_str(), 0755), 0);
  ASSERT_TRUE(copy_file(cellora_binary(), root + "/bin/cellora"));
  ASSERT_TRUE(copy_file(std::string(CELLORA_SOURCE_DIR "/examples/") + c.script, script));
  apm_setup setup = setup_for(c);
  setup.args = {script};
  setup.env = {"PATH=/usr/bin:/bin"};
  expect_prints(c, setup);
}

std::string line(const char *ac, const char *percent) {
  return std::string("1.16ac 1.2 0x03 ") + ac + " 0x03 0x09 " + percent + "% 120 min\n";
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, Example,
    testing::Values(
        example_case{"LowOnBattery", "low-battery", line("0x00", "7"), "battery low: 7% left\n", 0},
        example_case{"LowOnMains", "low-battery", line("0x01", "7"), "", 0},
        example_case{"TenOnBattery", "low-battery", line("0x00", "10"), "", 0},
        // No battery in: nothing is low, and cron must have nothing to mail.
        example_case{"LowNoLevel", "low-battery", line("0x00", "-1"), "", 0, ""},
        example_case{"LowNoApm", "low-battery", "", "", 1,
                     "cellora: Can't read proc info: No such file or directory\n"},
        example_case{"BarOnMains", "i3blocks-battery", line("0x01", "87"), "BAT 87% AC\n", 0},
        example_case{"BarOnBattery", "i3blocks-battery", line("0x00", "42"), "BAT 42%\n", 0},
        example_case{"BarUrgent", "i3blocks-battery", line("0x00", "9"), "BAT 9%\n", 33},
        example_case{"BarNoApm", "i3blocks-battery", "", "BAT ?\n", 0,
                     "cellora: Can't read proc info: No such file or directory\n"},
        example_case{"ScreenOnMains", "screen-battery", line("0x01", "100"), "100% AC\n", 0},
        example_case{"ScreenOnBattery", "screen-battery", line("0x00", "10"), "10%\n", 0},
        example_case{"ScreenLow", "screen-battery", line("0x00", "9"), "9% LOW\n", 0},
        example_case{"ScreenNoLevel", "screen-battery", line("0x01", "-1"), "?\n", 0,
                     "Can not get battery level\n"}),
    [](const testing::TestParamInfo<example_case> &p) { return p.param.name; });

// battery-watch, with stand-ins on PATH for the tools it warns with, each
// writing to a log what it was asked to show, and failing after that
// where its name ends in "!" (a notify-send without a daemon, an
// xmessage without a display, a wall that cannot write), or failing the
// first time only where it ends in "!1".  The status line is LINE
// while it polls every 0.1 s, then, where a second line is given, above
// 10% and LINE again: one warning per fall below 10%, not one a poll.
// low-battery-wall, cron's variant, runs once.
struct watch_case {
  const char *name;
  std::vector<const char *> tools;  // stand-ins: notify-send, xmessage, wall
  std::vector<std::string> env;
  std::string line, then;  // then: empty, or the line between two lows
  std::string want_log, want_err;
  const char *script = "battery-watch";
  const char *run_for = "0.4";  // seconds; a failing xmessage takes one
};

void PrintTo(const watch_case &c, std::ostream *os) { *os << c.name; }

class Watch : public testing::TestWithParam<watch_case> {};

bool write_script(const std::string &path, const std::string &text) {
  std::ofstream out(path);
  out << "#!/bin/sh\n" << text << "\n";
  out.close();
  return out.good() && chmod(path.c_str(), 0755) == 0;
}

std::string read_all(const std::string &path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// BIN, the watcher's PATH: what it runs, and nothing else, so that a tool
// of the host's own is never found in a stand-in's place.
bool make_watcher_path(const std::string &bin) {
  if (mkdir(bin.c_str(), 0755) != 0) return false;
  for (const char *tool : {"/bin/sleep", "/usr/bin/dirname"}) {
    std::string name = tool;
    if (symlink(tool, (bin + name.substr(name.rfind('/'))).c_str()) != 0) return false;
  }
  return symlink(cellora_binary(), (bin + "/cellora").c_str()) == 0;
}

TEST_P(Watch, WarnsOncePerFall) {
  const watch_case &c = GetParam();
  scratch_dir dir;
  ASSERT_NE(dir.path, "");
  std::string bin = dir.path + "/bin", log = dir.path + "/log";
  ASSERT_TRUE(make_watcher_path(bin));
  for (std::string tool : c.tools) {
    std::string fails;
    if (tool.size() > 2 && tool.compare(tool.size() - 2, 2, "!1") == 0) {
      tool.resize(tool.size() - 2);
      fails = "; [ -e " + log + ".failed ] || { : >" + log + ".failed; exit 1; }";
    } else if (tool.back() == '!') {
      tool.pop_back();
      fails = "; exit 1";
    }
    std::string record =
        tool == "wall" ? "read -r text; echo \"wall $text\"" : "echo \"" + tool + " $*\"";
    ASSERT_TRUE(write_script(bin + "/" + tool, record + " >>" + log + fails));
  }
  apm_setup setup;
  setup.status = c.line;
  setup.program = "/bin/sh";
  std::string script = c.script, phases = std::string("\"$0\" 10 0.1 & sleep ") + c.run_for;
  if (script != "battery-watch") phases = "\"$0\"";
  if (!c.then.empty()) {
    phases += "; echo '" + c.then + "' >/proc/apm; sleep 0.4; echo '" + c.line +
              "' >/proc/apm; sleep 0.4";
  }
  setup.args = {"-c", phases, CELLORA_SOURCE_DIR "/examples/" + script};
  setup.env = {"PATH=" + bin, "DISPLAY=", "WAYLAND_DISPLAY=", "DBUS_SESSION_BUS_ADDRESS="};
  setup.env.insert(setup.env.end(), c.env.begin(), c.env.end());
  run_result r = run_with_status(setup);
  REQUIRE_RUN(r);
  EXPECT_EQ(read_all(log), c.want_log);
  EXPECT_EQ(r.err, c.want_err);
  EXPECT_EQ(r.out, "");
}

const char kLow[] = "1.16ac 1.2 0x03 0x00 0x03 0x09 7% 20 min";
const char kHigh[] = "1.16ac 1.2 0x03 0x00 0x03 0x09 50% 90 min";
const char kWarned[] = "battery low: 7% left";

INSTANTIATE_TEST_SUITE_P(
    Watcher, Watch,
    testing::Values(
        watch_case{"NotifySendTwice",
                   {"notify-send", "xmessage", "wall"},
                   {"DBUS_SESSION_BUS_ADDRESS=unix:path=/nowhere"},
                   kLow,
                   kHigh,
                   std::string("notify-send -u critical cellora ") + kWarned + "\n" +
                       "notify-send -u critical cellora " + kWarned + "\n",
                   ""},
        watch_case{"OnMainsNever",
                   {"notify-send"},
                   {"DISPLAY=:9"},
                   "1.16ac 1.2 0x03 0x01 0x03 0x09 7% 20 min",
                   "",
                   "",
                   ""},
        watch_case{
            "NoLevelQuiet", {"wall"}, {}, "1.16ac 1.2 0x03 0x00 0xff 0xff -1% -1 ?", "", "", ""},
        watch_case{"XmessageWhereOnlyX",
                   {"xmessage", "wall"},
                   {"DISPLAY=:9"},
                   kLow,
                   "",
                   std::string("xmessage -center ") + kWarned + "\n",
                   ""},
        watch_case{
            "WallOnAConsole", {"wall"}, {}, kLow, "", std::string("wall ") + kWarned + "\n", ""},
        watch_case{"NotifySendFailsToXmessage",
                   {"notify-send!", "xmessage", "wall"},
                   {"DISPLAY=:9"},
                   kLow,
                   "",
                   std::string("notify-send -u critical cellora ") + kWarned + "\n" +
                       "xmessage -center " + kWarned + "\n",
                   ""},
        watch_case{"XmessageFailsToWall",
                   {"xmessage!", "wall"},
                   {"DISPLAY=:9"},
                   kLow,
                   "",
                   std::string("xmessage -center ") + kWarned + "\n" + "wall " + kWarned + "\n",
                   "",
                   "battery-watch",
                   "1.5"},
        watch_case{"WallFailsToLogger",
                   {"wall!", "logger"},
                   {},
                   kLow,
                   "",
                   std::string("wall ") + kWarned + "\n" + "logger -t cellora -p user.warning " +
                       kWarned + "\n",
                   ""},
        // Nothing takes it at the first poll: said so, and tried again at
        // the next, where wall takes it.
        watch_case{"UntakenWarningTriedAgain",
                   {"wall!1"},
                   {},
                   kLow,
                   "",
                   std::string("wall ") + kWarned + "\nwall " + kWarned + "\n",
                   std::string("battery-watch: nothing took the warning: ") + kWarned + "\n"},
        // Four polls, and nothing to take it: said once.
        watch_case{"NothingTakesItSaysSoOnce",
                   {},
                   {},
                   kLow,
                   "",
                   "",
                   std::string("battery-watch: nothing took the warning: ") + kWarned + "\n"},
        watch_case{"CronToWall",
                   {"wall"},
                   {},
                   kLow,
                   "",
                   std::string("wall ") + kWarned + "\n",
                   "",
                   "low-battery-wall"},
        watch_case{"CronQuietAbove", {"wall"}, {}, kHigh, "", "", "", "low-battery-wall"},
        // busybox has no wall.
        watch_case{"CronNoWallToLogger",
                   {"logger"},
                   {},
                   kLow,
                   "",
                   std::string("logger -t cellora -p user.warning ") + kWarned + "\n",
                   "",
                   "low-battery-wall"},
        watch_case{"CronNothingTakesIt",
                   {"wall!"},
                   {},
                   kLow,
                   "",
                   std::string("wall ") + kWarned + "\n",
                   std::string("low-battery-wall: nothing took the warning: ") + kWarned + "\n",
                   "low-battery-wall"}),
    [](const testing::TestParamInfo<watch_case> &p) { return p.param.name; });

// battery-watch ends with the session, however it was started: where
// DISPLAY names a local X server, when that server is gone (a stand-in, a
// sleep that the display's lock file names, as X's does); else when the
// session's leader is gone.  Each scenario prints whether the watcher is
// there while the session lasts, and once it has ended, a few polls on.
struct ending_case {
  const char *name;
  const char *scenario;  // sh: $0 the watcher, $1 the display's number, $2 a file for its pid
  const char *want;
  bool old_rule = false;  // the watcher with the parent-process rule of 1.5.0
};

void PrintTo(const ending_case &c, std::ostream *os) { *os << c.name; }

class WatchEnds : public testing::TestWithParam<ending_case> {};

// A file removed when the test ends, however it ends.
struct removed_at_end {
  std::string path;
  ~removed_at_end() { unlink(path.c_str()); }
};

TEST_P(WatchEnds, WithItsSession) {
  const ending_case &c = GetParam();
  scratch_dir dir;
  ASSERT_NE(dir.path, "");
  std::string bin = dir.path + "/bin", watcher = CELLORA_SOURCE_DIR "/examples/battery-watch";
  ASSERT_TRUE(make_watcher_path(bin));
  if (c.old_rule) {
    std::string text = read_all(watcher), loop = "while running \"$lives_for\"; do";
    size_t at = text.find(loop);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, loop.size(), "while kill -0 \"$PPID\" 2>/dev/null; do");
    watcher = dir.path + "/battery-watch";
    ASSERT_TRUE(write_script(watcher, text.substr(text.find('\n') + 1)));
  }
  // A display number of this test's own, for its lock file in /tmp.
  std::string display = std::to_string(6000 + getpid() % 3000);
  removed_at_end lock{"/tmp/.X" + display + "-lock"};
  apm_setup setup;
  setup.status = "1.16ac 1.2 0x03 0x00 0x03 0x09 50% 90 min";
  setup.program = "/bin/sh";
  setup.args = {"-c", c.scenario, watcher, display, dir.path + "/pid"};
  setup.env = {"PATH=" + bin, "DISPLAY=", "WAYLAND_DISPLAY=", "DBUS_SESSION_BUS_ADDRESS="};
  run_result r = run_with_status(setup);
  REQUIRE_RUN(r);
  EXPECT_EQ(r.out, c.want);
  EXPECT_EQ(r.err, "");
}

#define CELLORA_X_SERVER "sleep 30 & x=$!; echo \"      $x\" >/tmp/.X$1-lock; "
// Whether the watcher is there: a process, and not a zombie that the
// namespace's init, which reaps only its own child, leaves behind.
#define CELLORA_THERE                                                           \
  "pids=$2; there() { read -r w <\"$pids\"; if { read -r st </proc/$w/stat; } " \
  "2>/dev/null && [ \"${st##*) Z}\" = \"$st\" ]; then echo there; else echo gone; fi; }; "

// i3's exec: a double fork into a session of its own, then a shell that
// waits for the watcher and outlives X.
#define CELLORA_I3_EXEC                                                                \
  CELLORA_THERE CELLORA_X_SERVER                                                       \
      "DISPLAY=:$1 /usr/bin/setsid -f /bin/sh -c '/bin/sh -c \"\\\"\\$0\\\" 10 0.1 & " \
      "echo \\$! >\\\"\\$1\\\"; wait\" \"$0\" \"$1\" &' \"$0\" \"$2\"; "               \
      "sleep 0.3; there; kill $x; sleep 0.4; there"

// A desktop's session manager starting the package's XDG autostart entry:
// its Exec line (with this tree's folder for /usr/share/cellora), in the
// manager's session, which waits for what it started and outlives X.
#define CELLORA_XDG_AUTOSTART                                                                \
  CELLORA_THERE CELLORA_X_SERVER                                                             \
      "exec=$(/bin/sed -n \"s|^Exec=/usr/share/cellora/|${0%/*}/|p\" " CELLORA_SOURCE_DIR    \
      "/packaging/cellora-battery-watch.desktop); "                                          \
      "DISPLAY=:$1 /usr/bin/setsid -f /bin/sh -c \"$exec 10 0.1 & echo \\$! >'$2'; wait\"; " \
      "sleep 0.3; there; kill $x; sleep 0.4; there"

INSTANTIATE_TEST_SUITE_P(
    Watcher, WatchEnds,
    testing::Values(
        // From ~/.xinitrc, before the window manager: X ends.
        ending_case{"Xinitrc",
                    CELLORA_THERE CELLORA_X_SERVER
                    "DISPLAY=:$1 \"$0\" 10 0.1 & echo $! >\"$2\"; sleep 0.3; there; kill $x; "
                    "sleep 0.4; there",
                    "there\ngone\n"},
        ending_case{"I3Exec", CELLORA_I3_EXEC, "there\ngone\n"},
        // The control: with the rule of 1.5.0, the parent, it outlives X.
        ending_case{"I3ExecOldRuleControl", CELLORA_I3_EXEC, "there\nthere\n", true},
        ending_case{"XdgAutostart", CELLORA_XDG_AUTOSTART, "there\ngone\n"},
        ending_case{"XdgAutostartOldRuleControl", CELLORA_XDG_AUTOSTART, "there\nthere\n", true},
        // A console login's ~/.bash_profile, from a subshell that ends at
        // once: it lasts as long as the login shell, the session's leader.
        ending_case{
            "BashProfile",
            CELLORA_THERE
            "/usr/bin/setsid -f /bin/sh -c '( \"$0\" 10 0.1 & echo $! >\"$1\" ); sleep 0.6' "
            "\"$0\" \"$2\"; sleep 0.3; there; sleep 0.6; there",
            "there\ngone\n"}),
    [](const testing::TestParamInfo<ending_case> &p) { return p.param.name; });

}  // namespace
