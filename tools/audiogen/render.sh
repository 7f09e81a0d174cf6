#!/usr/bin/env bash
# Rebuilds the game's five sounds into audio/: the four effects straight from audiogen, the
# music as a WAV master from audiogen, then encoded to MP3 with lame at fixed settings.
# Needs cmake, a C++ compiler, libsndfile and lame (tools/setup.sh installs them).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${AUDIOGEN_BUILD:-$root/build-audiogen}"
cd "$root"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target audiogen -j2 >/dev/null
gen="$build/audiogen"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$gen" --effects audio
"$gen" --music "$work/bg.wav"
# CBR 192 kbit/s joint stereo; lame writes the encoder delay into its header, and
# libsndfile (through mpg123) removes it when decoding, so loop points stay in place.
# At this rate lame's output comes out about 0.27 dB quieter than its input; --scale puts
# that back so the MP3, not only the master, measures -16 LUFS.
lame --cbr -b 192 -q 2 -m j --resample 44.1 --lowpass 16 --scale 1.031 --nohist -S \
  "$work/bg.wav" audio/bg.mp3
"$gen" --measure audio/bg.mp3 audio/sj1.wav audio/sj2.wav audio/sj3.wav audio/sj4.wav
