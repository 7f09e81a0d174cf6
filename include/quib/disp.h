// libdisp's entries: window, drawing, text, input, clock (C and C++).
// The short name a program includes (#include <disp.h>); the header itself lives in the tree.
#include "platform/disp/disp.h"
