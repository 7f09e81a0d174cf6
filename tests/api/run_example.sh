#!/bin/sh
# Runs one example headless on the virtual clock with a key script, then checks what it
# printed and that its screenshot was written. Usage: run_example.sh NAME EXE SOURCE_DIR OUT_DIR
set -eu
name=$1 exe=$2 src=$3 out=$4
mkdir -p "$out"
keys="$out/$name.keys" shot="$out/$name.png" log="$out/$name.out"
rm -f "$shot" "$log"
export DISP_HEADLESS=1 DISP_CLOCK=virtual DISP_KEYS="$keys" ALSOFT_DRIVERS=null
set --
case $name in
  bounce)
    printf '0.5 SPACE\n1.0 P\n1.4 P\n' > "$keys"
    export DISP_QUIT_AT=3 DISP_SHOT="2.5:$shot"
    expect='^score [1-9][0-9]*$' ;;
  player)
    printf '0.3 UP\n0.6 UP\n0.9 UP\n1.2 DOWN\n1.5 SPACE\n' > "$keys"
    export DISP_QUIT_AT=2 DISP_SHOT="1.8:$shot"
    set -- "$src/audio/bg.mp3" 27.49 82.33 40
    expect='^pitch \+2 semitones, paused$' ;;
  bitmaps)
    printf '' > "$keys"
    export DISP_QUIT_AT=1 DISP_SHOT="0.5:$shot"
    set -- "$out/sprite.bmp"
    expect='^saved and loaded .*sprite.bmp$' ;;
  mouse)
    printf '0.5 DROP %s\n0.6 DROP /no/such/file\n' "$src/LICENSE" > "$keys"
    export DISP_QUIT_AT=1.5 DISP_SHOT="1.2:$shot"
    set -- --demo
    expect='^5 dots, 2 files$' ;;
  *) echo "unknown example $name"; exit 2 ;;
esac
"$exe" "$@" > "$log"
cat "$log"
grep -Eq "$expect" "$log" || { echo "FAIL: no line matching: $expect"; exit 1; }
if [ "$name" = mouse ]; then
  grep -Eq 'LICENSE: [1-9][0-9]* bytes$' "$log" || { echo "FAIL: dropped file not read"; exit 1; }
  grep -Fq 'openfile: cannot open "/no/such/file": No such file or directory' "$log" ||
    { echo "FAIL: missing file's error text"; exit 1; }
fi
[ -s "$shot" ] || { echo "FAIL: no screenshot $shot"; exit 1; }
echo "screenshot: $shot"
