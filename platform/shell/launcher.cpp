#include "shell/launcher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "kernel/environment.h"

namespace qvp::shell {
namespace {

struct LauncherSlot {
  std::mutex lock;
  ProcessLauncher launcher;
};

LauncherSlot& Slot() {
  static auto* slot = new LauncherSlot;
  return *slot;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  pointers.reserve(strings.size() + 1);
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// posix_spawn's attribute and file-action objects, destroyed on every path.
struct SpawnSetup {
  posix_spawnattr_t attr{};
  posix_spawn_file_actions_t actions{};
  bool attr_ok = false;
  bool actions_ok = false;
  SpawnSetup() {
    attr_ok = posix_spawnattr_init(&attr) == 0;
    actions_ok = posix_spawn_file_actions_init(&actions) == 0;
  }
  ~SpawnSetup() {
    if (attr_ok) posix_spawnattr_destroy(&attr);
    if (actions_ok) posix_spawn_file_actions_destroy(&actions);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}  // namespace

LaunchResult Spawn(const ProcessLaunch& launch, const SpawnExtras& extras) {
  LaunchResult result;
  if (launch.argv.empty() || launch.program.empty()) {
    result.error = EINVAL;
    return result;
  }
  SpawnSetup setup;
  if (!setup.attr_ok || !setup.actions_ok) {
    result.error = ENOMEM;
    return result;
  }
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (launch.new_session) flags |= POSIX_SPAWN_SETSID;
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int sig : {SIGPIPE, SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGCHLD, SIGUSR1, SIGUSR2}) sigaddset(&defaults, sig);
  int rc = posix_spawnattr_setflags(&setup.attr, flags);
  if (rc == 0) rc = posix_spawnattr_setsigmask(&setup.attr, &none);
  if (rc == 0) rc = posix_spawnattr_setsigdefault(&setup.attr, &defaults);

  int lowest_closed = 3;
  int passed = -1;  // a copy above 3, so that dup2 onto 3 always takes effect
  if (rc == 0 && extras.pass_fd >= 0) {
    passed = fcntl(extras.pass_fd, F_DUPFD_CLOEXEC, 4);
    if (passed < 0) rc = errno;
    if (rc == 0) rc = posix_spawn_file_actions_adddup2(&setup.actions, passed, 3);
    lowest_closed = 4;
  }
  if (rc == 0 && !extras.output_file.empty()) {
    rc = posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    if (rc == 0) {
      rc = posix_spawn_file_actions_addopen(&setup.actions, 1, extras.output_file.c_str(),
                                            O_WRONLY | O_APPEND | O_CREAT, 0600);
    }
    if (rc == 0) rc = posix_spawn_file_actions_adddup2(&setup.actions, 1, 2);
  }
  if (rc == 0 && !launch.directory.empty()) {
    rc = posix_spawn_file_actions_addchdir_np(&setup.actions, launch.directory.c_str());
  }
  if (rc == 0) rc = posix_spawn_file_actions_addclosefrom_np(&setup.actions, lowest_closed);

  if (rc == 0) {
    std::vector<std::string> argv = launch.argv;
    std::vector<std::string> env =
        launch.replace_environment || !launch.environment.empty() ? launch.environment : EnvironmentEntries();
    std::vector<char*> argv_p = Pointers(argv);
    std::vector<char*> env_p = Pointers(env);
    pid_t pid = -1;
    rc = launch.search_path
             ? posix_spawnp(&pid, launch.program.c_str(), &setup.actions, &setup.attr, argv_p.data(), env_p.data())
             : posix_spawn(&pid, launch.program.c_str(), &setup.actions, &setup.attr, argv_p.data(), env_p.data());
    if (rc == 0) result.pid = pid;
  }
  if (passed >= 0) close(passed);
  result.error = rc;
  return result;
}

LaunchResult Launch(const ProcessLaunch& launch) {
  ProcessLauncher launcher;
  {
    LauncherSlot& slot = Slot();
    std::lock_guard<std::mutex> guard(slot.lock);
    launcher = slot.launcher;
  }
  return launcher ? launcher(launch) : Spawn(launch);
}

bool LauncherReplaced() {
  LauncherSlot& slot = Slot();
  std::lock_guard<std::mutex> guard(slot.lock);
  return static_cast<bool>(slot.launcher);
}

DWORD ErrorFromSpawn(int error_number) {
  switch (error_number) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case ENOEXEC:
    case ELIBBAD: return ERROR_BAD_EXE_FORMAT;
    case ENOMEM:
    case EAGAIN: return ERROR_NOT_ENOUGH_MEMORY;
    case E2BIG: return ERROR_INVALID_PARAMETER;
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    default: return ERROR_INVALID_FUNCTION;
  }
}

}  // namespace qvp::shell

namespace qvp {

void SetProcessLauncher(ProcessLauncher launcher) {
  shell::LauncherSlot& slot = shell::Slot();
  std::lock_guard<std::mutex> guard(slot.lock);
  slot.launcher = std::move(launcher);
}

}  // namespace qvp
