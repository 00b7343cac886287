#!/usr/bin/env bash
# nphost on a desktop: each case opens its windows on the virtual display, works them as
# a person would and checks what the browser and the plug-in did.
#
# usage (under xvfb-run): nphost_window_test.sh BIN SOURCE CASE
#   pixels   the window shows the client pixels of the off-screen screenshot of the run
#   scroll   the scroll bar's arrow, track and thumb and the wheel scroll the picture as
#            the scroll messages they stand for do in an off-screen run
#   save     a right click shows the menu; Save as and a typed path write a byte copy,
#            and saving over it again asks first
#   resize   a window made larger is laid out again and the plug-in told its new size
#   print    the script's print request opens the print dialog; Enter prints to a file
#   broken   a broken file's message box appears and Enter closes it (the window's
#            close box waits till then)
#   close    closing both windows destroys every instance and ends the run with 0
set -euo pipefail
bin=$1 src=$2 case=$3
source "$(dirname "$0")/desktop_test_lib.sh"
choose_at_terminal sRGB

chart=$src/samples/chart-swapped.jpg

# nphost in the background; its pid in $pid.
start() {
  "$bin/nphost" --windir "$WINDIR" --messages "$work/messages.json" "$@" 2>"$work/stderr" &
  pid=$!
}

# The settled picture of WINDOW, written to FILE: taken until two in a row agree and
# show more than one colour (a window not painted yet is all white).
snapshot() {
  local previous="" now i
  for ((i = 0; i < 100; ++i)); do
    import -window "$1" "$2" 2>/dev/null || true
    now=$(md5sum <"$2")
    [ "$now" = "$previous" ] && [ "$(identify -format %k "$2")" -gt 1 ] && return 0
    previous=$now
    sleep 0.2
  done
  fail "the window never settled"
}

close_and_expect() {  # WINDOW STATUS
  "$bin/close-window" "$1"
  wait_for "$pid"
  [ "$status" = "$2" ] || fail "nphost ended with $status, not $2: $(cat "$work/stderr")"
}

case_pixels() {
  start --size 400x300 --screenshot "$work/shot.png" "$chart"
  local window
  window=$(window_named "chart-swapped.jpg - nphost")
  snapshot "$window" "$work/window.png"
  close_and_expect "$window" 0
  [ -s "$work/shot.png" ] || fail "no screenshot"
  local differ
  differ=$(compare -metric AE "$work/window.png" "$work/shot.png" null: 2>&1) || true
  [ "$differ" = "0" ] || fail "$differ pixels differ between the window and the screenshot"
}

# 300 x 200 on a 64 x 1000 picture: the vertical bar is x 283..299, its arrows y 0..16
# and 183..199; the thumb is 17 pixels with 149 pixels of travel.
case_scroll() {
  convert -size 64x1000 gradient:yellow-blue -quality 95 "$work/tall.jpg"
  local -a table=(
    "mousemove --window \$w 291 191 click 1" "vscroll linedown"
    "mousemove --window \$w 291 150 click 1" "vscroll pagedown"
    "mousemove --window \$w 291 25 mousedown 1 mousemove --window \$w 291 60 mousemove \
--window \$w 291 100 mouseup 1" "vscroll thumbposition 403"
    "mousemove --window \$w 100 100 click 5" "vscroll linedown
vscroll linedown
vscroll linedown"
  )
  local i w
  for ((i = 0; i < ${#table[@]}; i += 2)); do
    start --size 300x200 "$work/tall.jpg"
    w=$(window_named "tall.jpg - nphost")
    snapshot "$w" "$work/before.png"
    eval "xdotool ${table[i]}"
    sleep 0.3
    snapshot "$w" "$work/window.png"
    close_and_expect "$w" 0
    printf '%s\n' "${table[i + 1]}" >"$work/script"
    "$bin/nphost" --headless --windir "$WINDIR" --size 300x200 --script "$work/script" \
      --screenshot "$work/expected.png" "$work/tall.jpg"
    [ "$(compare -metric AE "$work/window.png" "$work/expected.png" null: 2>&1)" = 0 ] ||
      fail "'${table[i]}' does not show what '${table[i + 1]}' does"
    [ "$(compare -metric AE "$work/window.png" "$work/before.png" null: 2>&1)" != 0 ] ||
      fail "'${table[i]}' scrolled nothing"
  done
}

# Right-clicks WINDOW, chooses Save as and types PATH into the file chooser; prints the
# chooser's id.
save_as() {
  local dialog
  # The first item views the image; after the separator comes Save as.
  dialog=$(until_window "Save As" "xdotool key Escape mousemove --window $1 100 100 \
    click 3 sleep 0.5 key --delay 100 Down Down Return")
  keys_to "$dialog" ctrl+a
  xdotool type "$2"
  xdotool key Return
  echo "$dialog"
}

case_save() {
  start --size 400x300 "$chart"
  local window
  window=$(window_named "chart-swapped.jpg - nphost")
  save_as "$window" "$work/copy.jpg" >/dev/null
  timeout 20 bash -c 'until [ -s "$1" ]; do sleep 0.1; done' _ "$work/copy.jpg" || fail "nothing saved"
  sleep 0.5
  cmp "$chart" "$work/copy.jpg" || fail "the copy differs"
  # Saving over it asks first (the box takes the dialog's title): No keeps the file,
  # Yes replaces it.
  local answer chooser box i
  for answer in alt+n alt+y; do
    echo kept >"$work/copy.jpg"
    chooser=$(save_as "$window" "$work/copy.jpg")
    for ((i = 0; i < 50; ++i)); do
      box=$(xdotool search --onlyvisible --name "^Save As\$" | grep -vx "$chooser" | head -n 1) &&
        break
      sleep 0.1
    done
    [ -n "$box" ] || fail "no question before saving over the file"
    keys_to "$box" "$answer"
    if [ "$answer" = alt+y ]; then
      timeout 20 bash -c 'until cmp -s "$1" "$2"; do sleep 0.1; done' _ "$chart" \
        "$work/copy.jpg" || fail "Yes did not replace the file"
    else
      for ((i = 0; i < 100; ++i)); do
        xdotool search --onlyvisible --name "^Save As\$" >/dev/null || break
        sleep 0.1
      done
      sleep 0.5
      [ "$(head -c 4 "$work/copy.jpg")" = kept ] || fail "No replaced the file"
    fi
  done
  close_and_expect "$window" 0
}

case_resize() {
  export TESTPLUGIN_LOG=$work/plugin.log
  start --plugin "$bin/TESTPLUGIN.DLL" --size 300x200 "$chart"
  local window
  window=$(window_named "chart-swapped.jpg - nphost")
  xdotool windowsize --sync "$window" 500 400
  local i
  for ((i = 0; i < 50; ++i)); do
    grep -q "NPP_SetWindow .* width=500 height=400" "$TESTPLUGIN_LOG" && break
    sleep 0.1
  done
  grep -q "NPP_SetWindow .* width=500 height=400" "$TESTPLUGIN_LOG" ||
    fail "the plug-in was not told the new size: $(cat "$TESTPLUGIN_LOG")"
  close_and_expect "$window" 0
}

case_print() {
  printf 'print\n' >"$work/script"
  start --size 400x300 --script "$work/script" "$chart"
  local window dialog
  window=$(window_named "chart-swapped.jpg - nphost")
  dialog=$(window_named "Print")
  # Once the dialog lists its printers (the file's is the first), one is chosen and
  # Enter prints; until then Enter does nothing.
  local i
  for ((i = 0; i < 20; ++i)); do
    xdotool search --onlyvisible --name "^Print\$" >/dev/null || break
    # The dialog may go while this runs.
    xdotool windowfocus --sync "$dialog" mousemove --window "$dialog" 80 86 click 1 \
      key Return 2>/dev/null || true
    sleep 0.5
  done
  for ((i = 0; i < 100; ++i)); do
    grep -q '"print-job"' "$work/messages.json" && break
    sleep 0.1
  done
  grep -q '"print-job".*"pages":1' "$work/messages.json" ||
    fail "no page printed: $(cat "$work/messages.json")"
  [ "$(head -c 5 "$work/print.pdf")" = "%PDF-" ] || fail "print.pdf is not a PDF"
  close_and_expect "$window" 0
}

case_broken() {
  head -c 200 "$chart" >"$work/broken.jpg"
  start --size 400x300 "$work/broken.jpg"
  local window box caption
  window=$(window_named "broken.jpg - nphost")
  caption=$(timeout 20 bash -c 'until grep -o "\"caption\":\"[^\"]*\"" "$1"; do sleep 0.1; done' \
              _ "$work/messages.json" | head -n 1 | cut -d'"' -f4)
  box=$(window_named "$caption")
  # The window's close box does nothing while the plug-in is inside its message box
  # (the toolkit holds back the close of a window behind a modal dialog).
  "$bin/close-window" "$window"
  sleep 0.3
  kill -0 "$pid" 2>/dev/null || fail "nphost ended under its message box"
  keys_to "$box" Return
  local i
  for ((i = 0; i < 50; ++i)); do
    xdotool search --onlyvisible --name "^$caption\$" >/dev/null || break
    sleep 0.1
  done
  xdotool search --onlyvisible --name "^$caption\$" >/dev/null && fail "the message box stays"
  close_and_expect "$window" 0
}

case_close() {
  export TESTPLUGIN_LOG=$work/plugin.log
  cp "$chart" "$work/second.jpg"
  start --plugin "$bin/TESTPLUGIN.DLL" --size 200x150 "$chart" "$work/second.jpg"
  local first second
  first=$(window_named "chart-swapped.jpg - nphost")
  second=$(window_named "second.jpg - nphost")
  "$bin/close-window" "$first"
  timeout 20 bash -c 'until grep -q "#1 NPP_Destroy" "$1"; do sleep 0.1; done' _ "$TESTPLUGIN_LOG" ||
    fail "instance 1 was not destroyed with its window"
  kill -0 "$pid" || fail "nphost ended with a window still open"
  close_and_expect "$second" 0
  grep -q "#2 NPP_Destroy" "$TESTPLUGIN_LOG" || fail "instance 2 was not destroyed"
  grep -q "NP_Shutdown" "$TESTPLUGIN_LOG" || fail "no NP_Shutdown"
  [ ! -s "$work/stderr" ] || fail "nphost said: $(cat "$work/stderr")"
}

"case_$case"
echo "PASS: $case"
