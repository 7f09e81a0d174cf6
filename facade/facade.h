// The lower-case API of the two platform libraries: one forwarding function per entry,
// each passing its arguments unchanged to its entry and returning the entry's result.
#pragma once
#include "facade/mystring.h"
#include "facade/random.h"
#include "platform/disp/disp.h"
#include "platform/sound/sound.h"

// Types as the facade's callers see them.
typedef void qf_v;
typedef double qf_d;
typedef float qf_f;
typedef long qf_l;
typedef unsigned long qf_u;
typedef unsigned char qf_uc;
typedef char qf_c;
typedef bool qf_bool;
typedef char const* qf_s;
typedef short const* qf_ws;
typedef bitmap* qf_b;
typedef bitbuf* qf_bb;
typedef void* qf_p;
typedef mystring qf_ms;

#define QUIB_FORWARD(entry, name, ret, types) \
  inline qf_##ret name(QUIB_PARAMS(qf_, types)) { return entry(QUIB_ARGS(types)); }

QUIB_DISP_ENTRIES(QUIB_FORWARD)
QUIB_SOUND_ENTRIES(QUIB_FORWARD)
QUIB_DISP_EXTENSIONS(QUIB_FORWARD)
QUIB_SOUND_EXTENSIONS(QUIB_FORWARD)

#undef QUIB_FORWARD
