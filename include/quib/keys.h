// Named key codes, mouse buttons and message codes (C and C++).
// The short name a program includes (#include <keys.h>); the header itself lives in the tree.
#include "facade/keys.h"
