// The one key table of libdisp: each row names a key, gives its Windows virtual-key code
// (what the game asks IsKey260 about) and the SDL keycode that produces it. The SDL
// translation, the key names of DISP_KEYS scripts and the tests all read this table.
#pragma once
#include <SDL2/SDL_keycode.h>
#include <strings.h>

// Row: X(name, virtual-key code, SDL keycode). A name appears once; several SDL keys may
// share one code (both Shift keys, both Enter keys), the first row of a code names it.
#define DSP_KEY_TABLE(X)                  \
  X(BACKSPACE, 8, SDLK_BACKSPACE)         \
  X(TAB, 9, SDLK_TAB)                     \
  X(ENTER, 13, SDLK_RETURN)               \
  X(KP_ENTER, 13, SDLK_KP_ENTER)          \
  X(SHIFT, 16, SDLK_LSHIFT)               \
  X(RSHIFT, 16, SDLK_RSHIFT)              \
  X(CTRL, 17, SDLK_LCTRL)                 \
  X(RCTRL, 17, SDLK_RCTRL)                \
  X(ALT, 18, SDLK_LALT)                   \
  X(RALT, 18, SDLK_RALT)                  \
  X(PAUSE, 19, SDLK_PAUSE)                \
  X(ESC, 27, SDLK_ESCAPE)                 \
  X(SPACE, 32, SDLK_SPACE)                \
  X(PAGEUP, 33, SDLK_PAGEUP)              \
  X(PAGEDOWN, 34, SDLK_PAGEDOWN)          \
  X(END, 35, SDLK_END)                    \
  X(HOME, 36, SDLK_HOME)                  \
  X(LEFT, 37, SDLK_LEFT)                  \
  X(UP, 38, SDLK_UP)                      \
  X(RIGHT, 39, SDLK_RIGHT)                \
  X(DOWN, 40, SDLK_DOWN)                  \
  X(INSERT, 45, SDLK_INSERT)              \
  X(DELETE, 46, SDLK_DELETE)              \
  X(0, 48, SDLK_0)                        \
  X(1, 49, SDLK_1)                        \
  X(2, 50, SDLK_2)                        \
  X(3, 51, SDLK_3)                        \
  X(4, 52, SDLK_4)                        \
  X(5, 53, SDLK_5)                        \
  X(6, 54, SDLK_6)                        \
  X(7, 55, SDLK_7)                        \
  X(8, 56, SDLK_8)                        \
  X(9, 57, SDLK_9)                        \
  X(A, 65, SDLK_a)                        \
  X(B, 66, SDLK_b)                        \
  X(C, 67, SDLK_c)                        \
  X(D, 68, SDLK_d)                        \
  X(E, 69, SDLK_e)                        \
  X(F, 70, SDLK_f)                        \
  X(G, 71, SDLK_g)                        \
  X(H, 72, SDLK_h)                        \
  X(I, 73, SDLK_i)                        \
  X(J, 74, SDLK_j)                        \
  X(K, 75, SDLK_k)                        \
  X(L, 76, SDLK_l)                        \
  X(M, 77, SDLK_m)                        \
  X(N, 78, SDLK_n)                        \
  X(O, 79, SDLK_o)                        \
  X(P, 80, SDLK_p)                        \
  X(Q, 81, SDLK_q)                        \
  X(R, 82, SDLK_r)                        \
  X(S, 83, SDLK_s)                        \
  X(T, 84, SDLK_t)                        \
  X(U, 85, SDLK_u)                        \
  X(V, 86, SDLK_v)                        \
  X(W, 87, SDLK_w)                        \
  X(X, 88, SDLK_x)                        \
  X(Y, 89, SDLK_y)                        \
  X(Z, 90, SDLK_z)                        \
  X(KP_0, 96, SDLK_KP_0)                  \
  X(KP_1, 97, SDLK_KP_1)                  \
  X(KP_2, 98, SDLK_KP_2)                  \
  X(KP_3, 99, SDLK_KP_3)                  \
  X(KP_4, 100, SDLK_KP_4)                 \
  X(KP_5, 101, SDLK_KP_5)                 \
  X(KP_6, 102, SDLK_KP_6)                 \
  X(KP_7, 103, SDLK_KP_7)                 \
  X(KP_8, 104, SDLK_KP_8)                 \
  X(KP_9, 105, SDLK_KP_9)                 \
  X(KP_MULTIPLY, 106, SDLK_KP_MULTIPLY)   \
  X(KP_PLUS, 107, SDLK_KP_PLUS)           \
  X(KP_MINUS, 109, SDLK_KP_MINUS)         \
  X(KP_PERIOD, 110, SDLK_KP_PERIOD)       \
  X(KP_DIVIDE, 111, SDLK_KP_DIVIDE)       \
  X(F1, 112, SDLK_F1)                     \
  X(F2, 113, SDLK_F2)                     \
  X(F3, 114, SDLK_F3)                     \
  X(F4, 115, SDLK_F4)                     \
  X(F5, 116, SDLK_F5)                     \
  X(F6, 117, SDLK_F6)                     \
  X(F7, 118, SDLK_F7)                     \
  X(F8, 119, SDLK_F8)                     \
  X(F9, 120, SDLK_F9)                     \
  X(F10, 121, SDLK_F10)                   \
  X(F11, 122, SDLK_F11)                   \
  X(F12, 123, SDLK_F12)                   \
  X(SEMICOLON, 186, SDLK_SEMICOLON)       \
  X(PLUS, 187, SDLK_EQUALS)               \
  X(COMMA, 188, SDLK_COMMA)               \
  X(MINUS, 189, SDLK_MINUS)               \
  X(PERIOD, 190, SDLK_PERIOD)             \
  X(SLASH, 191, SDLK_SLASH)               \
  X(BACKQUOTE, 192, SDLK_BACKQUOTE)       \
  X(LEFTBRACKET, 219, SDLK_LEFTBRACKET)   \
  X(BACKSLASH, 220, SDLK_BACKSLASH)       \
  X(RIGHTBRACKET, 221, SDLK_RIGHTBRACKET) \
  X(QUOTE, 222, SDLK_QUOTE)

struct dsp_key {
  char const* name;
  unsigned vk;
  SDL_Keycode sdl;
};

#define DSP_KEY_ROW(name, vk, sdl) {#name, vk, sdl},
inline constexpr dsp_key dsp_keys[] = {DSP_KEY_TABLE(DSP_KEY_ROW)};
#undef DSP_KEY_ROW

// Virtual-key code of an SDL keycode, 0 for a key the table does not know.
inline unsigned dsp_vkofsdl(SDL_Keycode sym) {
  for (dsp_key const& k : dsp_keys)
    if (k.sdl == sym) return k.vk;
  return 0;
}

// Virtual-key code of a key name (any letter case), 0 for an unknown name.
inline unsigned dsp_vkofname(char const* name) {
  for (dsp_key const& k : dsp_keys)
    if (strcasecmp(k.name, name) == 0) return k.vk;
  return 0;
}
