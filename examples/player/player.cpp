// player: plays a piece of music and loops a stretch of it, as games loop their music
// past an intro. UP / DOWN shift the pitch by a semitone, SPACE pauses and resumes,
// Esc quits. Usage: player [FILE [LOOP_START LOOP_END [START]]] (seconds; default: the
// whole file, from its beginning).
#include <facade.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  char const* path = argc > 1 ? argv[1] : "audio/bg.mp3";
  initaudio();  // false only means no sound card: everything still keeps time
  unsigned long music = loadaudio(path);
  if (music == 0) {
    std::printf("cannot load %s: %s\n", path, getsounderrortext().text);
    return 1;
  }
  double len = getaudiolen(music);
  double from = argc > 3 ? std::atof(argv[2]) : 0;
  double to = argc > 3 ? std::atof(argv[3]) : len;
  // A stretch that ends before it starts would jump ahead every frame and run the music
  // out: the whole sound loops instead.
  if (!(from >= 0 && to > from)) {
    std::printf("no loop stretch from %g to %g: looping the whole sound\n", from, to);
    from = 0, to = len;
  }

  createwin(640, 200);
  settitle("player");
  playaudio(music, argc > 4 ? float(std::atof(argv[4])) : 0.0f);
  float semitones = 0;
  while (iswin()) {
    while (isnextmsg()) {
      if (iskey(QUIB_KEY_ESC)) closewin();
      if (iskey(QUIB_KEY_UP)) setaudiofrq(music, ++semitones);
      if (iskey(QUIB_KEY_DOWN)) setaudiofrq(music, --semitones);
      if (iskey(QUIB_KEY_SPACE)) {
        if (getaudiosit(music) == 1) {
          pauseaudio(music);
        } else {
          setaudiosit(music, 1);  // plays on from where it stands
        }
      }
    }
    if (!iswin()) break;

    // The loop stretch: once past its end, back to its start.
    double pos = getaudiopos(music);
    if (pos >= to) setaudiopos(music, float(from + (pos - to)));

    clear(0x182018);
    long w = len > 0 ? long(600 * pos / len) : 0;
    bar(20, 120, 600, 24, 0x405040, 0x203020);
    bar(20 + long(600 * from / len), 116, long(600 * (to - from) / len), 4, 0x80A080);
    bar(20, 120, w, 24, 1, 0x60C060);
    char line[640];
    std::snprintf(line, sizeof line, "%s  %.1f / %.1f s  pitch %+g", getaudioname(music).text, pos,
                  len, semitones);
    drawtextxy(line, 20, 40, 0xFFFFFF);
    drawtextxy(getaudiosit(music) == 2 ? "paused" : "UP/DOWN pitch  SPACE pause  Esc quit", 20, 70,
               0xA0C0A0);
    freshwin();
    delay(16);
  }
  std::printf("pitch %+g semitones, %s\n", semitones,
              getaudiosit(music) == 2 ? "paused" : "playing");
  return 0;
}
