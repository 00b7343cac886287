#!/usr/bin/env bash
# SCRNPICK on a desktop: the chooser's dialog in a window, worked with the mouse.
#
# usage (under xvfb-run): scrnpick_window_test.sh BIN SOURCE CASE
#   double-click   a double click on an entry chooses it, and a later view is matched
#                  to it: the same picture as after choosing that entry at the terminal
set -euo pipefail
bin=$1 src=$2 case=$3
source "$(dirname "$0")/desktop_test_lib.sh"

# Where the list's first row starts in the dialog's window, and the height of a row,
# with Debian's default theme and fonts.
first_row_y=31
row_height=23

# The entries of the list in order, as the terminal shows them.
entries() { printf 'cancel\n' | env -u DISPLAY "$bin/SCRNPICK" | sed -n 's/^[ *]*[0-9][0-9]*  //p'; }

# A headless view of the chart under the monitor profile of ZIRN_HOME, to FILE.
view() {
  "$bin/nphost" --headless --windir "$WINDIR" --size 400x300 --screenshot "$1" \
    "$src/samples/chart-swapped.jpg"
}

case_double-click() {
  mapfile -t names < <(entries)
  [ ${#names[@]} -ge 2 ] || fail "the engine lists fewer than two profiles"
  "$bin/SCRNPICK" &
  local pid=$! dialog
  dialog=$(window_named "Monitor Profile Selection")
  sleep 0.5
  xdotool mousemove --window "$dialog" 60 $((first_row_y + row_height + row_height / 2)) \
    click --repeat 2 --delay 100 1
  wait_for "$pid"
  [ "$status" = 0 ] || fail "SCRNPICK ended with $status"
  local chosen=${names[1]}
  view "$work/chosen-in-window.png"
  ZIRN_HOME=$work/other
  mkdir -p "$ZIRN_HOME"
  choose_at_terminal "$chosen"
  view "$work/chosen-at-terminal.png"
  cmp -s "$work/chosen-in-window.png" "$work/chosen-at-terminal.png" ||
    fail "the view does not match the profile chosen in the window"
}

"case_$case"
echo "PASS: $case"
