// Defines every entry of both libraries as a recorder.
#include "tests/support/recorder.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <type_traits>

#include "platform/disp/disp.h"
#include "platform/sound/sound.h"

namespace rec {

namespace {

double defaultnumeric(call const& c) {
  if (c.entry == "abs2") return std::sqrt(c.num(0) * c.num(0) + c.num(1) * c.num(1));
  if (c.entry == "arccos5") return std::acos(c.num(0));
  return 0;
}

std::string defaulttext(call const& c) {
  if (c.args.empty()) return "";
  if (c.args[0].istext) return c.args[0].text;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.0f", c.args[0].num);
  return buf;
}

}  // namespace

std::vector<call> calls;
std::function<double(call const&)> numeric_result = defaultnumeric;
std::function<std::string(call const&)> text_result = defaulttext;

namespace {

arg toarg(char const* s) {
  arg a;
  a.text = s ? s : "";
  a.istext = true;
  return a;
}
// Numbers, and pointers as their address.
template <typename T>
arg toarg(T v) {
  arg a;
  if constexpr (std::is_pointer_v<T>) {
    a.num = static_cast<double>(reinterpret_cast<std::uintptr_t>(v));
  } else {
    a.num = static_cast<double>(v);
  }
  return a;
}

template <typename... A>
call const& log(char const* entry, A... a) {
  calls.push_back(call{entry, {toarg(a)...}});
  return calls.back();
}

// Result conversion by the entry's result code.
thread_local std::string textbuf;
template <typename R>
R result(call const& c) {
  // Void entries still consult the script, so a test can give them effects (a clock
  // that a delay advances, a font size that text measures with).
  if constexpr (std::is_void_v<R>) {
    numeric_result(c);
  } else if constexpr (std::is_same_v<R, char const*>) {
    textbuf = text_result(c);
    return textbuf.c_str();
  } else if constexpr (std::is_pointer_v<R>) {
    return reinterpret_cast<R>(static_cast<std::uintptr_t>(numeric_result(c)));
  } else {
    return static_cast<R>(numeric_result(c));
  }
}

}  // namespace

void reset() {
  calls.clear();
  numeric_result = defaultnumeric;
  text_result = defaulttext;
}

std::vector<call> of(std::string const& entry) {
  std::vector<call> out;
  for (call const& c : calls) {
    if (c.entry == entry) out.push_back(c);
  }
  return out;
}

size_t count(std::string const& entry) { return of(entry).size(); }

}  // namespace rec

#define QUIB_RECORD_ENTRY(entry, name, ret, types)                          \
  extern "C" qr_##ret entry(QUIB_PARAMS(qe_, types)) {                      \
    return rec::result<qr_##ret>(rec::log(#entry QUIB_RECORD_ARGS(types))); \
  }
#define QUIB_RECORD_ARGS(types) QUIB_CAT(QUIB_RECORD_ARGS_, QUIB_NARGS types)
#define QUIB_RECORD_ARGS_0
#define QUIB_RECORD_ARGS_1 , QUIB_A_1
#define QUIB_RECORD_ARGS_2 , QUIB_A_2
#define QUIB_RECORD_ARGS_3 , QUIB_A_3
#define QUIB_RECORD_ARGS_4 , QUIB_A_4
#define QUIB_RECORD_ARGS_5 , QUIB_A_5
#define QUIB_RECORD_ARGS_6 , QUIB_A_6
#define QUIB_RECORD_ARGS_7 , QUIB_A_7
#define QUIB_RECORD_ARGS_8 , QUIB_A_8
#define QUIB_RECORD_ARGS_9 , QUIB_A_9
#define QUIB_RECORD_ARGS_10 , QUIB_A_10
#define QUIB_RECORD_ARGS_11 , QUIB_A_11

QUIB_DISP_ENTRIES(QUIB_RECORD_ENTRY)
QUIB_SOUND_ENTRIES(QUIB_RECORD_ENTRY)
// The hooks are set before main() runs (the facade's error channel), before the record
// exists; they only take the function, unrecorded.
#undef QUIB_DISP_EXT_HOOKS
#undef QUIB_SOUND_EXT_HOOKS
#define QUIB_DISP_EXT_HOOKS(X)
#define QUIB_SOUND_EXT_HOOKS(X)
QUIB_DISP_EXTENSIONS(QUIB_RECORD_ENTRY)
QUIB_SOUND_EXTENSIONS(QUIB_RECORD_ENTRY)
extern "C" qr_v disp_seterrorwatch(qe_ef, qe_p) {}
extern "C" qr_v disp_setlog(qe_lf, qe_p) {}
extern "C" qr_v sound_seterrorwatch(qe_ef, qe_p) {}
extern "C" qr_v sound_setlog(qe_lf, qe_p) {}
extern "C" qr_v sound_setclock(qe_ck) {}
