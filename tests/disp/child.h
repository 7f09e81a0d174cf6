// Runs this test program again as a child process in one named scenario (argv:
// --scenario NAME), with an environment of the test's choosing, and reads back its exit
// status and what it printed. Used where a behaviour depends on the environment read once
// at start, or must be seen from outside the process.
#pragma once
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace child {

struct result {
  int status = -1;  // exit status, or 128 + the signal that ended it
  std::string out, err;
  std::vector<std::string> errlines() const {
    std::vector<std::string> v;
    std::istringstream in(err);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
  }
};

inline std::string slurp(std::string const& path) {
  std::ifstream f(path);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

// The current environment without the variables whose names begin with one of `drop`
// (e.g. "DISP_", "DISPLAY="), then `add`.
inline std::vector<std::string> environment(std::vector<std::string> const& drop,
                                            std::vector<std::string> const& add) {
  std::vector<std::string> all;
  for (char** e = environ; *e; ++e) {
    std::string v = *e;
    bool dropped = false;
    for (std::string const& d : drop) dropped = dropped || v.rfind(d, 0) == 0;
    if (!dropped) all.push_back(v);
  }
  all.insert(all.end(), add.begin(), add.end());
  return all;
}

// Runs the scenario with exactly `env`; its stdout and stderr go through files in `dir`.
inline result run(char const* scenario, std::vector<std::string> env, std::string const& dir) {
  std::vector<char*> envp;
  for (auto& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::string out = dir + "/out.txt", err = dir + "/err.txt";
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  char self[] = "/proc/self/exe", flag[] = "--scenario";
  std::string name = scenario;
  char* argv[] = {self, flag, name.data(), nullptr};
  result r;
  pid_t pid;
  if (posix_spawn(&pid, self, &fa, nullptr, argv, envp.data()) == 0) {
    int st = 0;
    waitpid(pid, &st, 0);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  }
  posix_spawn_file_actions_destroy(&fa);
  r.out = slurp(out);
  r.err = slurp(err);
  return r;
}

}  // namespace child
