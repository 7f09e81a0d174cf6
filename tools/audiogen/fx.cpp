// Delay lines of the echo and the reverb.
#include "fx.h"

#include <array>
#include <cmath>

#include "dsp.h"

namespace ag {
namespace {

// Fixed-length circular delay line.
class Line {
 public:
  explicit Line(size_t n) : b_(n, 0.0) {}
  double out() const { return b_[i_]; }
  void in(double x) {
    b_[i_] = x;
    if (++i_ == b_.size()) i_ = 0;
  }

 private:
  std::vector<double> b_;
  size_t i_ = 0;
};

class Comb {
 public:
  explicit Comb(size_t n) : line_(n) {}
  double run(double x, double feedback, double damping) {
    double y = line_.out();
    store_ = y * (1.0 - damping) + store_ * damping;
    line_.in(x + store_ * feedback);
    return y;
  }

 private:
  Line line_;
  double store_ = 0.0;
};

class Allpass {
 public:
  explicit Allpass(size_t n) : line_(n) {}
  double run(double x) {
    double d = line_.out();
    line_.in(x + d * 0.5);
    return d - x;
  }

 private:
  Line line_;
};

}  // namespace

Audio pingpong(const Audio& send, double delay, double feedback) {
  Audio out(2, send.frames());
  size_t n = static_cast<size_t>(std::lround(delay * kRate));
  Line left(n), right(n);
  OnePole darkl, darkr, lowl, lowr;
  darkl.set(3200.0);
  darkr.set(3200.0);
  lowl.set(250.0);
  lowr.set(250.0);
  for (size_t i = 0; i < send.frames(); ++i) {
    double yl = left.out(), yr = right.out();
    double mono = 0.5 * (send.at(i, 0) + send.at(i, 1));
    // The input enters on the left only; the right line is fed by the left's output.
    left.in(mono + feedback * darkr.lp(lowr.hp(yr)));
    right.in(darkl.lp(lowl.hp(yl)));
    out.at(i, 0) = yl;
    out.at(i, 1) = yr;
  }
  return out;
}

Audio reverb(const Audio& send, double size, double damping) {
  const std::array<size_t, 8> combs = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  const std::array<size_t, 4> passes = {556, 441, 341, 225};
  const size_t spread = 23, predelay = static_cast<size_t>(0.018 * kRate);
  Audio out(2, send.frames());
  for (int c = 0; c < 2; ++c) {
    std::vector<Comb> cs;
    std::vector<Allpass> as;
    for (size_t n : combs) cs.emplace_back(n + c * spread);
    for (size_t n : passes) as.emplace_back(n + c * spread);
    Line pre(predelay);
    Biquad hp = Biquad::highpass(220.0, 0.7), lp = Biquad::lowpass(6000.0, 0.7);
    for (size_t i = 0; i < send.frames(); ++i) {
      double x = pre.out();
      pre.in(lp.run(hp.run(send.at(i, c))));
      double y = 0.0;
      for (auto& cb : cs) y += cb.run(x * 0.015, size, damping);
      for (auto& ap : as) y = ap.run(y);
      out.at(i, c) = y;
    }
  }
  return out;
}

}  // namespace ag
