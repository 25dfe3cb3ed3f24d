#include "apm_namespace.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char *cellora_binary() {
  const char *b = getenv("CELLORA_BIN");
  return b != nullptr && *b != '\0' ? b : CELLORA_BINARY;
}

namespace {

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
// owner does, and an unreadable file stays unreadable.
bool drop_file_override() {
  return prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) == 0 &&
         prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0) == 0;
}

[[noreturn]] void run_child(const apm_setup &s, int out_fd, int err_fd, int setup_fd) {
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
  const char *program = s.program.empty() ? cellora_binary() : s.program.c_str();
  std::vector<char *> argv{const_cast<char *>(s.program.empty() ? "cellora" : program)};
  for (const std::string &a : s.args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string &e : s.env) putenv(const_cast<char *>(e.c_str()));
  execv(program, argv.data());
  why = std::string("exec ") + program + ": " + strerror(errno);
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

}  // namespace

run_result run_with_status(const apm_setup &s) {
  int out[2], err[2], setup[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0 || pipe2(setup, O_CLOEXEC) != 0) {
    return {"", "", -1, std::string("pipe: ") + strerror(errno)};
  }
  pid_t pid = fork();
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
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  return r;
}
