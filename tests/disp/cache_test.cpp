// The drawing caches change no pixel: random outlined circles (inside the picture, across
// its edges, over coloured shapes, on the window and on a bitmap, every pen) and whole game
// frames come out identical with the caches and without them (DISP_CACHE=0).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "platform/disp/disp.h"
#include "tests/disp/child.h"

namespace {

// A hash of every pixel of a picture (FNV-1a), and how many are not black.
struct digest {
  uint64_t hash = 1469598103934665603ull;
  long inked = 0;
  void add(unsigned long px) {
    for (int i = 0; i < 3; ++i) hash = (hash ^ ((px >> (8 * i)) & 255)) * 1099511628211ull;
    inked += px != 0;
  }
};

// Circles of every kind the cache meets, drawn over filled shapes so that blends over
// colours count too, then the hashes of the window's picture and of a bitmap.
int circles() {
  if (!CreateWin42(800, 600)) return 2;
  bitmap* b = CreateBMP192(300, 200);
  std::mt19937 rnd(12345);
  auto pick = [&](long lo, long hi) { return std::uniform_int_distribution<long>(lo, hi)(rnd); };
  for (int i = 0; i < 40; ++i) {
    unsigned long c = unsigned(pick(0, 0xFFFFFF));
    Bar158(pick(0, 700), pick(0, 500), pick(5, 200), pick(5, 200), 1, c);
    Triangle167(pick(0, 800), pick(0, 600), pick(0, 800), pick(0, 600), pick(0, 800), pick(0, 600),
                c ^ 0x5A5A5A);
  }
  long const pens[] = {1, 2, 2, 2, 3, 4, 7};
  for (int i = 0; i < 1500; ++i) {
    SetPenWidth82(qe_u(pens[pick(0, 6)]));
    long r = i % 50 == 0 ? pick(1025, 1400) : i % 3 == 0 ? pick(1, 40) : pick(1, 300);
    long x = i % 2 ? pick(r + 6, 800 - r - 6) : pick(-r, 800 + r);  // whole, or anywhere
    long y = i % 2 ? pick(r + 6, 600 - r - 6) : pick(-r, 600 + r);
    unsigned long c = unsigned(pick(0, 0xFFFFFF));
    Circle186(x, y, r, c, 1);
    if (i % 4 == 0) Circle185(b, pick(-50, 350), pick(-50, 250), pick(1, 120), c, 1);
  }
  digest win, bmp;
  for (unsigned y = 0; y < 600; ++y)
    for (unsigned x = 0; x < 800; ++x) win.add(GetPixel148(x, y));
  for (unsigned y = 0; y < 200; ++y)
    for (unsigned x = 0; x < 300; ++x) bmp.add(GetPixel147(b, x, y));
  printf("%016llx %ld %016llx %ld\n", (unsigned long long)win.hash, win.inked,
         (unsigned long long)bmp.hash, bmp.inked);
  ReleaseBMP194(b);
  return 0;
}

struct Cache : ::testing::Test {
  std::string dir;
  void SetUp() override {
    char tmpl[] = "/tmp/disp_cache.XXXXXX";
    dir = mkdtemp(tmpl);
  }
  void TearDown() override { std::system(("rm -rf " + dir).c_str()); }
  child::result run(char const* scenario, std::vector<std::string> add) {
    add.push_back("DISP_HEADLESS=1");
    return child::run(scenario, child::environment({"DISP_"}, add), dir);
  }
};

TEST_F(Cache, CirclesAreIdenticalWithAndWithoutTheCache) {
  child::result with = run("circles", {});
  child::result without = run("circles", {"DISP_CACHE=0"});
  ASSERT_EQ(with.status, 0) << with.err;
  ASSERT_EQ(without.status, 0) << without.err;
  EXPECT_EQ(with.out, without.out);
  long winked = 0, binked = 0;
  ASSERT_EQ(sscanf(with.out.c_str(), "%*s %ld %*s %ld", &winked, &binked), 2);
  EXPECT_GT(winked, 100000);  // the picture is well covered, not trivially equal
  EXPECT_GT(binked, 5000);
}

// The real game, headless on the virtual clock with one course and one key script: every
// dumped frame is the same file with the caches and without them.
TEST_F(Cache, GameFramesAreIdenticalWithAndWithoutTheCache) {
  std::string keys = dir + "/keys";
  FILE* f = fopen(keys.c_str(), "w");
  ASSERT_TRUE(f);
  fputs("0.5 F12\n2 F9\n9 UP\n9.5 HOME\n14 RIGHT\n14.2 RIGHT\n19 KP_PLUS\n26 F12\n27 SPACE\n", f);
  fclose(f);
  std::string shots[2];
  for (int k = 0; k < 2; ++k) {
    std::string d = dir + (k ? "/without" : "/with");
    ASSERT_EQ(std::system(("mkdir -p " + d).c_str()), 0);
    for (int s = 1; s <= 39; s += 2) {
      if (s > 1) shots[k] += ',';
      shots[k].append(std::to_string(s)).append(".3:").append(d).append("/f");
      shots[k].append(std::to_string(s)).append(".png");
    }
    std::string cmd = "cd " + dir + " && env " + (k ? "DISP_CACHE=0 " : "") +
                      "DISP_HEADLESS=1 DISP_CLOCK=virtual ALSOFT_DRIVERS=null QUIB_SEED=7 "
                      "DISP_QUIT_AT=40 DISP_KEYS=" +
                      keys + " DISP_SHOT=" + shots[k] + " " + QUIB_BINARY + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  }
  for (int s = 1; s <= 39; s += 2) {
    std::string name = "/f" + std::to_string(s) + ".png";
    std::string a = child::slurp(dir + "/with" + name), b = child::slurp(dir + "/without" + name);
    ASSERT_GT(a.size(), 1000u) << name;
    EXPECT_TRUE(a == b) << "frame " << name << " differs";
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && !strcmp(argv[1], "--scenario") && !strcmp(argv[2], "circles")) return circles();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
