// soundboard: four sounds on the keys 1 to 4, with the pitch (UP/DOWN, a semitone a
// press) and the volume (LEFT/RIGHT) of the next sounds played. Esc quits.
// Usage: soundboard [AUDIO_DIR] (default "audio": the game's sj1.wav .. sj4.wav).
#include <facade.h>

#include <cmath>
#include <cstdio>

int main(int argc, char** argv) {
  char const* dir = argc > 1 ? argv[1] : "audio";
  initaudio();  // false only means no sound card: the board still works, silently
  unsigned long pad[4];
  for (int i = 0; i < 4; ++i) {
    char path[600];
    std::snprintf(path, sizeof path, "%s/sj%d.wav", dir, i + 1);
    if ((pad[i] = loadaudio(path)) == 0) {
      std::printf("cannot load %s: %s\n", path, getsounderrortext().text);
      return 1;
    }
  }
  if (!createwin(640, 240)) return 1;
  settitle("soundboard");
  long semitones = 0, played = 0, lit = -1;
  float volume = 1.0f;
  double lit_until = 0;
  while (iswin()) {
    while (isnextmsg()) {
      if (iskey(QUIB_KEY_ESC)) closewin();
      if (iskey(QUIB_KEY_UP) && semitones < 12) ++semitones;
      if (iskey(QUIB_KEY_DOWN) && semitones > -12) --semitones;
      if (iskey(QUIB_KEY_RIGHT)) volume = volume + 0.1f > 1 ? 1 : volume + 0.1f;
      if (iskey(QUIB_KEY_LEFT)) volume = volume - 0.1f < 0 ? 0 : volume - 0.1f;
      for (int i = 0; i < 4; ++i) {
        if (!iskey(QUIB_KEY_1 + i)) continue;
        // A pitch factor of 2^(n/12) is n semitones; it also plays faster, as a tape would.
        setaudiopch(pad[i], float(std::pow(2.0, semitones / 12.0)));
        setaudiovol(pad[i], volume);
        playaudio(pad[i]);
        ++played, lit = i, lit_until = gettimer() + 0.3;
      }
    }
    if (!iswin()) break;
    clear(0x201828);
    for (long i = 0; i < 4; ++i) {
      bool on = i == lit && gettimer() < lit_until;
      bar(20 + 155 * i, 20, 140, 100, 0xFFFFFF, on ? 0xFFB040 : 0x504060);
      char key[560];
      std::snprintf(key, sizeof key, "%ld  %s", i + 1, getaudioname(pad[i]).text);
      drawtextxy(key, 30 + 155 * i, 60, 0xFFFFFF);
    }
    bar(20, 150, long(600 * volume), 16, 0x60C060);
    char line[96];
    std::snprintf(line, sizeof line, "pitch %+ld  volume %.1f", semitones, double(volume));
    drawtextxy(line, 20, 180, 0xFFFFFF);
    drawtextxy("1-4 play  UP/DOWN pitch  LEFT/RIGHT volume  Esc quits", 20, 205, 0xA0A0A0);
    freshwin();
    delay(16);
  }
  for (unsigned long h : pad) freeaudio(h);
  std::printf("played %ld, pitch %+ld, volume %.1f\n", played, semitones, double(volume));
  return 0;
}
