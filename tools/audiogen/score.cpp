// The arrangement. A minor, i-VI-III-VII (Am F C G), one chord a bar. The intro adds one
// layer every four bars and ends on a two-bar build; the loop runs A (groove), B (lead
// motif), A' (motif with a harmony), C (breakdown that builds again). The last two bars of
// the loop are the same build as the end of the intro, so the loop's first bar follows the
// same music whether it comes after the intro or after the loop's end.
#include "score.h"

#include <array>
#include <cmath>

#include "dsp.h"

namespace ag {

double frameat(double tick) { return kFirstFrame + tick * 604611.0 / 1024.0; }
double tickseconds(double ticks) { return ticks * 604611.0 / 1024.0 / kRate; }

namespace {

static_assert(3087 + kIntroBars * kTicksPerBar * 604611 / 1024 == 1212309, "loop start 27.49 s");
static_assert(kLoopBars * kTicksPerBar * 604611 / 1024 == 2418444, "loop length 54.84 s");

struct Chord {
  int root;                // bass note
  std::array<int, 3> pad;  // close voicing around middle C
  std::array<int, 4> arp;  // tones the arpeggio walks through
};

const std::array<Chord, 4> kChords = {{
    {33, {57, 60, 64}, {57, 60, 64, 69}},  // Am
    {29, {57, 60, 65}, {57, 60, 65, 69}},  // F
    {36, {55, 60, 64}, {55, 60, 64, 67}},  // C
    {31, {55, 59, 62}, {55, 59, 62, 67}},  // G
}};

struct Step {
  int at, len, pitch;  // in 16ths, MIDI
};

// The hook: a 3-3-2 syncopation over each chord, answered in the second half.
const std::array<std::vector<Step>, 8> kMotif = {{
    {{0, 3, 76}, {3, 3, 81}, {6, 2, 76}, {8, 2, 72}, {10, 2, 74}, {12, 4, 76}},
    {{0, 3, 77}, {3, 3, 76}, {6, 2, 72}, {8, 4, 69}, {12, 2, 72}, {14, 2, 74}},
    {{0, 3, 76}, {3, 3, 79}, {6, 2, 76}, {8, 2, 72}, {10, 2, 74}, {12, 4, 76}},
    {{0, 3, 74}, {3, 3, 71}, {6, 2, 67}, {8, 2, 71}, {10, 2, 74}, {12, 4, 79}},
    {{0, 3, 76}, {3, 3, 81}, {6, 2, 76}, {8, 2, 72}, {10, 2, 74}, {12, 4, 76}},
    {{0, 3, 77}, {3, 3, 81}, {6, 2, 77}, {8, 2, 76}, {10, 2, 72}, {12, 4, 69}},
    {{0, 3, 76}, {3, 3, 79}, {6, 2, 76}, {8, 2, 79}, {10, 2, 81}, {12, 4, 79}},
    {{0, 3, 74}, {3, 3, 71}, {6, 2, 67}, {8, 2, 71}, {10, 2, 74}, {12, 2, 76}, {14, 2, 79}},
}};

// Arpeggio order over the four chord tones: groups of three against the 4/4 beat.
const std::array<int, 16> kArpOrder = {0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 3, 2};
// Rolling bass: silent under each kick, octave pops late in the bar.
const std::array<int, 16> kBassLine = {-1, 0, 0, 0, -1, 0, 0, 12, -1, 0, 0, 0, -1, 0, 12, 0};

// A third below in A natural minor, for the harmony line.
int thirdbelow(int note) {
  static const std::array<int, 12> down = {4, 3, 4, 3, 3, 3, 3, 4, 3, 3, 3, 4};  // from A
  return note - down[((note - 57) % 12 + 12) % 12];
}

enum class Bass { none, held, rolling };

// Everything that plays in one bar, with filter settings at its start and end.
struct Bar {
  int chord = 0;
  int kickbeats = 0;
  bool clap = false, crash = false, boom = false, riser = false;
  int hats = 0;  // 0 none, 1 off-beats, 2 off-beats and 16ths
  int roll = 0;  // snare build: 1 eighths, 2 sixteenths into 32nds
  Bass bass = Bass::none;
  double basscut[2] = {400, 400};
  double arpvel = 0.0, arpcut[2] = {2000, 2000};
  int arpup = 0;  // semitones: the arpeggio an octave up lifts the drop
  double padvel = 0.0, padcut[2] = {1500, 1500};
  int motif = -1;
  bool harmony = false;
  double leadtone = 2300.0, leadvel = 1.0;
};

double logramp(double from, double to, double u) { return from * std::pow(to / from, u); }

// The two bars that lead into the loop's first bar, both from the intro and from the loop.
void build(Bar& p, int k) {
  p.kickbeats = k == 0 ? 4 : 3;
  p.clap = false;  // the snare roll takes over
  p.hats = 1;
  p.roll = k + 1;
  p.riser = k == 0;
  p.bass = Bass::rolling;
  p.basscut[0] = k == 0 ? 450 : 800;
  p.basscut[1] = k == 0 ? 800 : 1500;
  p.arpvel = 0.8, p.arpup = 12;
  p.arpcut[0] = k == 0 ? 2200 : 3000;
  p.arpcut[1] = k == 0 ? 3000 : 4200;
  p.padvel = 0.9;
  p.padcut[0] = k == 0 ? 1600 : 2100;
  p.padcut[1] = k == 0 ? 2100 : 2800;
}

Bar intro(int i) {
  Bar p;
  p.chord = i % 4;
  p.padvel = 1.0;
  p.padcut[0] = logramp(260, 1600, i / 14.0);
  p.padcut[1] = logramp(260, 1600, (i + 1) / 14.0);
  p.arpvel = i < 4 ? 0.55 : 0.75;
  p.arpcut[0] = logramp(450, 2400, i / 14.0);
  p.arpcut[1] = logramp(450, 2400, (i + 1) / 14.0);
  if (i >= 4) p.kickbeats = 4;
  if (i >= 4) p.bass = i < 8 ? Bass::held : Bass::rolling;
  p.basscut[0] = p.basscut[1] = i < 8 ? 260 : logramp(280, 450, (i - 8) / 6.0);
  if (i >= 8) p.clap = true, p.hats = i < 12 ? 1 : 2;
  if (i >= 14) build(p, i - 14);
  return p;
}

Bar loop(int j) {
  Bar p;
  p.chord = j % 4;
  int section = j / 8, k = j % 8;
  p.crash = k == 0;
  if (section < 3) {
    p.kickbeats = 4;
    p.clap = true;
    p.bass = Bass::rolling;
    p.boom = k == 0 && section == 0;
  }
  switch (section) {
    case 0:  // A: the groove on its own
      p.hats = k < 4 ? 1 : 2;
      p.basscut[0] = p.basscut[1] = 560;
      p.arpvel = 1.0, p.arpup = 12, p.arpcut[0] = p.arpcut[1] = 2600;
      p.padvel = 0.55, p.padcut[0] = p.padcut[1] = 1500;
      break;
    case 1:  // B: the lead motif
      p.hats = 2;
      p.basscut[0] = p.basscut[1] = 600;
      p.arpvel = 0.7, p.arpcut[0] = p.arpcut[1] = 2000;
      p.padvel = 0.65, p.padcut[0] = p.padcut[1] = 1600;
      p.motif = k;
      break;
    case 2:  // A': the motif with a harmony, everything a little brighter
      p.hats = 2;
      p.basscut[0] = p.basscut[1] = 700;
      p.arpvel = 0.8, p.arpcut[0] = p.arpcut[1] = 2900;
      p.padvel = 0.8, p.padcut[0] = p.padcut[1] = 2000;
      p.motif = k, p.harmony = true;
      break;
    default:  // C: breakdown, then the build back into A
      if (k < 4) {
        p.bass = Bass::held;
        p.basscut[0] = p.basscut[1] = 280;
        p.arpvel = 0.5, p.arpcut[0] = p.arpcut[1] = 1300;
        p.padvel = 1.2;
        p.padcut[0] = logramp(1000, 2200, k / 4.0);
        p.padcut[1] = logramp(1000, 2200, (k + 1) / 4.0);
        p.motif = k, p.leadtone = 1500.0, p.leadvel = 0.8;
      } else if (k < 6) {
        p.kickbeats = 4;
        p.hats = 1;
        p.bass = Bass::rolling;
        p.basscut[0] = logramp(300, 450, (k - 4) / 2.0);
        p.basscut[1] = logramp(300, 450, (k - 3) / 2.0);
        p.arpvel = 0.75;
        p.arpcut[0] = logramp(1500, 2200, (k - 4) / 2.0);
        p.arpcut[1] = logramp(1500, 2200, (k - 3) / 2.0);
        p.padvel = 1.0, p.padcut[0] = p.padcut[1] = 1800;
        p.motif = k, p.leadtone = 1900.0, p.leadvel = 0.9;
      } else {
        build(p, k - 6);
      }
  }
  return p;
}

void addbar(Score& s, const Bar& p, long t0, uint64_t slot) {
  const Chord& c = kChords[p.chord];
  const double bar = tickseconds(kTicksPerBar), sixteenth = tickseconds(kTicksPer16th);
  auto at = [&](double step) { return t0 + static_cast<long>(step * kTicksPer16th); };
  auto seed = [&](int what, int n) { return seedof(slot, static_cast<uint64_t>(what), n); };

  for (int b = 0; b < p.kickbeats; ++b) s.kick.push_back({.tick = at(4 * b)});
  if (p.clap)
    for (int b : {1, 3}) s.clap.push_back({.tick = at(4 * b), .vel = 1.0, .seed = seed(1, b)});
  if (p.crash) s.crash.push_back({.tick = t0, .vel = 1.0, .seed = seed(2, 0)});
  if (p.boom) s.boom.push_back({.tick = t0});
  if (p.riser) s.riser.push_back({.tick = t0, .gate = 2 * bar, .seed = seed(3, 0)});

  for (int st = 0; st < 16 && p.hats; ++st) {
    bool off = st % 4 == 2, fill = p.hats == 2 && st % 2 == 1;
    if (off)
      s.hat.push_back({.tick = at(st), .vel = 0.55, .a = 0.045, .pan = 0.25, .seed = seed(4, st)});
    if (fill) {
      double v = st % 4 == 3 ? 0.3 : 0.2;
      s.hat.push_back({.tick = at(st), .vel = v, .a = 0.016, .pan = -0.3, .seed = seed(4, st)});
    }
  }
  if (p.roll == 1)
    for (int st = 0; st < 16; st += 2)
      s.snare.push_back({.tick = at(st), .vel = 0.25 + 0.25 * st / 16.0, .seed = seed(5, st)});
  if (p.roll == 2) {
    for (int st = 0; st < 12; ++st)
      s.snare.push_back({.tick = at(st), .vel = 0.5 + 0.25 * st / 12.0, .seed = seed(5, st)});
    for (int h = 0; h < 8; ++h)
      s.snare.push_back(
          {.tick = at(12 + h * 0.5), .vel = 0.78 + 0.22 * h / 7.0, .seed = seed(6, h)});
  }

  if (p.bass == Bass::held)
    s.bass.push_back(
        {.tick = t0, .gate = bar * 0.96, .pitch = double(c.root), .vel = 0.9, .a = p.basscut[0]});
  if (p.bass == Bass::rolling)
    for (int st = 0; st < 16; ++st) {
      if (kBassLine[st] < 0) continue;
      double cut = logramp(p.basscut[0], p.basscut[1], st / 16.0);
      s.bass.push_back({.tick = at(st),
                        .gate = sixteenth * 0.75,
                        .pitch = double(c.root + kBassLine[st]),
                        .vel = st % 4 == 1 ? 1.0 : 0.82,
                        .a = cut});
    }

  if (p.arpvel > 0.0)
    for (int st = 0; st < 16; ++st)
      s.arp.push_back({.tick = at(st),
                       .pitch = double(c.arp[kArpOrder[st]] + p.arpup),
                       .vel = p.arpvel * (st % 4 == 0 ? 1.0 : 0.72),
                       .a = logramp(p.arpcut[0], p.arpcut[1], st / 16.0),
                       .pan = st % 2 ? 0.3 : -0.3});

  if (p.padvel > 0.0)
    for (size_t n = 0; n < c.pad.size(); ++n)
      s.pad.push_back({.tick = t0,
                       .gate = bar,
                       .pitch = double(c.pad[n]),
                       .vel = p.padvel,
                       .a = p.padcut[0],
                       .b = p.padcut[1],
                       .seed = seed(7, int(n))});

  if (p.motif >= 0)
    for (const Step& m : kMotif[p.motif]) {
      Note n{.tick = at(m.at),
             .gate = m.len * sixteenth * 0.85,
             .pitch = double(m.pitch),
             .vel = p.leadvel,
             .a = p.leadtone};
      s.lead.push_back(n);
      if (p.harmony) {
        n.pitch = thirdbelow(m.pitch);
        s.harmony.push_back(n);
      }
    }
}

}  // namespace

Score compose(int loops, int extrabars) {
  Score s;
  int bars = kIntroBars + loops * kLoopBars + extrabars;
  for (int b = 0; b < bars; ++b) {
    int inloop = b < kIntroBars ? -1 : (b - kIntroBars) % kLoopBars;
    Bar p = inloop < 0 ? intro(b) : loop(inloop);
    // Seeds repeat every 32 bars, so the intro's build and the loop's build are one sound.
    uint64_t slot = static_cast<uint64_t>(inloop < 0 ? b : inloop + kIntroBars) % kLoopBars;
    addbar(s, p, b * kTicksPerBar, slot);
  }
  return s;
}

}  // namespace ag
