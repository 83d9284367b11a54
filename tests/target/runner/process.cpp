#include "runner/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace tsw::target {
namespace {

// Exit code of the child when exec fails; the parent reports it as not started.
constexpr int kExecFailed = 127;

[[noreturn]] void ExecChild(const std::vector<std::string> &argv, const std::string &workingDir, int outFd) {
  ::setpgid(0, 0);
  int devNull = ::open("/dev/null", O_RDONLY);
  if (devNull >= 0)
    ::dup2(devNull, STDIN_FILENO);
  ::dup2(outFd, STDOUT_FILENO);
  ::dup2(outFd, STDERR_FILENO);
  if (!workingDir.empty() && ::chdir(workingDir.c_str()) != 0)
    ::_exit(kExecFailed);
  std::vector<char *> args;
  for (const std::string &arg : argv)
    args.push_back(const_cast<char *>(arg.c_str()));
  args.push_back(nullptr);
  ::execvp(args[0], args.data());
  ::_exit(kExecFailed);
}

} // namespace

ProcessOutcome RunProcess(const std::vector<std::string> &argv, std::chrono::milliseconds limit,
                          const std::string &workingDir) {
  ProcessOutcome outcome;
  if (argv.empty())
    return outcome;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0)
    return outcome;
  pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return outcome;
  }
  if (pid == 0)
    ExecChild(argv, workingDir, fds[1]);
  ::close(fds[1]);
  // Set here too: the child may not have run setpgid yet when we kill.
  ::setpgid(pid, pid);

  auto deadline = std::chrono::steady_clock::now() + limit;
  char buffer[4096];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      outcome.timedOut = true;
      break;
    }
    pollfd pfd{fds[0], POLLIN, 0};
    int ready = ::poll(&pfd, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR)
      continue;
    if (ready <= 0)
      continue; // the deadline check above ends the wait
    ssize_t got = ::read(fds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      break; // every writer closed: the program has ended
    outcome.output.append(buffer, static_cast<size_t>(got));
  }
  ::close(fds[0]);
  if (outcome.timedOut)
    ::kill(-pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) {
    outcome.exitCode = WEXITSTATUS(status);
    outcome.started = outcome.exitCode != kExecFailed;
  } else {
    outcome.started = true;
  }
  return outcome;
}

} // namespace tsw::target
