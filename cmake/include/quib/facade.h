// The facade, quib's lower-case API over libdisp and libsound, by its short name:
// #include <facade.h> (or <quib/facade.h>). Installed only; the tree uses facade/facade.h.
#pragma once
#include "facade/facade.h"
