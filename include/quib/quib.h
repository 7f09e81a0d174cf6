// The facade in namespace quib (C++11 and later): the short name a program includes
// (#include <quib.h>) for quib::createwin() and the rest; the header lives in the tree.
#include "facade/quib.h"
