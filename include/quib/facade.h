// The facade: the lower-case API over libdisp and libsound (C++11 and later).
// The short name a program includes (#include <facade.h>); the header itself lives in the tree.
#include "facade/facade.h"
