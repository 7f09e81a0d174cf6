#!/bin/sh
# Runs one example headless on the virtual clock with a key script, then checks what it
# printed and that its screenshot was written. Usage: run_example.sh NAME EXE SOURCE_DIR OUT_DIR
set -eu
name=$1 exe=$2 src=$3 out=$4
mkdir -p "$out"
keys="$out/$name.keys" shot="$out/$name.png" log="$out/$name.out"
rm -f "$shot" "$log" "$out/$name.err"
export DISP_HEADLESS=1 DISP_CLOCK=virtual DISP_KEYS="$keys" ALSOFT_DRIVERS=null
also=''
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
  move)
    # RIGHT held 0.2..0.6 s, DOWN 0.5..0.9 s: the ship thrusts only while a key is down.
    printf '0.2 down RIGHT\n0.5 down DOWN\n0.6 up RIGHT\n0.9 up DOWN\n' > "$keys"
    export DISP_QUIT_AT=2 DISP_SHOT="0.8:$shot"
    # On the virtual clock every frame takes 16 ms, so the glide ends in one place.
    expect='^ship at 472 382$' ;;
  snake)
    # A damaged score file counts as no best: the first apple beats it, and the new best
    # is written over it (a second run below reads it back).
    printf 'x7\n' > "$out/snake.score"
    printf '' > "$keys"
    export DISP_QUIT_AT=3 DISP_SHOT="1.5:$shot"
    set -- "$out/snake.score"
    expect='^score [1-9][0-9]*, best [1-9][0-9]*$' ;;
  text)
    printf '0.3 TAB\n' > "$keys"
    export DISP_QUIT_AT=1 DISP_SHOT="0.5:$shot"
    expect='^"Hello, quib!" at 14: [1-9][0-9]* pixels wide$'
    also='^five scripts: [1-9][0-9]{2,} pixels wide$' ;;
  soundboard)
    printf '0.2 1\n0.4 UP\n0.5 UP\n0.6 2\n0.8 LEFT\n0.9 3\n1.0 4\n' > "$keys"
    export DISP_QUIT_AT=1.5 DISP_SHOT="1.05:$shot"
    set -- "$src/audio"
    expect='^played 4, pitch \+2, volume 0\.9$' ;;
  drag)
    printf '' > "$keys"
    export DISP_QUIT_AT=1.5 DISP_SHOT="1.2:$shot"
    set -- --demo
    expect='^red box at 330 215, 1 strokes$' ;;
  dropview)
    printf '0.2 DROP %s\n0.4 DROP %s\n0.6 DROP /no/such/file\n' \
      "$src/audio/sj1.wav" "$src/tests/fuzz/corpus/bmp/v24-bottomup.bmp" > "$keys"
    export DISP_QUIT_AT=1 DISP_SHOT="0.8:$shot"
    expect='^3 files dropped$'
    also='sj1\.wav: [1-9][0-9]* bytes, 52 49 46 46 
v24-bottomup\.bmp: a picture, [1-9][0-9]* x [1-9][0-9]*$
"/no/such/file"' ;;
  threads)
    printf '' > "$keys"
    export DISP_QUIT_AT=1 DISP_SHOT="0.5:$shot"
    expect='^primes below 200000: 17984$' ;;
  effects)
    printf '0.3 UP\n' > "$keys"
    export DISP_QUIT_AT=1 DISP_SHOT="0.5:$shot"
    expect='^strength 4, glow centre [0-9A-F]{6}$' ;;
  sprites)
    printf '' > "$keys"
    export DISP_QUIT_AT=1 DISP_SHOT="0.5:$shot"
    set -- "$out/sprite.png"
    # The PNG kept the alpha: the corner is transparent, the middle the opaque body.
    expect='^loaded .*sprite\.png: corner 0000FF shows through, middle 60C040$' ;;
  clock)
    printf '' > "$keys"
    export DISP_QUIT_AT=2.5 DISP_SHOT="2:$shot"
    set -- 10:08:30
    expect='^stopped at 10:08:32$' ;;
  shapes)
    printf '' > "$keys"
    export DISP_QUIT_AT=1 DISP_SHOT="0.5:$shot"
    expect='^drew 10 shapes$' ;;
  colours)
    printf '0.2 RIGHT\n0.3 RIGHT\n0.4 DOWN\n' > "$keys"
    export DISP_QUIT_AT=1 DISP_SHOT="0.5:$shot"
    # Hue 16 of 256 at saturation 240 and full value: an orange.
    expect='^colour FF690F$' ;;
  stopwatch)
    printf '0.5 SPACE\n1.5 L\n2.0 SPACE\n2.2 L\n' > "$keys"
    export DISP_QUIT_AT=3 DISP_SHOT="2.5:$shot"
    expect='^stood at 00:01\.[0-9][0-9], 2 laps$' ;;
  keycodes)
    printf '0.2 A\n0.3 SPACE\n0.4 1\n0.5 F1\n0.55 LEFTBRACKET\n' > "$keys"
    export DISP_QUIT_AT=1 DISP_SHOT="0.6:$shot"
    expect='^keys 65 32 49 112 219$' ;;
  pixelart)
    printf '0.3 SPACE\n0.6 SPACE\n0.9 SPACE\n' > "$keys"
    export DISP_QUIT_AT=1.2 DISP_SHOT="1:$shot"
    expect='^frame 1 after 3 flips$' ;;
  selftest)
    printf '' > "$keys"
    export DISP_SHOT="0:$shot"
    expect='^[1-9][0-9]* checks, 0 failed$' ;;
  stars)
    printf '0.5 UP\n' > "$keys"
    export DISP_QUIT_AT=2 DISP_SHOT="1.5:$shot"
    expect='^flew [0-9.]+ at speed 0\.60$' ;;
  nameentry)
    # Typed text, a Hangul syllable composed jamo by jamo (the picture shows it composing),
    # a character taken back, then Enter.
    printf '0.2 TEXT Ana\n0.3 TEXT x\n0.4 BACKSPACE\n0.6 COMPOSE \341\204\222\n0.7 COMPOSE \355\225\234\n0.9 COMPOSE\n0.9 TEXT \355\225\234\n1.0 ENTER\n' > "$keys"
    export DISP_QUIT_AT=2 DISP_SHOT="0.8:$shot"
    expect='^name: Ana한$' ;;
  notepad)
    # Two lines typed, copied with Ctrl+C and pasted back with Ctrl+V.
    printf '0.2 TEXT Hello,\\x20world\n0.3 ENTER\n0.4 TEXT caf\303\251\n0.5 down CTRL\n0.6 C\n0.7 up CTRL\n0.8 ENTER\n0.9 down CTRL\n1.0 V\n1.1 up CTRL\n1.3 ESC\n' > "$keys"
    export DISP_QUIT_AT=2 DISP_SHOT="1.2:$shot"
    expect='^page: Hello, world$'
    also='^café$
^Hello, world$
^café$' ;;
  pong)
    # Two scripted pads: pad 0 serves, pad 1 moves its paddle to the ball and holds a
    # trigger for a fast return, while pad 0's paddle goes the wrong way.
    printf '' > "$keys"
    printf '0.3 down a\n0.35 1 axis lefty 0.5\n0.4 up a\n0.95 1 axis lefty 0\n' > "$out/pong.pads"
    printf '1.0 1 axis righttrigger 1\n1.1 axis leftx -0.5\n1.1 axis lefty -0.4\n' >> "$out/pong.pads"
    export DISP_PAD_SCRIPT="$out/pong.pads" DISP_QUIT_AT=3 DISP_SHOT="1.3:$shot"
    expect='^score 0 : 1, 1 hits, 2 pads$' ;;
  *) echo "unknown example $name"; exit 2 ;;
esac
err="$out/$name.err"
rc=0
"$exe" "$@" > "$log" 2> "$err" || rc=$?
cat "$log"
cat "$err" >&2
[ "$rc" -eq 0 ] || { echo "FAIL: exit status $rc"; exit 1; }
# A clean run says nothing through the libraries: a line of theirs means a key script line
# was skipped, a shot or a sound failed, or a file was missing.
if grep -Eq '^(disp|sound): ' "$err"; then echo "FAIL: the libraries complained"; exit 1; fi
grep -Eq "$expect" "$log" || { echo "FAIL: no line matching: $expect"; exit 1; }
# Further lines an example must print, one pattern a line.
printf '%s\n' "$also" | while IFS= read -r pattern; do
  [ -z "$pattern" ] || grep -Eq "$pattern" "$log" || { echo "FAIL: no line matching: $pattern"; exit 1; }
done
if [ "$name" = mouse ]; then
  grep -Eq 'LICENSE: [1-9][0-9]* bytes$' "$log" || { echo "FAIL: dropped file not read"; exit 1; }
  grep -Fq 'openfile: cannot open "/no/such/file": No such file or directory' "$log" ||
    { echo "FAIL: missing file's error text"; exit 1; }
fi
if [ "$name" = player ]; then
  # A stretch given backwards is refused, and the music keeps playing inside the sound.
  printf '' > "$out/none.keys"
  back=$(DISP_KEYS="$out/none.keys" DISP_QUIT_AT=1 DISP_SHOT='' "$exe" "$src/audio/bg.mp3" 30 20 0)
  if ! printf '%s\n' "$back" | grep -q '^no loop stretch from 30 to 20' ||
    ! printf '%s\n' "$back" | grep -q '^pitch +0 semitones, playing$'; then
    echo "FAIL: a backward stretch: $back"
    exit 1
  fi
fi
if [ "$name" = snake ]; then
  best=$(sed -n 's/^score [0-9]*, best \([0-9]*\)$/\1/p' "$log")
  [ "$(cat "$out/snake.score")" = "$best" ] || { echo "FAIL: best score $best not saved"; exit 1; }
  [ ! -e "$out/snake.score.new" ] || { echo "FAIL: the score's temporary file was left"; exit 1; }
  # Quit before the first apple: the best comes from the file alone, and stays there.
  again=$(DISP_QUIT_AT=0.5 DISP_SHOT='' "$exe" "$out/snake.score")
  [ "$again" = "score 0, best $best" ] || { echo "FAIL: second run printed: $again"; exit 1; }
  [ "$(cat "$out/snake.score")" = "$best" ] || { echo "FAIL: the best was overwritten"; exit 1; }
  # A best that cannot be saved is said so, with the reason, and the game still ends well.
  lost=$(DISP_QUIT_AT=3 DISP_SHOT='' "$exe" "$out/no-such-dir/snake.score")
  printf '%s\n' "$lost" | grep -q '^cannot save the best score: writetext: cannot write ".*: No such file' ||
    { echo "FAIL: an unsaved best: $lost"; exit 1; }
fi
[ -s "$shot" ] || { echo "FAIL: no screenshot $shot"; exit 1; }
echo "screenshot: $shot"
