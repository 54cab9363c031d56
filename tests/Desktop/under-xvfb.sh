#!/bin/sh
# Runs a command on a fresh virtual X display (Xvfb, 1280×800) with a system
# tray host (trayer, at the top right, where a Mac's status items sit), in a
# fresh temporary home, and ends with the command's exit status.
#   under-xvfb.sh SECONDS COMMAND [ARGUMENTS…]   (the command's time limit)
# The tray is XEmbed: no D-Bus session is passed on, so Qt cannot pick a
# StatusNotifierItem host of the desktop this runs under instead.
# SIGTERM, SIGINT or SIGHUP sent to this script go on to the command, which
# ends while its display is still there; the display, the tray and the home
# go after it.
set -u
limit="$1"
shift
for tool in xvfb-run trayer xdotool; do
  command -v "$tool" >/dev/null || { echo "under-xvfb: $tool is missing (scripts/lib/setup.sh installs it)"; exit 1; }
done
home="$(mktemp -d)"
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_STATE_HOME="$home/state" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM WAYLAND_DISPLAY
pidfile="$home/command.pid"
xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" sh -c '
  limit="$1"
  pidfile="$2"
  shift 2
  trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
         --SetPartialStrut true --expand true --transparent false >/dev/null 2>&1 &
  tray=$!
  timeout --kill-after=5 "$limit" "$@" &
  command=$!
  echo "$command" >"$pidfile"
  wait "$command"
  status=$?
  kill "$tray" 2>/dev/null
  wait "$tray" 2>/dev/null
  exit $status
' under-xvfb "$limit" "$pidfile" "$@" &
display=$!
pass_on() {
  [ -s "$pidfile" ] && kill -TERM "$(cat "$pidfile")" 2>/dev/null
}
trap pass_on TERM INT HUP
# A signal interrupts the wait; the display ends only after the command.
while :; do
  wait "$display"
  status=$?
  kill -0 "$display" 2>/dev/null || break
done
rm -rf "$home"
exit $status
