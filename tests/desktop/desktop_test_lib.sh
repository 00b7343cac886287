# What the desktop test scripts share: a scratch directory with its own engine home
# and Windows directory, sRGB as its monitor profile, and ways to find, look at and
# close windows on the virtual display. Sourced with bin= and src= set.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ZIRN_HOME=$work/zirn WINDIR=$work/windows
# The toolkit's settings in memory, without the session bus a virtual display lacks.
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
mkdir -p "$ZIRN_HOME" "$WINDIR"
cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }

# The chooser at the terminal (no display): NAME's entry becomes the monitor profile.
choose_at_terminal() {
  local listing entry
  listing=$(printf 'cancel\n' | env -u DISPLAY "$bin/SCRNPICK")
  entry=$(sed -n "s/^[ *]*\([0-9][0-9]*\)  $1\$/\1/p" <<<"$listing" | head -n 1)
  [ -n "$entry" ] || fail "the chooser lists no $1"
  printf '%s\nok\n' "$entry" | env -u DISPLAY "$bin/SCRNPICK" >/dev/null
}

# The id of the window titled exactly TITLE, waiting for it to be shown.
window_named() {
  timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1 ||
    fail "no window '$1'"
}

# Does ACTION (a shell command) until a window titled TITLE shows, up to ten times, so
# a slow machine has time to open a menu or list printers; prints the window's id.
until_window() {
  local title=$1 action=$2 i
  for ((i = 0; i < 10; ++i)); do
    eval "$action"
    timeout 3 xdotool search --sync --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1 &&
      return 0
  done
  fail "no window '$title' after: $action"
}

# Gives WINDOW the keyboard and presses KEYS.
keys_to() {
  local window=$1
  shift
  xdotool windowfocus --sync "$window" key --delay 50 "$@"
}

# Waits for the child process PID to end within 20 seconds; its exit status in $status.
wait_for() {
  local i
  for ((i = 0; i < 200; ++i)); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$1" 2>/dev/null && { kill "$1"; fail "process $1 did not end"; }
  status=0
  wait "$1" || status=$?
}
