#!/usr/bin/env bash
# Runs a command on a private virtual X display (Xvfb), so that editor tests
# never open windows on a developer's desktop and work where there is none.
set -uo pipefail
# The private display has no high-density screen: the editor's scale comes
# from what a test asks for, not from the desktop this was started from.
unset MURLAN_UI_SCALE GDK_SCALE
for n in $(seq 91 160); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  # -noreset: without it the server resets whenever its last client leaves,
  # and a test connecting at that moment is refused.
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 $xvfb 2>/dev/null || break
    sleep 0.1
  done
  if ! kill -0 $xvfb 2>/dev/null; then
    continue  # lost a race for this display number; try the next
  fi
  export DISPLAY=":$n"
  "$@"
  status=$?
  kill $xvfb 2>/dev/null
  wait $xvfb 2>/dev/null
  exit $status
done
echo "with-xvfb: no free display number" >&2
exit 1
