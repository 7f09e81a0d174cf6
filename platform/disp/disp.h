// Public entries of libdisp, the game's display library: window, drawing, text, input,
// clock. Behaviour, environment switches and limits are documented in platform/disp/README.md.
#pragma once
#include "platform/entries.h"

QUIB_DISP_ENTRIES(QUIB_DECLARE_ENTRY)
QUIB_DISP_EXTENSIONS(QUIB_DECLARE_ENTRY)
