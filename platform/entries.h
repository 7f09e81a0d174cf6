// The one list of the display and sound library entries: name, facade name, result and
// parameter types, written once. The library headers, the facade and the tests expand it.
#pragma once

// Row: X(entry, facade name, result, (parameters)). Types are one-token codes:
//   v void, d double, f float, l long, u unsigned long, uc unsigned char, c char,
//   bool bool, s char const*, ws short const*, b bitmap*, bb bitbuf*, p void*,
//   ms text returned by the library and copied by the facade into a mystring.
// Byte-sized parameters (uc, c, bool) reach the entry widened to 32 bits, sign kept.

#define QUIB_DISP_ENTRIES(X)                                 \
  X(abs2, abs, d, (d, d))                                    \
  X(arccos5, arccos, d, (d))                                 \
  X(i2s7, i2s, ms, (l))                                      \
  X(Delay28, delay, v, (u))                                  \
  X(GetFPS37, getfps, u, ())                                 \
  X(CreateWin42, createwin, bool, (u, u))                    \
  X(FreshWin45, freshwin, v, ())                             \
  X(CloseWin46, closewin, v, ())                             \
  X(IsWin47, iswin, bool, ())                                \
  X(GetTimeR49, gettimer, d, ())                             \
  X(SetTitle51, settitle, v, (s))                            \
  X(SetPenWidth82, setpenwidth, v, (u))                      \
  X(HSN2RGB100, hsn2rgb, u, (u))                             \
  X(SetFontSize107, setfontsize, v, (u, u))                  \
  X(SetFontName113, setfontname, v, (s))                     \
  X(GetStringWidth115, getstringwidth, u, (s))               \
  X(GetStringHeight116, getstringheight, u, (s))             \
  X(DrawTextXY121, drawtextxy, v, (s, l, l, u))              \
  X(Line155, line, v, (l, l, l, l, u))                       \
  X(Clear164, clear, v, ())                                  \
  X(Triangle166, triangle, v, (l, l, l, l, l, l, u, u))      \
  X(Arc170, arc, v, (l, l, l, l, d, d, u, u))                \
  X(Circle186, circle, v, (l, l, l, u, u))                   \
  X(Circle187, circle, v, (l, l, l, u))                      \
  X(GetPixel148, getpixel, u, (u, u))                        \
  X(IsNextMsg254, isnextmsg, bool, ())                       \
  X(IsKey260, iskey, bool, (u))

#define QUIB_SOUND_ENTRIES(X)                                \
  X(InitAudio1, initaudio, bool, ())                         \
  X(LoadAudio3, loadaudio, u, (s))                           \
  X(PlayAudio8, playaudio, u, (u))                           \
  X(PlayAudio9, playaudio, u, (u, f))                        \
  X(GetAudioPos15, getaudiopos, d, (u))                      \
  X(SetAudioPos22, setaudiopos, u, (u, f))                   \
  X(SetAudioFrq26, setaudiofrq, u, (u, f))

// ---- Expansion helpers -------------------------------------------------------------

#define QUIB_CAT(a, b) QUIB_CAT_(a, b)
#define QUIB_CAT_(a, b) a##b
#define QUIB_APPLY(m, args) m args
#define QUIB_UNPACK(...) __VA_ARGS__

#define QUIB_NARGS(...) QUIB_NARGS_(__VA_OPT__(__VA_ARGS__, ) 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0)
#define QUIB_NARGS_(_1, _2, _3, _4, _5, _6, _7, _8, _9, _10, _11, _12, n, ...) n

// QUIB_PARAMS(qe_, (d, u)) -> qe_d a1, qe_u a2 ; QUIB_ARGS((d, u)) -> a1, a2
#define QUIB_PARAMS(pre, types) \
  QUIB_APPLY(QUIB_CAT(QUIB_P_, QUIB_NARGS types), (pre, QUIB_UNPACK types))
#define QUIB_ARGS(types) QUIB_CAT(QUIB_A_, QUIB_NARGS types)

#define QUIB_P_0(p, ...)
#define QUIB_P_1(p, t1) p##t1 a1
#define QUIB_P_2(p, t1, t2) QUIB_P_1(p, t1), p##t2 a2
#define QUIB_P_3(p, t1, t2, t3) QUIB_P_2(p, t1, t2), p##t3 a3
#define QUIB_P_4(p, t1, t2, t3, t4) QUIB_P_3(p, t1, t2, t3), p##t4 a4
#define QUIB_P_5(p, t1, t2, t3, t4, t5) QUIB_P_4(p, t1, t2, t3, t4), p##t5 a5
#define QUIB_P_6(p, t1, t2, t3, t4, t5, t6) QUIB_P_5(p, t1, t2, t3, t4, t5), p##t6 a6
#define QUIB_P_7(p, t1, t2, t3, t4, t5, t6, t7) QUIB_P_6(p, t1, t2, t3, t4, t5, t6), p##t7 a7
#define QUIB_P_8(p, t1, t2, t3, t4, t5, t6, t7, t8) \
  QUIB_P_7(p, t1, t2, t3, t4, t5, t6, t7), p##t8 a8
#define QUIB_P_9(p, t1, t2, t3, t4, t5, t6, t7, t8, t9) \
  QUIB_P_8(p, t1, t2, t3, t4, t5, t6, t7, t8), p##t9 a9
#define QUIB_P_10(p, t1, t2, t3, t4, t5, t6, t7, t8, t9, t10) \
  QUIB_P_9(p, t1, t2, t3, t4, t5, t6, t7, t8, t9), p##t10 a10
#define QUIB_P_11(p, t1, t2, t3, t4, t5, t6, t7, t8, t9, t10, t11) \
  QUIB_P_10(p, t1, t2, t3, t4, t5, t6, t7, t8, t9, t10), p##t11 a11

#define QUIB_A_0
#define QUIB_A_1 a1
#define QUIB_A_2 a1, a2
#define QUIB_A_3 a1, a2, a3
#define QUIB_A_4 a1, a2, a3, a4
#define QUIB_A_5 a1, a2, a3, a4, a5
#define QUIB_A_6 a1, a2, a3, a4, a5, a6
#define QUIB_A_7 a1, a2, a3, a4, a5, a6, a7
#define QUIB_A_8 a1, a2, a3, a4, a5, a6, a7, a8
#define QUIB_A_9 a1, a2, a3, a4, a5, a6, a7, a8, a9
#define QUIB_A_10 a1, a2, a3, a4, a5, a6, a7, a8, a9, a10
#define QUIB_A_11 a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11

// ---- Types as the libraries see them -----------------------------------------------

struct bitmap;  // a drawing surface: the window's picture or an off-screen one
struct bitbuf;  // a pixel buffer made from a bitmap

// Parameter types at the entry (bytes widened to 32 bits) ...
typedef void qe_v;
typedef double qe_d;
typedef float qe_f;
typedef long qe_l;
typedef unsigned long qe_u;
typedef unsigned int qe_uc;
typedef int qe_c;
typedef int qe_bool;
typedef char const* qe_s;
typedef short const* qe_ws;
typedef bitmap* qe_b;
typedef bitbuf* qe_bb;
typedef void* qe_p;
// ... and result types of the entries.
typedef void qr_v;
typedef double qr_d;
typedef float qr_f;
typedef long qr_l;
typedef unsigned long qr_u;
typedef bool qr_bool;
typedef char const* qr_s;
typedef char const* qr_ms;
typedef short const* qr_ws;
typedef bitmap* qr_b;
typedef bitbuf* qr_bb;

// Declares one entry with C linkage: QUIB_DECLARE_ENTRY(abs2, abs, d, (d, d)).
#define QUIB_DECLARE_ENTRY(entry, name, ret, types) \
  extern "C" qr_##ret entry(QUIB_PARAMS(qe_, types));
