// The one key table of libdisp: each row names a key, gives its Windows virtual-key code
// (what a program asks IsKey260 about) and the SDL keycode that produces it. The key names
// of DISP_KEYS scripts, the generated headers and the tests read it here; the SDL column
// is only a name until the SDL backend expands it (sdl/keymap.h), so nothing else needs
// SDL's headers.
#pragma once
#include <strings.h>

// Row: (name, virtual-key code, SDL keycode). A name appears once; several SDL keys may
// share one code (both Shift keys, both Enter keys), the first row of a code names it.
// clang-format off
#define DSP_KEY_TABLE(key_row)                  \
  key_row(BACKSPACE, 8, SDLK_BACKSPACE)         \
  key_row(TAB, 9, SDLK_TAB)                     \
  key_row(ENTER, 13, SDLK_RETURN)               \
  key_row(KP_ENTER, 13, SDLK_KP_ENTER)          \
  key_row(SHIFT, 16, SDLK_LSHIFT)               \
  key_row(RSHIFT, 16, SDLK_RSHIFT)              \
  key_row(CTRL, 17, SDLK_LCTRL)                 \
  key_row(RCTRL, 17, SDLK_RCTRL)                \
  key_row(ALT, 18, SDLK_LALT)                   \
  key_row(RALT, 18, SDLK_RALT)                  \
  key_row(PAUSE, 19, SDLK_PAUSE)                \
  key_row(ESC, 27, SDLK_ESCAPE)                 \
  key_row(SPACE, 32, SDLK_SPACE)                \
  key_row(PAGEUP, 33, SDLK_PAGEUP)              \
  key_row(PAGEDOWN, 34, SDLK_PAGEDOWN)          \
  key_row(END, 35, SDLK_END)                    \
  key_row(HOME, 36, SDLK_HOME)                  \
  key_row(LEFT, 37, SDLK_LEFT)                  \
  key_row(UP, 38, SDLK_UP)                      \
  key_row(RIGHT, 39, SDLK_RIGHT)                \
  key_row(DOWN, 40, SDLK_DOWN)                  \
  key_row(PRINTSCREEN, 44, SDLK_PRINTSCREEN)    \
  key_row(INSERT, 45, SDLK_INSERT)              \
  key_row(DELETE, 46, SDLK_DELETE)              \
  key_row(0, 48, SDLK_0)                        \
  key_row(1, 49, SDLK_1)                        \
  key_row(2, 50, SDLK_2)                        \
  key_row(3, 51, SDLK_3)                        \
  key_row(4, 52, SDLK_4)                        \
  key_row(5, 53, SDLK_5)                        \
  key_row(6, 54, SDLK_6)                        \
  key_row(7, 55, SDLK_7)                        \
  key_row(8, 56, SDLK_8)                        \
  key_row(9, 57, SDLK_9)                        \
  key_row(A, 65, SDLK_a)                        \
  key_row(B, 66, SDLK_b)                        \
  key_row(C, 67, SDLK_c)                        \
  key_row(D, 68, SDLK_d)                        \
  key_row(E, 69, SDLK_e)                        \
  key_row(F, 70, SDLK_f)                        \
  key_row(G, 71, SDLK_g)                        \
  key_row(H, 72, SDLK_h)                        \
  key_row(I, 73, SDLK_i)                        \
  key_row(J, 74, SDLK_j)                        \
  key_row(K, 75, SDLK_k)                        \
  key_row(L, 76, SDLK_l)                        \
  key_row(M, 77, SDLK_m)                        \
  key_row(N, 78, SDLK_n)                        \
  key_row(O, 79, SDLK_o)                        \
  key_row(P, 80, SDLK_p)                        \
  key_row(Q, 81, SDLK_q)                        \
  key_row(R, 82, SDLK_r)                        \
  key_row(S, 83, SDLK_s)                        \
  key_row(T, 84, SDLK_t)                        \
  key_row(U, 85, SDLK_u)                        \
  key_row(V, 86, SDLK_v)                        \
  key_row(W, 87, SDLK_w)                        \
  key_row(X, 88, SDLK_x)                        \
  key_row(Y, 89, SDLK_y)                        \
  key_row(Z, 90, SDLK_z)                        \
  key_row(LWIN, 91, SDLK_LGUI)                  \
  key_row(RWIN, 92, SDLK_RGUI)                  \
  key_row(APPS, 93, SDLK_APPLICATION)           \
  key_row(KP_0, 96, SDLK_KP_0)                  \
  key_row(KP_1, 97, SDLK_KP_1)                  \
  key_row(KP_2, 98, SDLK_KP_2)                  \
  key_row(KP_3, 99, SDLK_KP_3)                  \
  key_row(KP_4, 100, SDLK_KP_4)                 \
  key_row(KP_5, 101, SDLK_KP_5)                 \
  key_row(KP_6, 102, SDLK_KP_6)                 \
  key_row(KP_7, 103, SDLK_KP_7)                 \
  key_row(KP_8, 104, SDLK_KP_8)                 \
  key_row(KP_9, 105, SDLK_KP_9)                 \
  key_row(KP_MULTIPLY, 106, SDLK_KP_MULTIPLY)   \
  key_row(KP_PLUS, 107, SDLK_KP_PLUS)           \
  key_row(KP_MINUS, 109, SDLK_KP_MINUS)         \
  key_row(KP_PERIOD, 110, SDLK_KP_PERIOD)       \
  key_row(KP_DIVIDE, 111, SDLK_KP_DIVIDE)       \
  key_row(F1, 112, SDLK_F1)                     \
  key_row(F2, 113, SDLK_F2)                     \
  key_row(F3, 114, SDLK_F3)                     \
  key_row(F4, 115, SDLK_F4)                     \
  key_row(F5, 116, SDLK_F5)                     \
  key_row(F6, 117, SDLK_F6)                     \
  key_row(F7, 118, SDLK_F7)                     \
  key_row(F8, 119, SDLK_F8)                     \
  key_row(F9, 120, SDLK_F9)                     \
  key_row(F10, 121, SDLK_F10)                   \
  key_row(F11, 122, SDLK_F11)                   \
  key_row(F12, 123, SDLK_F12)                   \
  key_row(F13, 124, SDLK_F13)                   \
  key_row(F14, 125, SDLK_F14)                   \
  key_row(F15, 126, SDLK_F15)                   \
  key_row(F16, 127, SDLK_F16)                   \
  key_row(F17, 128, SDLK_F17)                   \
  key_row(F18, 129, SDLK_F18)                   \
  key_row(F19, 130, SDLK_F19)                   \
  key_row(F20, 131, SDLK_F20)                   \
  key_row(F21, 132, SDLK_F21)                   \
  key_row(F22, 133, SDLK_F22)                   \
  key_row(F23, 134, SDLK_F23)                   \
  key_row(F24, 135, SDLK_F24)                   \
  key_row(NUMLOCK, 144, SDLK_NUMLOCKCLEAR)      \
  key_row(SCROLLLOCK, 145, SDLK_SCROLLLOCK)     \
  key_row(SEMICOLON, 186, SDLK_SEMICOLON)       \
  key_row(PLUS, 187, SDLK_EQUALS)               \
  key_row(COMMA, 188, SDLK_COMMA)               \
  key_row(MINUS, 189, SDLK_MINUS)               \
  key_row(PERIOD, 190, SDLK_PERIOD)             \
  key_row(SLASH, 191, SDLK_SLASH)               \
  key_row(BACKQUOTE, 192, SDLK_BACKQUOTE)       \
  key_row(LEFTBRACKET, 219, SDLK_LEFTBRACKET)   \
  key_row(BACKSLASH, 220, SDLK_BACKSLASH)       \
  key_row(RIGHTBRACKET, 221, SDLK_RIGHTBRACKET) \
  key_row(QUOTE, 222, SDLK_QUOTE)               \
  key_row(LESS, 226, SDLK_LESS)
// clang-format on

struct dsp_key {
  char const* name;
  unsigned vk;
};

#define DSP_KEY_ROW(name, vk, sdl) {#name, vk},
inline constexpr dsp_key dsp_keys[] = {DSP_KEY_TABLE(DSP_KEY_ROW)};
#undef DSP_KEY_ROW

// Virtual-key code of a key name (any letter case), 0 for an unknown name.
inline unsigned dsp_vkofname(char const* name) {
  for (dsp_key const& k : dsp_keys)
    if (strcasecmp(k.name, name) == 0) return k.vk;
  return 0;
}
