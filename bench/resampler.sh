#!/usr/bin/env bash
# Which OpenAL Soft resampler libsound should use: the game's music at rate 4 (its top
# level) rendered through each one, its spectrum in bands against the 23rd-order sinc, and
# the CPU the render took. Prints `name value` lines; needs build/sound_wave_tests and sox.
#   bench/resampler.sh [SECONDS=8] [REPEATS=5]
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-8}
repeats=${2:-5}
render=build/sound_wave_tests
[[ -x $render ]] || { echo "build $render first" >&2; exit 1; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# Decoded once beforehand, so the CPU figures are mixing, not MP3 decoding.
sox audio/bg.mp3 "$dir/music.wav" trim 0 $((secs * 4 + 2))

# One render: the mix lands in $dir/<tag>.wav; prints the CPU seconds it took.
run() {
  local resampler=$1 tag=$2
  printf '[wave]\nfile = %s/%s.wav\n' "$dir" "$tag" >"$dir/$tag.conf"
  local t TIMEFORMAT='%U %S'
  t=$( { time SOUND_RESAMPLER="$resampler" ALSOFT_CONF="$dir/$tag.conf" \
      "$render" --render "$dir/music.wav" "$secs" 24 1 1 1 >/dev/null 2>/dev/null; } 2>&1 | tail -1)
  awk -v t="$t" 'BEGIN { split(t, a, " "); print a[1] + a[2] }'
}

# RMS level in dB of the first channel of a file within one band.
band() {
  sox "$1" -n remix 1 sinc "$2" stat 2>&1 |
    awk '/RMS +amplitude/ { v = $3 } END { print (v > 0 ? 20 * log(v) / log(10) : -200) }'
}

bands=("20-1000" "1000-2000" "2000-4000" "4000-8000" "8000-16000" "16000-21000")
names=("Linear" "Cubic" "11th order Sinc" "23rd order Sinc")
declare -A ref
for i in "${!names[@]}"; do
  r=${names[$i]}
  key=$(tr ' A-Z' '_a-z' <<<"$r")
  cpu=()
  for ((k = 0; k < repeats; ++k)); do cpu+=("$(run "$r" "$key")"); done
  median=$(printf '%s\n' "${cpu[@]}" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
  echo "cpu_s_per_${secs}s_${key} $median"
  for b in "${bands[@]}"; do
    level=$(band "$dir/$key.wav" "$b")
    if [[ $r == "23rd order Sinc" ]]; then ref[$b]=$level; fi
    echo "band_db_${key}_${b} $level"
  done
done
# Excess energy per band against the best resampler: aliases show up as energy where the
# true content is weak; more than 1 dB in any band is audible harshness.
for r in "${names[@]}"; do
  key=$(tr ' A-Z' '_a-z' <<<"$r")
  worst=-200
  for b in "${bands[@]}"; do
    d=$(awk -v a="$(band "$dir/$key.wav" "$b")" -v r="${ref[$b]}" 'BEGIN { printf "%.2f", a - r }')
    worst=$(awk -v a="$d" -v w="$worst" 'BEGIN { print (a > w ? a : w) }')
  done
  echo "excess_db_vs_sinc24_${key} $worst"
done
