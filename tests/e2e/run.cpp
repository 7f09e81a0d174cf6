// Child-process runner for the end-to-end tests.
#include "tests/e2e/run.h"

#include <cairo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;

quibrun runquib(std::map<std::string, std::string> const& env, int seconds) {
  quibopts opts;
  opts.seconds = seconds;
  return runquib(env, opts);
}

quibrun runquib(std::map<std::string, std::string> const& env, quibopts const& opts) {
  std::map<std::string, std::string> all;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string kv = *e;
    size_t eq = kv.find('=');
    if (eq != std::string::npos) all[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  // A test never plays through the speakers of whoever runs it.
  all["ALSOFT_DRIVERS"] = "null";
  for (auto const& [k, v] : env) {
    if (v.empty()) {
      all.erase(k);
    } else {
      all[k] = v;
    }
  }
  std::vector<std::string> kv;
  for (auto const& [k, v] : all) kv.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (std::string& s : kv) envp.push_back(s.data());
  envp.push_back(nullptr);

  std::string errpath =
      std::filesystem::temp_directory_path() / ("quib-e2e-" + std::to_string(getpid()) + ".err");
  std::string outpath = errpath.substr(0, errpath.size() - 3) + "out";
  std::vector<std::string> args = opts.args;
  args.insert(args.begin(), QUIB_BINARY);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    int fd = open(errpath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 2);
    int out = open(outpath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, 1);
    if (chdir(opts.cwd.c_str()) != 0) _exit(126);
    execve(QUIB_BINARY, argv.data(), envp.data());
    _exit(127);
  }
  quibrun r;
  auto start = std::chrono::steady_clock::now();
  auto deadline = start + std::chrono::seconds(opts.seconds);
  bool signalled = opts.signal == 0;
  int wstatus = 0;
  while (waitpid(pid, &wstatus, WNOHANG) == 0) {
    if (!signalled && std::chrono::steady_clock::now() - start >
                          std::chrono::duration<double>(opts.signalafter)) {
      kill(pid, opts.signal);
      signalled = true;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &wstatus, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (WIFEXITED(wstatus)) r.status = WEXITSTATUS(wstatus);
  if (WIFSIGNALED(wstatus)) r.signal = WTERMSIG(wstatus);
  r.err = readfile(errpath);
  r.out = readfile(outpath);
  std::filesystem::remove(errpath);
  std::filesystem::remove(outpath);
  return r;
}

std::map<std::string, double> readstats(std::string const& path) {
  std::map<std::string, double> out;
  std::ifstream in(path);
  std::string name;
  double value;
  while (in >> name >> value) out[name] = value;
  return out;
}

std::string readfile(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

namespace {

// The scratch folders this test program made, removed when it exits (after the last test,
// whether it passed or not), so runs leave nothing behind in the temporary directory. A
// forked child leaves by execve or _exit and never runs this.
struct scratchfolders {
  std::vector<std::filesystem::path> dirs;
  ~scratchfolders() {
    for (auto const& d : dirs) {
      std::error_code ec;
      std::filesystem::remove_all(d, ec);
    }
  }
};

}  // namespace

std::string scratchdir(std::string const& name) {
  static scratchfolders made;
  auto dir = std::filesystem::temp_directory_path() /
             ("quib-e2e-" + std::to_string(getpid()) + "-" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  made.dirs.push_back(dir);
  return dir;
}

long pngpixel(std::string const& path, int x, int y) {
  // Tests read many pixels of one frame: keep the last file decoded.
  static std::string cachedpath;
  static cairo_surface_t* cached = nullptr;
  if (cached == nullptr || path != cachedpath) {
    if (cached != nullptr) cairo_surface_destroy(cached);
    cached = cairo_image_surface_create_from_png(path.c_str());
    cachedpath = path;
  }
  cairo_surface_t* s = cached;
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS || x < 0 || y < 0 ||
      x >= cairo_image_surface_get_width(s) || y >= cairo_image_surface_get_height(s)) {
    return -1;
  }
  cairo_surface_flush(s);
  unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
  return reinterpret_cast<uint32_t*>(row)[x] & 0xFFFFFF;
}
