// libsound's entries: load, play, seek and pitch sounds (C and C++).
// The short name a program includes (#include <sound.h>); the header itself lives in the tree.
#include "platform/sound/sound.h"
