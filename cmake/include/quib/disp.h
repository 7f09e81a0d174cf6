// libdisp's entries by the short name: #include <disp.h> (or <quib/disp.h>).
// Installed only; the tree uses platform/disp/disp.h.
#pragma once
#include "platform/disp/disp.h"
