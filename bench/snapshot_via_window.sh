#!/usr/bin/env bash
# The former scripts/snapshot, kept only for scripts/bench to time against
# orvik-render: the real program in a private Xvfb, the given keys, then
# "s", and ImageMagick for the PNG. Writes OUT.bmp and OUT.png.
set -euo pipefail

usage() {
  cat <<'EOF'
Usage: bench/snapshot_via_window.sh [options] OUT.png|OUT.bmp

Renders a plan with the real program in a private X server (Xvfb), presses
the given keys, then "s", and writes the window's picture both as OUT.bmp
(as the program saved it) and as OUT.png, whichever of the two was named.

Options:
  --plan DIR        folder holding Mesh.csv and ExitGrid.dat
                    (default: the repository's in/)
  --keys "KEYS"     keys to press first, separated by blanks, as xdotool
                    names them, e.g. "w w w 6 6" or "W W 4 k" (default: none)
  --wait SECONDS    time to let the picture settle after the keys
                    (default: 0.5)
  --program PATH    the orvik program to run (default: build/orvik, built
                    as scripts/run builds it when missing)
  --help            show this text
EOF
}

fail() {
  echo "snapshot_via_window: $*" >&2
  exit 1
}

repo="$(cd "$(dirname "$0")/.." && pwd)"
source "$repo/scripts/deps.sh"
plan="$repo/in"
keys=""
wait_seconds="0.5"
program=""
out=""
readonly window_limit=15    # s for the X server and the window to appear
readonly snapshot_limit=10  # s for snapshot.bmp to be complete

while [ $# -gt 0 ]; do
  case "$1" in
    --help|-h) usage; exit 0 ;;
    --plan) [ $# -ge 2 ] || fail "--plan needs a folder"; plan="$2"; shift 2 ;;
    --keys) [ $# -ge 2 ] || fail "--keys needs a list of keys"; keys="$2"; shift 2 ;;
    --wait) [ $# -ge 2 ] || fail "--wait needs a number of seconds"; wait_seconds="$2"; shift 2 ;;
    --program) [ $# -ge 2 ] || fail "--program needs a path"; program="$2"; shift 2 ;;
    -*) fail "unknown option $1 (see --help)" ;;
    *) [ -z "$out" ] || fail "more than one output file: $out, $1"; out="$1"; shift ;;
  esac
done

[ -n "$out" ] || { usage >&2; fail "no output file named"; }
case "$out" in
  *.png|*.bmp) base="${out%.*}" ;;
  *) fail "the output file must end in .png or .bmp: $out" ;;
esac
[[ "$wait_seconds" =~ ^[0-9]+([.][0-9]+)?$ ]] || fail "--wait takes seconds, e.g. 0.5: $wait_seconds"
[ -d "$plan" ] || fail "no plan folder $plan"
plan="$(cd "$plan" && pwd)"
for file in Mesh.csv ExitGrid.dat; do
  [ -f "$plan/$file" ] || echo "snapshot_via_window: warning: $plan has no $file; it reads as empty" >&2
done
for tool in Xvfb xdotool convert; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/run installs it)"
done

if [ -z "$program" ]; then
  program="$repo/build/orvik"
  if [ ! -x "$program" ]; then
    echo "Building $program first."
    (cd "$repo" && source scripts/deps.sh && orvik_install_packages && orvik_build build)
  fi
fi
[ -x "$program" ] || fail "cannot run the program $program"
program="$(cd "$(dirname "$program")" && pwd)/$(basename "$program")"
mkdir -p "$(dirname "$out")"

# The program reads ../in/ from its working directory.
scratch="$(mktemp -d "${TMPDIR:-/tmp}/orvik-snapshot.XXXXXX")"
xvfb_pid=""
orvik_pid=""
cleanup() {
  [ -z "$orvik_pid" ] || kill "$orvik_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  [ -z "$orvik_pid" ] || wait "$orvik_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || wait "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkdir "$scratch/run"
ln -s "$plan" "$scratch/in"

# Xvfb takes the first free display number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
  3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
deadline=$((SECONDS + window_limit))
until grep -q '^[0-9][0-9]*$' "$scratch/display" 2>/dev/null; do
  kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(tail -n 3 "$scratch/xvfb.log")"
  [ $SECONDS -lt $deadline ] || fail "Xvfb gave no display within $window_limit s"
  sleep 0.05
done
DISPLAY=":$(cat "$scratch/display")"
export DISPLAY

(cd "$scratch/run" && exec "$program") >"$scratch/orvik.out" 2>"$scratch/orvik.err" &
orvik_pid=$!
deadline=$((SECONDS + window_limit))
window=""
until [ -n "$window" ]; do
  kill -0 "$orvik_pid" 2>/dev/null \
    || fail "$program ended before it opened its window: $(tail -n 3 "$scratch/orvik.err")"
  [ $SECONDS -lt $deadline ] \
    || fail "no window of $program within $window_limit s: $(tail -n 3 "$scratch/orvik.err")"
  window="$(xdotool search --pid "$orvik_pid" --name "$ORVIK_WINDOW_TITLE" 2>/dev/null \
    | head -n 1 || true)"
  [ -n "$window" ] || sleep 0.1
done
sleep 0.3  # the first complete picture comes with the second frame

if [ -n "$keys" ]; then
  read -r -a key_list <<<"$keys"
  xdotool key --window "$window" --delay 5 "${key_list[@]}" 2>"$scratch/xdotool.err" \
    || fail "xdotool could not press \"$keys\": $(tail -n 1 "$scratch/xdotool.err")"
fi
sleep "$wait_seconds"

snapshot="$scratch/run/snapshot.bmp"
xdotool key --window "$window" s 2>/dev/null || fail "xdotool could not press s"
deadline=$((SECONDS + snapshot_limit))
while :; do
  kill -0 "$orvik_pid" 2>/dev/null || fail "the program ended: $(tail -n 3 "$scratch/orvik.err")"
  if [ -f "$snapshot" ]; then
    size=$(stat -c %s "$snapshot")
    # bfSize, bytes 2..5, little-endian: the file is complete at that size.
    want=$(od -An -tu4 -j2 -N4 "$snapshot" 2>/dev/null | tr -d ' ')
    [ -n "$want" ] && [ "$size" -eq "$want" ] && break
  fi
  [ $SECONDS -lt $deadline ] \
    || fail "no complete snapshot.bmp within $snapshot_limit s: $(tail -n 3 "$scratch/orvik.err")"
  sleep 0.05
done

cp "$snapshot" "$base.bmp"
convert "$base.bmp" -alpha off "$base.png" || fail "convert could not write $base.png"
echo "Wrote $base.bmp and $base.png"
