// The named codes of <keys.h> against libdisp's own tables: the message codes it delivers
// and the key table it translates with; letters are their upper-case characters.
#include <gtest/gtest.h>

#include "facade/keys.h"
#include "platform/disp/internal.h"
#include "platform/disp/sdl/keymap.h"

namespace {

static_assert(QUIB_MSG_MOVE == dsp_wm_move && QUIB_MSG_SIZE == dsp_wm_size &&
                  QUIB_MSG_SETFOCUS == dsp_wm_setfocus && QUIB_MSG_KILLFOCUS == dsp_wm_killfocus &&
                  QUIB_MSG_PAINT == dsp_wm_paint && QUIB_MSG_CLOSE == dsp_wm_close &&
                  QUIB_MSG_SHOWWINDOW == dsp_wm_showwindow,
              "window message codes");
static_assert(QUIB_MSG_KEYDOWN == dsp_wm_keydown && QUIB_MSG_KEYUP == dsp_wm_keyup,
              "key message codes");
static_assert(
    QUIB_MSG_MOUSEMOVE == dsp_wm_mousemove && QUIB_MSG_LBUTTONDOWN == dsp_wm_lbuttondown &&
        QUIB_MSG_LBUTTONUP == dsp_wm_lbuttonup && QUIB_MSG_RBUTTONDOWN == dsp_wm_rbuttondown &&
        QUIB_MSG_RBUTTONUP == dsp_wm_rbuttonup && QUIB_MSG_MBUTTONDOWN == dsp_wm_mbuttondown &&
        QUIB_MSG_MBUTTONUP == dsp_wm_mbuttonup && QUIB_MSG_MOUSEWHEEL == dsp_wm_mousewheel &&
        QUIB_MSG_XBUTTONDOWN == dsp_wm_xbuttondown && QUIB_MSG_XBUTTONUP == dsp_wm_xbuttonup &&
        QUIB_MSG_MOUSEHWHEEL == dsp_wm_mousehwheel && QUIB_MSG_MOUSELEAVE == dsp_wm_mouseleave,
    "mouse message codes");
static_assert(QUIB_MSG_DROPFILES == dsp_wm_dropfiles && QUIB_MSG_USER == dsp_wm_user,
              "other message codes");
static_assert(QUIB_MSG_PADDOWN == dsp_wm_paddown && QUIB_MSG_PADUP == dsp_wm_padup &&
                  QUIB_MSG_PADADDED == dsp_wm_padadded && QUIB_MSG_PADREMOVED == dsp_wm_padremoved,
              "gamepad message codes");

// The game's thirteen keys keep their codes, and a letter is its upper-case character.
static_assert(QUIB_KEY_SPACE == 32 && QUIB_KEY_LEFT == 37 && QUIB_KEY_UP == 38 &&
                  QUIB_KEY_RIGHT == 39 && QUIB_KEY_DOWN == 40 && QUIB_KEY_KP_PLUS == 107 &&
                  QUIB_KEY_KP_MINUS == 109 && QUIB_KEY_HOME == 36 && QUIB_KEY_END == 35 &&
                  QUIB_KEY_R == 82 && QUIB_KEY_F9 == 120 && QUIB_KEY_F12 == 123 &&
                  QUIB_KEY_ESC == 27,
              "game keys");
static_assert(QUIB_KEY_A == 'A' && QUIB_KEY_P == 'P' && QUIB_KEY_Z == 'Z' && QUIB_KEY_0 == '0' &&
                  QUIB_KEY_9 == '9',
              "letters and digits are their characters");
// The trap the header warns of: lower-case p is F1.
static_assert('p' == QUIB_KEY_F1 && 'a' == QUIB_KEY_KP_1, "lower-case letters are other keys");

TEST(Codes, EveryKeyOfTheTableTranslatesToItsNamedCode) {
  // Each name the table gives reads back as the code keys.h names for it.
  EXPECT_EQ(dsp_vkofname("SPACE"), unsigned(QUIB_KEY_SPACE));
  EXPECT_EQ(dsp_vkofname("F1"), unsigned(QUIB_KEY_F1));
  EXPECT_EQ(dsp_vkofname("KP_ENTER"), unsigned(QUIB_KEY_KP_ENTER));
  EXPECT_EQ(dsp_vkofname("LESS"), unsigned(QUIB_KEY_LESS));
  EXPECT_EQ(dsp_vkofsdl(SDLK_p), unsigned(QUIB_KEY_P));
}

}  // namespace
