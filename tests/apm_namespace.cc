#include "apm_namespace.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char *cellora_binary() {
  const char *b = getenv("CELLORA_BIN");
  return b != nullptr && *b != '\0' ? b : CELLORA_BINARY;
}

bool end_to_end_required() {
  const char *required = getenv("CELLORA_REQUIRE_E2E");
  return required != nullptr && strcmp(required, "1") == 0;
}

namespace {

bool write_file(const char *path, const std::string &text) {
  FILE *f = fopen(path, "w");
  if (f == nullptr) return false;
  bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
  return fclose(f) == 0 && ok;
}

// In namespaces of its own the test process keeps a root of its own; for
// a user without privileges that takes a user namespace as well.  The pid
// namespace gives the processes of one run small, known pids.
bool enter_namespace(std::string *why) {
  if (unshare(CLONE_NEWNS | CLONE_NEWPID) == 0) return true;
  uid_t uid = getuid();
  gid_t gid = getgid();
  if (unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWPID) != 0) {
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
// only /proc/apm.  So a /proc of the run's pid namespace stays reachable
// under /proc/host, with links for the pids its processes get, where the
// kernel lets us mount it.
void keep_host_proc(int host_proc) {
  if (host_proc < 0 || mkdir("/proc/host", 0555) != 0 ||
      move_mount(host_proc, "", AT_FDCWD, "/proc/host", MOVE_MOUNT_F_EMPTY_PATH) != 0) {
    return;
  }
  for (int pid = 1; pid <= 256; ++pid) {
    std::string name = std::to_string(pid);
    (void)!symlink(("host/" + name).c_str(), ("/proc/" + name).c_str());
  }
  (void)!symlink("host/self", "/proc/self");
  (void)!symlink("host/thread-self", "/proc/thread-self");
}

// The namespace's mounts must not reach the host's: a mount over /proc
// propagates to the peers of the mount it lands on, unless that is
// private.  Where / is a mount point, everything is made private.  In a
// build chroot / is a plain folder (EINVAL), and /proc, mounted there,
// is made private instead; a chroot with no /proc of its own has no
// mount that the test may stack on, and is skipped.
bool make_mounts_private(std::string *why) {
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0) return true;
  if (errno != EINVAL) {
    *why += std::string("making / private: ") + strerror(errno);
    return false;
  }
  if (mount(nullptr, "/proc", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0) return true;
  *why += std::string("/ is not a mount point (a chroot?), and making /proc private: ") +
          strerror(errno);
  return false;
}

bool mount_tmpfs_over_proc(std::string *why) {
  if (!make_mounts_private(why)) return false;
  int host_proc = -1;
  if (mount("proc", "/proc", "proc", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) == 0) {
    host_proc = open_tree(AT_FDCWD, "/proc", OPEN_TREE_CLONE | OPEN_TREE_CLOEXEC);
  }
  if (mount("tmpfs", "/proc", "tmpfs", 0, "mode=0755") != 0) {
    *why += std::string("mount: ") + strerror(errno);
    return false;
  }
  keep_host_proc(host_proc);
  return true;
}

bool place_status(const apm_setup &s) {
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
// owner does, and an unreadable file stays unreadable.  They go from every
// set, so that neither the program nor anything it runs can get them back:
// from the bounding set, the ambient set, and the effective, permitted and
// inheritable sets (an inheritable one comes back as permitted at exec).
bool drop_file_override() {
  if (prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) != 0 ||
      prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0) != 0 ||
      prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0) {
    return false;
  }
  __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
  if (syscall(SYS_capget, &header, data) != 0) return false;
  const uint32_t drop = CAP_TO_MASK(CAP_DAC_OVERRIDE) | CAP_TO_MASK(CAP_DAC_READ_SEARCH);
  data[0].effective &= ~drop;
  data[0].permitted &= ~drop;
  data[0].inheritable &= ~drop;
  return syscall(SYS_capset, &header, data) == 0;
}

[[noreturn]] void fail_setup(int setup_fd, const std::string &why) {
  (void)!write(setup_fd, why.data(), why.size());
  _exit(125);
}

int exit_code(int wstatus) {
  return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
}

// Waits for the one child and ends with its status, as a shell would.
[[noreturn]] void wait_and_pass_on(pid_t child) {
  int wstatus = 0;
  while (waitpid(child, &wstatus, 0) < 0 && errno == EINTR) {
  }
  _exit(exit_code(wstatus));
}

// A file on a tmpfs of one page, filled to a few bytes short of the page:
// a write of more than those few bytes writes them and stops.
int open_on_small_fs() {
  long page = sysconf(_SC_PAGESIZE);
  std::string size = "size=" + std::to_string(page);
  if (mkdir("/proc/small", 0755) != 0 ||
      mount("tmpfs", "/proc/small", "tmpfs", 0, size.c_str()) != 0) {
    return -1;
  }
  int fd = open("/proc/small/report", O_WRONLY | O_CREAT | O_APPEND, 0644);
  std::string fill(static_cast<size_t>(page) - 6, 'x');
  if (fd < 0 || write(fd, fill.data(), fill.size()) != static_cast<ssize_t>(fill.size())) return -1;
  return fd;
}

[[noreturn]] void exec_program(const apm_setup &s, int out_fd, int err_fd, int setup_fd) {
  if ((s.where == place::unreadable || s.drop_file_override) && !drop_file_override()) {
    fail_setup(setup_fd, std::string("dropping capabilities: ") + strerror(errno));
  }
  switch (s.out) {
    case out_to::pipe: dup2(out_fd, 1); break;
    case out_to::dev_full: dup2(open("/dev/full", O_WRONLY), 1); break;
    case out_to::closed: close(1); break;
    case out_to::small_fs: {
      int fd = open_on_small_fs();
      if (fd < 0) fail_setup(setup_fd, std::string("a small tmpfs: ") + strerror(errno));
      dup2(fd, 1);
      break;
    }
  }
  dup2(err_fd, 2);
  const char *program = s.program.empty() ? cellora_binary() : s.program.c_str();
  std::vector<char *> argv{const_cast<char *>(s.program.empty() ? "cellora" : program)};
  for (const std::string &a : s.args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string &e : s.env) putenv(const_cast<char *>(e.c_str()));
  execv(program, argv.data());
  fail_setup(setup_fd, std::string("exec ") + program + ": " + strerror(errno));
}

// The child enters the namespaces; its first child, pid 1 there, lays out
// /proc and starts the program as pid 2, so that the program is no init
// and keeps the usual signal behaviour.
[[noreturn]] void run_child(const apm_setup &s, int out_fd, int err_fd, int setup_fd) {
  // "skip:" marks what this machine cannot do; anything else is a fault.
  std::string why = "skip: ";
  if (!enter_namespace(&why)) fail_setup(setup_fd, why);
  pid_t init = fork();
  if (init < 0) fail_setup(setup_fd, std::string("fork: ") + strerror(errno));
  if (init > 0) wait_and_pass_on(init);
  if (!mount_tmpfs_over_proc(&why)) fail_setup(setup_fd, why);
  if (!place_status(s)) {
    fail_setup(setup_fd, std::string("placing the status: ") + strerror(errno));
  }
  pid_t program = fork();
  if (program < 0) fail_setup(setup_fd, std::string("fork: ") + strerror(errno));
  if (program == 0) exec_program(s, out_fd, err_fd, setup_fd);
  wait_and_pass_on(program);
}

std::string drain(int fd) {
  std::string text;
  char buf[4096];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
  close(fd);
  return text;
}

}  // namespace

run_result run_with_status(const apm_setup &s) {
  int out[2], err[2], setup[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0 || pipe2(setup, O_CLOEXEC) != 0) {
    return {"", "", -1, std::string("pipe: ") + strerror(errno)};
  }
  pid_t pid = fork();
  if (pid < 0) {
    int error = errno;
    for (int fd : {out[0], out[1], err[0], err[1], setup[0], setup[1]}) close(fd);
    return {"", "", -1, std::string("fork: ") + strerror(error)};
  }
  if (pid == 0) run_child(s, out[1], err[1], setup[1]);
  close(out[1]);
  close(err[1]);
  close(setup[1]);
  run_result r;
  r.out = drain(out[0]);
  r.err = drain(err[0]);
  r.setup_error = drain(setup[0]);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  r.status = exit_code(wstatus);
  return r;
}
