# Shared by the install checks (sourced): failure counting, a short headless game from a
# folder of its own, and a check that the installed documentation's links lead somewhere.
# The sourcing script sets $tmp (a folder it removes on exit) and counts $fails.
# shellcheck shell=bash disable=SC2154  # $tmp and $fails belong to the sourcing script

fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
step() { echo "== $*"; }

# A short headless game: one SPACE, 3 s of virtual time, from $tmp/run-LABEL. With a third
# argument, that folder holds a broken audio/bg.mp3 (empty), and the music must come from
# the copy under DATADIR instead, with the line naming it. Passes when the game exits 0,
# loads every sound and plays the music.
playfrom() {  # playfrom LABEL BINARY [DATADIR]
  local label=$1 bin=$2 datadir=${3:-} run=$tmp/run-$1
  mkdir -p "$run"
  printf '0.5 SPACE\n' >"$run/keys"
  if [ -n "$datadir" ]; then
    mkdir -p "$run/audio"
    : >"$run/audio/bg.mp3"
  fi
  (cd "$run" && env -u QUIB_DATA_DIR DISP_HEADLESS=1 DISP_CLOCK=virtual DISP_QUIT_AT=3 \
    DISP_KEYS="$run/keys" ALSOFT_DRIVERS=null SOUND_LOG="$run/sound.log" QUIB_SEED=7 \
    timeout 60 "$bin" 2>"$run/err")
  local status=$?
  local want="quib: sound audio/bg.mp3: cannot load audio/bg.mp3 in the working directory; playing '$datadir/audio/bg.mp3' instead"
  if [ $status -ne 0 ]; then
    fail "$label: exit status $status"
    cat "$run/err"
  elif [ -z "$datadir" ] && grep -q "cannot load" "$run/err"; then
    fail "$label: sounds not found"
    cat "$run/err"
  elif [ -n "$datadir" ] && ! grep -qxF "$want" "$run/err"; then
    fail "$label: the broken sound in the working folder did not fall through to $datadir"
    cat "$run/err"
  elif ! grep -q "^play bg.mp3" "$run/sound.log" 2>/dev/null; then
    fail "$label: the music never played"
  else
    echo "$label: played with sound from $run"
  fi
}

# Every relative link of every Markdown file under DOCDIR names a file or folder that is
# there (anchors, web addresses and code spans such as `f([](void*) {})` aside).
doclinks() {  # doclinks LABEL DOCDIR
  local label=$1 doc=$2 md target n=0
  while IFS= read -r md; do
    while IFS= read -r target; do
      target=${target%%#*}
      case $target in '' | http://* | https://* | mailto:*) continue ;; esac
      n=$((n + 1))
      [ -e "$(dirname "$md")/$target" ] || fail "$label: ${md#"$doc"/} links to $target, which is not installed"
    done < <(sed 's/`[^`]*`//g' "$md" | grep -o '](\([^)]*\))' | sed 's/^](\(.*\))$/\1/')
  done < <(find "$doc" -name '*.md')
  echo "$label: $n links checked in $(find "$doc" -name '*.md' | wc -l) documents"
}
