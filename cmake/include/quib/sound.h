// libsound's entries by the short name: #include <sound.h> (or <quib/sound.h>).
// Installed only; the tree uses platform/sound/sound.h.
#pragma once
#include "platform/sound/sound.h"
