// Public entries of libsound, the game's sound library: load, play, seek and pitch sounds.
// Behaviour, environment switches and limits are documented in platform/sound/README.md.
#pragma once
#include "platform/entries.h"

QUIB_SOUND_ENTRIES(QUIB_DECLARE_ENTRY)
QUIB_SOUND_EXTENSIONS(QUIB_DECLARE_ENTRY)
