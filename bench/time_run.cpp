// time_run: runs a command once, its output to /dev/null, and prints its wall
// time in seconds and its peak resident memory in KiB. The benchmark times
// every command through it, so the shell's own fork (about a millisecond
// here) is not counted against programs that take a few milliseconds.
// usage: time_run COMMAND [ARGS...]   exits with the command's status
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstring>

extern char** environ;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: time_run COMMAND [ARGS...]\n");
    return 2;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (const int error = posix_spawnp(&pid, argv[1], &actions, nullptr, argv + 1, environ)) {
    std::fprintf(stderr, "time_run: %s: %s\n", argv[1], std::strerror(error));
    return 127;
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) {
    std::perror("time_run: wait4");
    return 2;
  }
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  posix_spawn_file_actions_destroy(&actions);

  std::printf("%.6f %ld\n", wall.count(), usage.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
