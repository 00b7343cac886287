#!/usr/bin/env bash
# SCRNPICK on a desktop: the chooser's dialog in a window, worked with the mouse and the
# keys. Each case chooses the second entry or nothing, and a later view is matched to
# what was chosen: the same picture as after choosing that entry at the terminal (or
# choosing nothing).
#
# usage (under xvfb-run): scrnpick_window_test.sh BIN SOURCE CASE
#   double-click   a double click on the second entry chooses it
#   keys           Down then Enter choose the second entry
#   escape         Down then Escape choose nothing
#   close          the close box chooses nothing
set -euo pipefail
bin=$1 src=$2 case=$3
source "$(dirname "$0")/desktop_test_lib.sh"

# Where the list's first row starts in the dialog's window, and the height of a row,
# with Debian's default theme and fonts.
first_row_y=31
row_height=23

# case: what is done to the dialog $d, and the entry it chooses (from 1; 0: none).
declare -A actions=(
  [double-click]="xdotool mousemove --window \$d 60 $((first_row_y + row_height * 3 / 2)) \
click --repeat 2 --delay 100 1"
  [keys]="keys_to \$d Down Return"
  [escape]="keys_to \$d Down Escape"
  [close]="\"\$bin/close-window\" \$d"
)
declare -A chooses=([double-click]=2 [keys]=2 [escape]=0 [close]=0)

# The entries of the list in order, as the terminal shows them.
entries() { printf 'cancel\n' | env -u DISPLAY "$bin/SCRNPICK" | sed -n 's/^[ *]*[0-9][0-9]*  //p'; }

# A headless view of the chart under the monitor profile of ZIRN_HOME, to FILE.
view() {
  "$bin/nphost" --headless --windir "$WINDIR" --size 400x300 --screenshot "$1" \
    "$src/samples/chart-swapped.jpg" 2>/dev/null
}

mapfile -t names < <(entries)
[ ${#names[@]} -ge 2 ] || fail "the engine lists fewer than two profiles"
"$bin/SCRNPICK" &
pid=$!
d=$(window_named "Monitor Profile Selection")
sleep 0.5
eval "${actions[$case]}"
wait_for "$pid"
[ "$status" = 0 ] || fail "SCRNPICK ended with $status"
view "$work/after-window.png"

ZIRN_HOME=$work/other
mkdir -p "$ZIRN_HOME"
entry=${chooses[$case]}
[ "$entry" = 0 ] || choose_at_terminal "${names[entry - 1]}"
view "$work/after-terminal.png"
cmp -s "$work/after-window.png" "$work/after-terminal.png" ||
  fail "the view does not match what the window chose (entry $entry)"
echo "PASS: $case"
