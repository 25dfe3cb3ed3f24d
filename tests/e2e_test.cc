// Runs the real cellora with a status file of ours at /proc/apm, placed in
// a private mount namespace on a tmpfs over /proc.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum class place { file, none, directory, unreadable };
enum class out_to { pipe, dev_full, closed };

struct scenario {
  const char *name;
  std::string status;  // the file's bytes, when place is file or unreadable
  place where;
  out_to out;
  std::vector<std::string> args;
  std::vector<std::string> env;
  std::string want_out, want_err;
  int want_status;
};

struct result {
  std::string out, err;
  int status = -1;
  std::string setup_error;  // why cellora could not be run
};

const char *binary() {
  const char *b = getenv("CELLORA_BIN");
  return b != nullptr && *b != '\0' ? b : CELLORA_BINARY;
}

bool write_file(const char *path, const std::string &text) {
  FILE *f = fopen(path, "w");
  if (f == nullptr) return false;
  bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
  return fclose(f) == 0 && ok;
}

// In a namespace of its own the test process keeps a root of its own; for
// a user without privileges that takes a user namespace as well.
bool enter_namespace(std::string *why) {
  if (unshare(CLONE_NEWNS) == 0) return true;
  uid_t uid = getuid();
  gid_t gid = getgid();
  if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
    *why += std::string("unshare: ") + strerror(errno);
    return false;
  }
  if (!write_file("/proc/self/setgroups", "deny") ||
      !write_file("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
      !write_file("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
    *why += std::string("writing the id maps: ") + strerror(errno);
    return false;
  }
  return true;
}

// Sanitizer runtimes read /proc/self and /proc/PID; cellora itself reads
// only /proc/apm.  So the real /proc stays reachable under /proc/host, with
// links for this process, where the kernel lets us clone its mount.
void keep_host_proc(int host_proc) {
  if (host_proc < 0 || mkdir("/proc/host", 0555) != 0 ||
      move_mount(host_proc, "", AT_FDCWD, "/proc/host", MOVE_MOUNT_F_EMPTY_PATH) != 0) {
    return;
  }
  std::string pid = std::to_string(getpid());
  (void)!symlink(("host/" + pid).c_str(), ("/proc/" + pid).c_str());
  (void)!symlink(pid.c_str(), "/proc/self");
  (void)!symlink("host/thread-self", "/proc/thread-self");
}

bool mount_tmpfs_over_proc(std::string *why) {
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    *why += std::string("mount: ") + strerror(errno);
    return false;
  }
  int host_proc = open_tree(AT_FDCWD, "/proc", OPEN_TREE_CLONE | OPEN_TREE_CLOEXEC);
  if (mount("tmpfs", "/proc", "tmpfs", 0, "mode=0755") != 0) {
    *why += std::string("mount: ") + strerror(errno);
    return false;
  }
  keep_host_proc(host_proc);
  return true;
}

bool place_status(const scenario &s) {
  switch (s.where) {
    case place::none: return true;
    case place::directory: return mkdir("/proc/apm", 0555) == 0;
    case place::file:
    case place::unreadable:
      return write_file("/proc/apm", s.status) &&
             chmod("/proc/apm", s.where == place::file ? 0444 : 0) == 0;
  }
  return false;
}

// Root reads any file; without these two capabilities it reads as its
// owner does, and an unreadable file stays unreadable.
bool drop_file_override() {
  return prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) == 0 &&
         prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0) == 0;
}

[[noreturn]] void run_child(const scenario &s, int out_fd, int err_fd, int setup_fd) {
  // "skip:" marks what this machine cannot do; anything else is a fault.
  std::string why = "skip: ";
  if (!enter_namespace(&why) || !mount_tmpfs_over_proc(&why)) {
    (void)!write(setup_fd, why.data(), why.size());
    _exit(125);
  }
  if (!place_status(s) || (s.where == place::unreadable && !drop_file_override())) {
    why = std::string("placing the status: ") + strerror(errno);
    (void)!write(setup_fd, why.data(), why.size());
    _exit(125);
  }
  switch (s.out) {
    case out_to::pipe: dup2(out_fd, 1); break;
    case out_to::dev_full: dup2(open("/dev/full", O_WRONLY), 1); break;
    case out_to::closed: close(1); break;
  }
  dup2(err_fd, 2);
  std::vector<char *> argv{const_cast<char *>("cellora")};
  for (const std::string &a : s.args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string &e : s.env) putenv(const_cast<char *>(e.c_str()));
  execv(binary(), argv.data());
  why = std::string("exec ") + binary() + ": " + strerror(errno);
  (void)!write(setup_fd, why.data(), why.size());
  _exit(125);
}

std::string drain(int fd) {
  std::string text;
  char buf[4096];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
  close(fd);
  return text;
}

result run(const scenario &s) {
  int out[2], err[2], setup[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0 || pipe2(setup, O_CLOEXEC) != 0) {
    return {"", "", -1, std::string("pipe: ") + strerror(errno)};
  }
  pid_t pid = fork();
  if (pid == 0) run_child(s, out[1], err[1], setup[1]);
  close(out[1]);
  close(err[1]);
  close(setup[1]);
  result r;
  r.out = drain(out[0]);
  r.err = drain(err[0]);
  r.setup_error = drain(setup[0]);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  return r;
}

void PrintTo(const scenario &s, std::ostream *os) { *os << s.name; }

class EndToEnd : public testing::TestWithParam<scenario> {};

TEST_P(EndToEnd, PrintsExactly) {
  const scenario &s = GetParam();
  result r = run(s);
  if (r.setup_error.rfind("skip: ", 0) == 0) {
    const char *ci = getenv("CI");
    if (ci != nullptr && strcmp(ci, "true") == 0) {
      FAIL() << "cannot run end to end under CI: " << r.setup_error;
    }
    GTEST_SKIP() << "no private mount namespace here: " << r.setup_error.substr(6);
  }
  ASSERT_EQ(r.setup_error, "");
  EXPECT_EQ(r.out, s.want_out);
  EXPECT_EQ(r.err, s.want_err);
  EXPECT_EQ(r.status, s.want_status);
}

const char kRealLine[] = "1.16ac 1.2 0x03 0x01 0x03 0x09 87% 120 min\n";
const char kReport87[] = "battery=87\nac_line=on\n";
const char kNoLevel[] = "Can not get battery level\n";
std::string read_failure(const char *why) {
  return std::string("cellora: Can't read proc info: ") + why + "\n";
}

scenario report(const char *name, std::string line, std::string want_out) {
  return {name, std::move(line), place::file, out_to::pipe, {}, {}, std::move(want_out), "", 0};
}

// The kernel's line padded so that the 98-character read ends inside
// "87%": the level read is 8, and the second line is never looked at.
std::string long_line() {
  std::string line = "1.16ac 1.2 0x03 0x01 0x03 0x09";
  line += std::string(97 - line.size(), ' ') + "87% 120 min\n";
  return line + "1.16 1.2 0x03 0x01 0x03 0x09 55% 1 min\n";
}

INSTANTIATE_TEST_SUITE_P(
    Reports, EndToEnd,
    testing::Values(report("KernelLine", kRealLine, kReport87),
                    report("OnBattery", "1.16ac 1.2 0x03 0x00 0x00 0x01 42% 95 min\n",
                           "battery=42\nac_line=off\n"),
                    report("BackupPower", "1.16ac 1.2 0x03 0x02 0x00 0x01 42% 95 min\n",
                           "battery=42\nac_line=off\n"),
                    report("CappedAt100", "1.16ac 1.2 0x03 0x01 0x00 0x01 150% 95 min\n",
                           "battery=100\nac_line=on\n"),
                    report("NegativeLevel", "1.16ac 1.2 0x03 0x01 0x00 0x01 -3% 95 min\n",
                           "battery=-3\nac_line=on\n"),
                    report("HugeLevelSaturates", "1.16 1.2 3 1 3 9 -99999999999% 1 1",
                           "battery=-2147483648\nac_line=on\n"),
                    report("WrappingAcIsOff", "1.16 1.2 3 0x100000001 3 9 50% 1 1",
                           "battery=50\nac_line=off\n"),
                    report("SecondLineIgnored", kRealLine + std::string("junk\n"), kReport87),
                    report("LongFirstLine", long_line(), "battery=8\nac_line=on\n"),
                    scenario{"ArgumentsIgnored",
                             kRealLine,
                             place::file,
                             out_to::pipe,
                             {"--help", "-v", "/proc/other", ""},
                             {},
                             kReport87,
                             "",
                             0}),
    [](const testing::TestParamInfo<scenario> &p) { return p.param.name; });

scenario failure(const char *name, std::string status, place where, std::string want_err) {
  return {name, std::move(status), where, out_to::pipe, {}, {}, "", std::move(want_err), 1};
}

INSTANTIATE_TEST_SUITE_P(
    Failures, EndToEnd,
    testing::Values(
        failure("UnknownLevel", "1.16ac 1.2 0x03 0x01 0xff 0x80 -1% -1 ?\n", place::file, kNoLevel),
        failure("LineCutBeforeLevel", "1.16ac 1.2 0x03 0x01 0x03 0x09\n", place::file, kNoLevel),
        failure("NulFirst", std::string("\0 1.2 0x03 0x01 0x03 0x09 87%\n", 30), place::file,
                kNoLevel),
        failure("NoStatusFile", "", place::none, read_failure("No such file or directory")),
        failure("EmptyStatusFile", "", place::file, read_failure("No data available")),
        failure("DirectoryInPlace", "", place::directory, read_failure("Is a directory")),
        failure("UnreadableFile", kRealLine, place::unreadable, read_failure("Permission denied")),
        scenario{"ReportToFullDisk",
                 kRealLine,
                 place::file,
                 out_to::dev_full,
                 {},
                 {},
                 "",
                 "cellora: Can't write report: No space left on device\n",
                 1},
        scenario{"ReportToClosedStdout",
                 kRealLine,
                 place::file,
                 out_to::closed,
                 {},
                 {},
                 "",
                 "cellora: Can't write report: Bad file descriptor\n",
                 1},
        scenario{"LocaleChangesNothing",
                 "",
                 place::none,
                 out_to::pipe,
                 {},
                 {"LC_ALL=de_DE.UTF-8", "LANG=fr_FR.UTF-8", "LANGUAGE=de"},
                 "",
                 read_failure("No such file or directory"),
                 1}),
    [](const testing::TestParamInfo<scenario> &p) { return p.param.name; });

}  // namespace
