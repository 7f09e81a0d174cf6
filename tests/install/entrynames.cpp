// Prints the entries each library must export, "disp NAME" and "sound NAME", expanded
// by the compiler from the entry tables, for exports.sh to hold against the libraries.
#include <cstdio>

#include "platform/entries.h"

#define QUIB_PRINT_DISP(entry, name, ret, types) std::puts("disp " #entry);
#define QUIB_PRINT_SOUND(entry, name, ret, types) std::puts("sound " #entry);

int main() {
  QUIB_DISP_ENTRIES(QUIB_PRINT_DISP)
  QUIB_DISP_EXTENSIONS(QUIB_PRINT_DISP)
  QUIB_SOUND_ENTRIES(QUIB_PRINT_SOUND)
  QUIB_SOUND_EXTENSIONS(QUIB_PRINT_SOUND)
  return 0;
}
