// libsound on a PulseAudio server of its own that dies and comes back: the game plays on
// silently with positions on the clock, then every sound returns where the clock says, at
// its pitch. The server's monitor is recorded before and after to hear it.
#include <fcntl.h>
#include <glob.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>

#include "platform/sound/sound.h"
#include "tests/sound/testfiles.h"

extern char** environ;

using namespace soundtest;

namespace {

pid_t spawn(std::vector<std::string> args, std::string const& out = "") {
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  if (!out.empty()) posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&fa);
  return pid;
}

void end(pid_t& pid, int sig = SIGTERM) {
  if (pid <= 0) return;
  kill(pid, sig);
  waitpid(pid, nullptr, 0);
  pid = -1;
}

// Our own server: a null sink, one socket in the scratch folder, no cookie; its home and
// runtime folder beside the socket, whatever the client's are.
pid_t startserver(std::string const& socket) {
  std::string const own = socket.substr(0, socket.rfind('/')) + "/server";
  mkdir(own.c_str(), 0700);
  pid_t pid =
      spawn({"env", "HOME=" + own, "XDG_RUNTIME_DIR=" + own, "pulseaudio", "-n", "--daemonize=no",
             "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no", "--log-target=stderr",
             "-L", "module-null-sink sink_name=quibnull", "-L",
             "module-native-protocol-unix auth-anonymous=1 socket=" + socket});
  for (int i = 0; i < 100 && pid > 0; ++i) {
    struct stat st {};
    if (stat(socket.c_str(), &st) == 0) return wait(0.2), pid;
    wait(0.05);
  }
  return pid;
}

// The monitor of the null sink, raw: 16-bit stereo at 48 kHz.
constexpr int recrate = 48000;
pid_t startrecording(std::string const& file, std::string const& socket) {
  return spawn({"parec", "--server=unix:" + socket, "--latency-msec=20", "-d", "quibnull.monitor",
                "--rate=48000", "--channels=2", "--format=s16le"},
               file);
}

struct recording {
  std::vector<short> l, r;
};
recording readraw(std::string const& file) {
  std::string b = slurp(file);
  recording rec;
  for (size_t i = 0; i + 4 <= b.size(); i += 4) {
    short l, r;
    memcpy(&l, &b[i], 2);
    memcpy(&r, &b[i + 2], 2);
    rec.l.push_back(l);
    rec.r.push_back(r);
  }
  return rec;
}

// Whether a channel sounds within [a, b) seconds: its peak.
int peak(std::vector<short> const& x, double a, double b) {
  int most = 0;
  for (size_t i = size_t(a * recrate); i < std::min(x.size(), size_t(b * recrate)); ++i)
    most = std::max(most, std::abs(int(x[i])));
  return most;
}

// First 10 ms block of a channel above the noise, in seconds; -1 if none.
double firstsound(std::vector<short> const& x) {
  for (size_t i = 0; i + recrate / 100 <= x.size(); i += recrate / 100)
    if (peak(x, double(i) / recrate, double(i) / recrate + 0.01) > 500) return double(i) / recrate;
  return -1;
}

// The frequency of a channel in its last `secs`, from upward zero crossings.
double lastpitch(std::vector<short> const& x, double secs) {
  size_t a = x.size() - size_t(secs * recrate), first = 0, last = 0;
  int ups = 0;
  for (size_t i = a + 1; i < x.size(); ++i)
    if (x[i - 1] < 0 && x[i] >= 0) {
      if (!ups++) first = i;
      last = i;
    }
  return ups > 1 ? (ups - 1) * double(recrate) / double(last - first) : 0;
}

// The music: one tone per half second, 300 Hz + 20 Hz per step, so what is heard tells
// where the music is. Left channel only; the effect is on the right.
constexpr double stepsecs = 0.5;
std::string steps(std::string const& name, double secs) {
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  std::string p = at(name);
  SNDFILE* f = sf_open(p.c_str(), SFM_WRITE, &info);
  std::vector<short> pcm;
  double phase = 0;
  for (int i = 0; i < int(secs * 44100); ++i) {
    double hz = 300 + 20 * std::floor(i / 44100.0 / stepsecs);
    phase += 2 * M_PI * hz / 44100;
    pcm.push_back(short(12000 * std::sin(phase)));
    pcm.push_back(0);
  }
  sf_writef_short(f, pcm.data(), sf_count_t(pcm.size() / 2));
  sf_close(f);
  return p;
}

std::string rightonly(std::string const& name) {
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  std::string p = at(name);
  SNDFILE* f = sf_open(p.c_str(), SFM_WRITE, &info);
  std::vector<short> pcm;
  for (int i = 0; i < 44100; ++i) {
    pcm.push_back(0);
    pcm.push_back(short(12000 * std::sin(2 * M_PI * 2000 * i / 44100)));
  }
  sf_writef_short(f, pcm.data(), 44100);
  sf_close(f);
  return p;
}

TEST(SoundServerLoss, PlaysOnSilentlyOnTheClockAndComesBackWhereTheClockSays) {
  mkdir(at("run").c_str(), 0700);
  std::string socket = at("run") + "/native";
  setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
  setenv("ALSOFT_DRIVERS", "pulse", 1);
  pid_t server = startserver(socket);
  if (server <= 0) GTEST_SKIP() << "pulseaudio did not start";
  // stderr into a file we can read while the test runs
  std::string errfile = at("stderr.txt");
  int saved = dup(2);
  int errfd = open(errfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(errfd, 2);
  close(errfd);
  auto said = [&](char const* what) { return slurp(errfile).find(what) != std::string::npos; };

  ASSERT_TRUE(InitAudio1()) << slurp(errfile);
  pid_t rec = startrecording(at("before.raw"), socket);
  unsigned long music = LoadAudio3(steps("steps.wav", 40).c_str());
  unsigned long effect = LoadAudio4(rightonly("effect.wav").c_str(), true);
  ASSERT_NE(music, 0u);
  ASSERT_NE(effect, 0u);
  SetAudioFrq26(music, 12);  // rate 2: two seconds of music per second
  PlayAudio8(music);
  PlayAudio8(effect);
  auto t0 = std::chrono::steady_clock::now();
  while (since(t0) < 2.5) GetAudioPos15(music), wait(0.01);
  double atkill = GetAudioPos15(music);
  end(server, SIGKILL);
  auto tkill = std::chrono::steady_clock::now();
  end(rec, SIGINT);

  // Lost within a second, and meanwhile the position runs on the clock at the rate. The
  // dying device stalls its mixer for a moment first, which the clock cannot see: allow
  // a quarter second of wall time.
  while (!said("lost") && since(tkill) < 2) GetAudioPos15(music), wait(0.01);
  EXPECT_LT(since(tkill), 1.0);
  while (since(tkill) < 2) GetAudioPos15(music), wait(0.01);
  EXPECT_NEAR(GetAudioPos15(music), atkill + 2 * since(tkill), 0.5);
  EXPECT_EQ(GetAudioSit13(music), 1);
  EXPECT_EQ(GetAudioSit13(effect), 1);

  // The new server listens elsewhere first, so its monitor is recorded while the game
  // cannot reach it yet; then its socket moves to where the game looks.
  std::string later = at("run") + "/later";
  server = startserver(later);
  ASSERT_GT(server, 0);
  rec = startrecording(at("after.raw"), later);
  while (since(tkill) < 3) GetAudioPos15(music), wait(0.01);
  ASSERT_EQ(rename(later.c_str(), socket.c_str()), 0);
  auto tstart = std::chrono::steady_clock::now();
  while (!said("back") && since(tstart) < 3) GetAudioPos15(music), wait(0.01);
  EXPECT_LT(since(tstart), 2.0);
  EXPECT_NEAR(GetAudioPos15(music), atkill + 2 * since(tkill), 0.5);
  while (since(tstart) < 4) GetAudioPos15(music), wait(0.01);
  double atend = GetAudioPos15(music);
  EXPECT_EQ(GetAudioSit13(effect), 1);
  end(rec, SIGINT);
  end(server);

  fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::string err = slurp(errfile);
  EXPECT_NE(err.find("sound: the audio device was lost; sounds play on silently\n"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("sound: the audio device is back\n"), std::string::npos) << err;

  // Heard: music and effect before; both again after, the music at the step its position
  // says, still an octave up. (A null sink's monitor records nothing while nobody plays,
  // so the silent stretch shows only as the time missing between the recordings.)
  recording before = readraw(at("before.raw")), after = readraw(at("after.raw"));
  ASSERT_GT(before.l.size(), size_t(recrate));
  EXPECT_GT(peak(before.l, 0, 10), 5000);
  EXPECT_GT(peak(before.r, 0, 10), 5000);
  double back = firstsound(after.l);
  ASSERT_GE(back, 0);
  ASSERT_GT(after.l.size(), size_t((back + 1) * recrate)) << back;
  EXPECT_GT(peak(after.r, back, back + 10), 5000);
  double step = (lastpitch(after.l, 0.1) / 2 - 300) / 20;  // heard at rate 2
  EXPECT_NEAR(step, std::floor(atend / stepsecs), 1.5) << "position " << atend;
}

// Child: opens the device on the server at argv[2] and prints "name policy" for each
// thread of this process.
int listthreads(char const* socket) {
  setenv("PULSE_SERVER", (std::string("unix:") + socket).c_str(), 1);
  setenv("ALSOFT_DRIVERS", "pulse", 1);
  if (!InitAudio1()) return 1;
  for (auto const& e : std::filesystem::directory_iterator("/proc/self/task")) {
    pid_t id = pid_t(std::stoi(e.path().filename().string()));
    std::string name;
    std::getline(std::ifstream(e.path() / "comm"), name);
    printf("%s %d\n", name.c_str(), sched_getscheduler(id));
  }
  return 0;
}

// The policy of each named thread of a child that opened the device, with env set.
std::multimap<std::string, int> childthreads(std::string const& socket, std::string const& env) {
  char self[4096] = {};
  EXPECT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  std::string cmd = "env -u ALSOFT_CONF " + env + " '" + self + "' --threads '" + socket + "'";
  std::multimap<std::string, int> out;
  FILE* p = popen(cmd.c_str(), "r");
  char name[64];
  int policy;
  while (p && fscanf(p, "%63s %d", name, &policy) == 2) out.emplace(name, policy);
  if (p) pclose(p);
  return out;
}

bool realtime(int policy) { return policy == SCHED_RR || policy == SCHED_FIFO; }

// With 3 ms periods a late hop in the feeding chain underruns: where OpenAL Soft gets
// real-time priority for its mixer, libpulse's thread that wakes the mixer gets it too;
// where the user turned that off (rt-prio = 0), neither has it.
TEST(SoundServer, LibpulsesThreadFollowsTheMixersPriority) {
  mkdir(at("run").c_str(), 0700);
  std::string socket = at("run") + "/prio";
  pid_t server = startserver(socket);
  if (server <= 0) GTEST_SKIP() << "pulseaudio did not start";
  auto got = childthreads(socket, "");
  bool mixerrt = false;
  for (auto& [name, policy] : got) mixerrt = mixerrt || (name != "threaded-ml" && realtime(policy));
  ASSERT_EQ(got.count("threaded-ml"), 1u) << "no libpulse thread: not on PulseAudio?";
  if (!mixerrt) {
    end(server);
    GTEST_SKIP() << "no real-time priority for OpenAL Soft's mixer here (no right to it)";
  }
  EXPECT_TRUE(realtime(got.find("threaded-ml")->second));

  std::string conf = at("nort.conf");
  std::ofstream(conf) << "[general]\nrt-prio = 0\n";
  got = childthreads(socket, "ALSOFT_CONF=" + conf);
  for (auto& [name, policy] : got) EXPECT_FALSE(realtime(policy)) << name;
  end(server);
}

// ---- Frozen and late servers ----------------------------------------------------------
// Each runs in a child of its own: a device that opened or failed in one scenario would
// decide the next one's start.

// The game's pass, as the main loop makes it: the music's position, then a frame's wait.
// Returns the longest time one pass took, in seconds, over secs seconds (or until done).
template <class Done>
double passes(unsigned long music, double secs, Done done) {
  double longest = 0;
  auto t0 = std::chrono::steady_clock::now();
  while (since(t0) < secs && !done()) {
    auto a = std::chrono::steady_clock::now();
    GetAudioPos15(music);
    longest = std::max(longest, since(a));
    wait(0.01);
  }
  return longest;
}

// Child: the server dies; the next one comes back stopped (SIGSTOP), so it takes the
// connection and never answers, for 3 s, and then runs on. Prints "longest back".
int frozenrestart(char const* dir) {
  std::string socket = std::string(dir) + "/native", later = std::string(dir) + "/later";
  setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
  setenv("ALSOFT_DRIVERS", "pulse", 1);
  pid_t server = startserver(socket);
  if (server <= 0 || !InitAudio1()) return 3;
  unsigned long music = LoadAudio4(steps("steps.wav", 20).c_str(), true);
  PlayAudio8(music);
  passes(music, 0.5, [] { return false; });
  end(server, SIGKILL);
  server = startserver(later);
  kill(server, SIGSTOP);
  rename(later.c_str(), socket.c_str());
  std::string err = at("frozen.txt");
  int saved = dup(2);
  int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(fd, 2);
  close(fd);
  double longest = passes(music, 3, [] { return false; });
  kill(server, SIGCONT);
  auto t0 = std::chrono::steady_clock::now();
  longest = std::max(
      longest, passes(music, 6, [&] { return slurp(err).find("is back") != std::string::npos; }));
  double back = since(t0);
  longest = std::max(longest, passes(music, 0.5, [] { return false; }));
  dup2(saved, 2);
  fputs(slurp(err).c_str(), stderr);  // what was said meanwhile, for the caller to see
  printf("%f %f %ld\n", longest, back, GetAudioSit13(music));
  end(server);
  return 0;
}

// Child: no server at start; one starts 1 s later. Prints "longest found".
int latestart(char const* dir) {
  std::string socket = std::string(dir) + "/native";
  setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
  std::string err = at("late.txt");
  int saved = dup(2);
  int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(fd, 2);
  close(fd);
  InitAudio1();
  unsigned long music = LoadAudio4(steps("steps.wav", 20).c_str(), true);
  PlayAudio8(music);
  double longest = passes(music, 1, [] { return false; });
  pid_t server = startserver(socket);
  auto t0 = std::chrono::steady_clock::now();
  longest = std::max(
      longest, passes(music, 6, [&] { return slurp(err).find("opened") != std::string::npos; }));
  double found = since(t0);
  dup2(saved, 2);
  fputs(slurp(err).c_str(), stderr);  // what was said meanwhile, for the caller to see
  printf("%f %f %ld\n", longest, found, GetAudioSit13(music));
  end(server);
  return 0;
}

// Runs a scenario in a child; its three figures, or none when it could not run. With err,
// the child's stderr goes to that file.
std::vector<double> scenario(char const* name, std::string const& env = "",
                             std::string const& err = "") {
  char self[4096] = {};
  EXPECT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  std::string dir = at(name);
  mkdir(dir.c_str(), 0700);
  std::string cmd = "env -u ALSOFT_CONF " + env + " '" + self + "' --" + name + " '" + dir + "'";
  if (!err.empty()) cmd += " 2>'" + err + "'";
  FILE* p = popen(cmd.c_str(), "r");
  std::vector<double> got(3);
  bool read = p && fscanf(p, "%lf %lf %lf", &got[0], &got[1], &got[2]) == 3;
  if (p) pclose(p);
  return read ? got : std::vector<double>{};
}

TEST(SoundServerLoss, AServerThatComesBackFrozenNeverHoldsUpAPass) {
  auto got = scenario("frozen");
  if (got.empty()) GTEST_SKIP() << "pulseaudio did not start";
  EXPECT_LE(got[0], 0.1) << "longest pass, s";
  EXPECT_LT(got[1], 3.0) << "heard again after the server woke, s";
  EXPECT_EQ(got[2], 1) << "the music plays on";
}

// The ALSA configuration that sends OpenAL Soft's ALSA backend through ALSA's pulse plugin;
// empty where the plugin is not installed (libasound2-plugins).
std::string alsapulse() {
  glob_t plugin{};
  bool has = glob("/usr/lib/*/alsa-lib/libasound_module_pcm_pulse.so", 0, nullptr, &plugin) == 0;
  globfree(&plugin);
  if (!has) return "";
  std::string conf = at("alsa-pulse.conf");
  std::ofstream(conf) << "[alsa]\ndevice = pulse\n";
  return conf;
}

// OpenAL Soft 1.19 gives up its PulseAudio backend for good when no server answers at
// start-up; ALSA's pulse plugin, the default device of desktop systems, still reaches a
// server that starts later, and is what this scenario goes through.
TEST(SoundServerLoss, AServerStartedAfterTheGameIsUsed) {
  std::string conf = alsapulse();
  if (conf.empty()) GTEST_SKIP() << "no ALSA pulse plugin (libasound2-plugins)";
  auto got = scenario("late", "ALSOFT_DRIVERS=alsa ALSOFT_CONF=" + conf);
  ASSERT_FALSE(got.empty());
  EXPECT_LE(got[0], 0.1) << "longest pass, s";
  EXPECT_LT(got[1], 3.0) << "heard after the server started, s";
  EXPECT_EQ(got[2], 1) << "the music plays on";
}

// With a home it cannot write and a runtime folder that cannot be made, libpulse prints
// lines of its own (no cookie, no folder) from every client set up: OpenAL Soft's PulseAudio
// backend at start and again when the server came back, ALSA's pulse plugin under OpenAL
// Soft's ALSA backend. None reaches stderr as it is: each is one line of ours.
TEST(SoundServerLoss, LibpulsesOwnLinesAreOursOnEveryPath) {
  // ALSOFT_LOGLEVEL unset, as a program starts: set (this process's library set it), the
  // libraries' own lines are asked for.
  std::string const conf = alsapulse(),
                    bare = "-u ALSOFT_LOGLEVEL HOME=/proc XDG_RUNTIME_DIR=/proc/none ";
  struct {
    char const* name;
    std::string env;
  } const cases[] = {
      {"frozen", bare},
      {"late", conf.empty() ? "" : bare + "ALSOFT_DRIVERS=alsa ALSOFT_CONF=" + conf}};
  for (auto const& c : cases) {
    if (c.env.empty()) continue;  // no ALSA pulse plugin here
    std::string const err = at(std::string(c.name) + "-stderr.txt");
    auto got = scenario(c.name, c.env, err);
    if (got.empty()) GTEST_SKIP() << "pulseaudio did not start";
    std::string const text = slurp(err);
    EXPECT_NE(text.find("sound: PulseAudio's client library: Failed to "), std::string::npos)
        << c.name << ":\n"
        << text;
    EXPECT_NE(text.rfind("Failed to", 0), 0u) << c.name << ":\n" << text;
    EXPECT_EQ(text.find("\nFailed to"), std::string::npos) << c.name << ":\n" << text;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--threads") return listthreads(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "--frozen") return frozenrestart(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "--late") return latestart(argv[2]);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
