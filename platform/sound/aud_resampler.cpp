// The resampler every source uses. Music sped up four times folds its highs back down as
// harshness through a linear resampler; the band-limited sinc ones keep it clean, and
// the shorter of them sounds the same as the longer at about half the mixing cost
// (figures in the README, measured with bench/resampler.sh).
#include <AL/alext.h>
#include <strings.h>

#include <cstring>

#include "platform/sound/aud_internal.h"

// SOUND_RESAMPLER=NAME picks another by its OpenAL Soft name ("Linear", "23rd order Sinc"),
// case ignored.
void aud_pickresampler() {
  if (!aud.device.ctx || !alIsExtensionPresent("AL_SOFT_source_resampler")) return;
  auto names = reinterpret_cast<LPALGETSTRINGISOFT>(alGetProcAddress("alGetStringiSOFT"));
  if (!names) return;
  ALint n = alGetInteger(AL_NUM_RESAMPLERS_SOFT);
  char const* want = aud_cfgtext("SOUND_RESAMPLER");
  auto find = [&](char const* wanted) {
    for (ALint i = 0; i < n; ++i)
      if (char const* name = names(AL_RESAMPLER_NAME_SOFT, i); name && !strcasecmp(name, wanted))
        return int(i);
    return -1;
  };
  constexpr char const* ours = "11th order Sinc";
  aud.resampler = find(want && *want ? want : ours);
  char const* chosen = aud.resampler >= 0 ? names(AL_RESAMPLER_NAME_SOFT, aud.resampler) : ours;
  aud.fastresampler = chosen && strcasestr(chosen, "sinc") ? find("Cubic") : -1;
  if (aud.resampler >= 0 || !want || !*want) return;
  std::string list;
  for (ALint i = 0; i < n; ++i)
    if (char const* name = names(AL_RESAMPLER_NAME_SOFT, i)) list += std::string(", ") + name;
  aud.resampler = find(ours);
  aud.fastresampler = find("Cubic");
  aud_say("sound: SOUND_RESAMPLER=%s is not one of %s; using %s", aud_quote(want).c_str(),
          list.empty() ? "none" : list.c_str() + 2, ours);
}

// OpenAL Soft 1.19's sinc resamplers lose the whole sound above about 4.5 times the
// sound's rate (-2 dB at 5, -24 dB at 8, silence from 10), so faster sources play through
// the cubic one, which keeps every rate up to the 16-fold limit at full level.
constexpr double aud_sincmaxrate = 4.5;

int aud_resamplerfor(double rate) {
  return rate > aud_sincmaxrate && aud.fastresampler >= 0 ? aud.fastresampler : aud.resampler;
}
