#!/usr/bin/env bash
# End to end: the real zt-update in an Xvfb display, driven with xdotool,
# talking to zt-bootloader-sim as COM1 (its pty bind-mounted over /dev/ttyS0
# in a private mount namespace). One whole update and one refusal; a
# screenshot of every page, the about box and a dialog; the simulator's
# report checked against the image.
#
#   run-e2e.sh BIN_DIR SCREENSHOT_DIR VERIFIER
set -euo pipefail
bin=$1 out=$2 verifier=$3
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
fail() { echo "e2e: $*" >&2; exit 1; }

[ -e /dev/ttyS0 ] || { echo "e2e: no /dev/ttyS0 to mount the simulator over; skipped"; exit 77; }
if [ "$(id -u)" -eq 0 ]; then ns=(unshare --mount --propagation private)
else ns=(unshare --user --map-root-user --mount --propagation private); fi

# A display of our own.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
[ -s "$tmp/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$tmp/display")"

# Client coordinates of the main window's buttons (centres).
QUITTER="264 375" PRECEDANT="360 375" SUIVANT="440 375" APROPOS="176 375"
TITLE='^Mise .* du Orvalis ZT$'

# wait_for SECONDS COMMAND...: polls COMMAND every 50 ms.
wait_for() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do
    ((SECONDS < end)) || return 1
    sleep 0.05
  done
}
pixel() { import -window "$win" -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1; }
pixel_is() { [ "$(pixel "$1" "$2")" = "$3" ]; }
pixel_not() { [ "$(pixel "$1" "$2")" != "$3" ]; }
click() { xdotool mousemove --window "$win" $1 click 1; sleep 0.3; }
shot() { import -window "${2:-$win}" "$out/$1.png"; echo "e2e: $out/$1.png"; }
# press WINDOW KEY: a real key press in that window (FLTK ignores sent events).
press() { xdotool windowfocus --sync "$1"; xdotool key "$2"; }
find_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
has_window() { [ -n "$(find_window "$1")" ]; }
gone() { ! kill -0 "$1" 2>/dev/null; }

# start NAME SIM_OPTIONS...: the simulator, then the wizard seeing it as COM1.
start() {
  local name=$1; shift
  report="$tmp/$name.json"
  "$bin/zt-bootloader-sim" --report "$report" --timeout 120 "$@" >"$tmp/$name.sim" &
  sim_pid=$!; pids+=($sim_pid)
  wait_for 5 test -s "$tmp/$name.sim" || fail "the simulator printed no pty"
  local pty; pty=$(head -1 "$tmp/$name.sim")
  "${ns[@]}" sh -c 'mount --bind "$1" /dev/ttyS0 && exec "$2"' e2e "$pty" "$bin/zt-update" &
  app_pid=$!; pids+=($app_pid)
  wait_for 10 has_window "$TITLE" || fail "no wizard window"
  win=$(find_window "$TITLE")
  sleep 0.3
}

# finish KIND: the wizard has quit; the simulator's report is checked.
finish() {
  wait_for 10 gone "$app_pid" || fail "the wizard did not quit"
  wait_for 10 gone "$sim_pid" || fail "the simulator wrote no report"
  "$verifier" "$1" "$report" || fail "$1: the device did not get what it should have"
}

echo "e2e: whole update"
start update
shot 01-accueil
click "$SUIVANT"; shot 02-preparation
click "$SUIVANT"; shot 03-connexion
click "$SUIVANT"; shot 04-choix-port
click "$SUIVANT"; shot 05-verification-lancement
click "$APROPOS"
wait_for 5 has_window '^A propos de la mise ' || fail "no about box"
about=$(find_window '^A propos de la mise ')
shot 10-a-propos "$about"
press "$about" Return
wait_for 5 eval '! has_window "^A propos de la mise "' || fail "Enter did not close the about box"
fond=$(pixel 480 100)
bord=$(pixel 324 375)
click "$SUIVANT"; shot 06-attente-connexion
wait_for 10 pixel_not 324 375 "$bord" || fail "page 7 never came"
shot 07-verification-appareil
wait_for 10 pixel_is 460 336 '#FFFFFF' || fail "page 8 never came"
sleep 3; shot 08-programmation
wait_for 60 pixel_is 460 336 "$fond" || fail "page 9 never came"
sleep 0.5; shot 09-reussite
click "$QUITTER"
finish update

echo "e2e: refusal of a serial number out of range"
start refusal --serial 300000000
for _ in 1 2 3 4 5; do click "$SUIVANT"; done
wait_for 15 has_window '^Erreur$' || fail "no refusal dialog"
dialog=$(find_window '^Erreur$')
sleep 0.3
shot 11-dialogue-refus "$dialog"
shot 12-refus-verification root
press "$dialog" alt+n
finish refusal
echo "e2e: passed"
