#!/usr/bin/env bash
# End to end under Wine: the 64-bit zt-update.exe in an Xvfb display, driven
# with xdotool, talking to zt-bootloader-sim through Wine's COM1 mapped to
# the simulator's pty. One whole update; the simulator's report checked
# against the image; screenshots of page 1 and page 9; the update's time
# from "&Connexion" to the success page printed and bounded.
#
#   e2e-wine.sh HOST_BIN WIN_BIN SCREENSHOT_DIR VERIFIER
# DISPLAY, WINEPREFIX, WINEDEBUG and WINEDLLOVERRIDES come from the caller.
set -euo pipefail
host=$1 win=$2 out=$3 verifier=$4
mkdir -p "$out"
tmp=$(mktemp -d)
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "e2e-wine: $*" >&2; exit 1; }
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

# Client coordinates of the buttons' centres: with no window manager, the X
# window of a Wine form is its client area.
QUITTER="264 375" SUIVANT="440 375"
TITLE='^Mise .* du Orvalis ZT$'

wait_for() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do
    ((SECONDS < end)) || return 1
    sleep 0.1
  done
}
find_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
has_window() { [ -n "$(find_window "$1")" ]; }
gone() { ! kill -0 "$1" 2>/dev/null; }
click() { xdotool mousemove --window "$w" $1 click 1; }
shot() { import -window "$w" "$out/$1.png"; echo "e2e-wine: $out/$1.png"; }
step() { timeout $(($2 + 10)) "$wine" "$win/zt-attendre-etape.exe" "$1 sur 9" "$2"; }

# Wine reads its port map when its server starts: the server is stopped,
# COM1 set to the pty, and the server left to finish before the program.
map_com1() {
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -w >/dev/null 2>&1
  timeout 60 "$wine" reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$1" /f >/dev/null
  "$wineserver" -w >/dev/null 2>&1
}

"$host/zt-bootloader-sim" --report "$tmp/update.json" --timeout 240 >"$tmp/sim.out" &
sim=$!; pids+=($sim)
wait_for 5 test -s "$tmp/sim.out" || fail "the simulator printed no pty"
map_com1 "$(head -1 "$tmp/sim.out")"

# Its output, and the Wine server's it starts, are kept out of the log.
"$wine" "$win/zt-update.exe" >"$tmp/app.log" 2>&1 &
app=$!; pids+=($app)
wait_for 30 has_window "$TITLE" || fail "no wizard window"
w=$(find_window "$TITLE")
step 1 20 || fail "page 1 never came"
sleep 0.5; shot 01-accueil
for page in 2 3 4 5; do
  click "$SUIVANT"
  step $page 10 || fail "page $page never came"
done
start=$(date +%s.%N)
click "$SUIVANT"  # "&Connexion"
step 7 60 || fail "the device never answered"
step 9 120 || fail "the update never reached the success page"
seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
sleep 0.5; shot 09-reussite
printf 'e2e-wine: whole update, from "&Connexion" to the success page: %.1f s\n' "$seconds"
# The line's pacing alone: 2.25 s before the first poll, four 200 ms ticks of
# checks, 188 rows at one per 100 ms. More than a quarter over it would mean
# ticks lost in the loop.
awk -v s="$seconds" 'BEGIN { exit !(s <= 1.25 * (2.25 + 0.8 + 18.8)) }' || fail "the update took $seconds s"
click "$QUITTER"
wait_for 20 gone "$app" || fail "the wizard did not quit"
wait_for 20 gone "$sim" || fail "the simulator wrote no report"
"$verifier" update "$tmp/update.json" || fail "the device did not get the image"
echo "e2e-wine: passed"
