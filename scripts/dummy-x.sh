# Sourced: an X server of monitors side by side, for tests and measures that
# need more than one monitor. It is Xorg with the dummy video driver (run as
# root), whose outputs are real RandR outputs: Wine lists those (RandR
# monitors of one output it does not see), and so do SDL and the engine.
#
#   dummy_x_start COUNT SIZE LOG   COUNT (1 or 2) monitors of SIZE (800x600
#                                  or 1920x1080); sets DUMMY_X_DISPLAY and
#                                  DUMMY_X_PID; fails when the server or its
#                                  monitors cannot be set up (see LOG)
#   dummy_x_stop                   ends the server

dummy_x_start() {
  local count=$1 size=$2 log=$3 mode n
  case $size in
    800x600) mode="40.00 800 840 968 1056 600 601 605 628" ;;
    1920x1080) mode="148.50 1920 2008 2052 2200 1080 1084 1089 1125" ;;
    *) echo "dummy_x_start: no mode line for $size" >&2; return 1 ;;
  esac
  local w=${size%x*} h=${size#*x}
  DUMMY_X_CONF=$(mktemp)
  cat >"$DUMMY_X_CONF" <<CONF
Section "ServerFlags"
  Option "AutoAddDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 262144
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual $((w * 2)) $h
  EndSubSection
EndSection
CONF
  for n in $(seq 140 199); do [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break; done
  DUMMY_X_DISPLAY=:$n
  Xorg "$DUMMY_X_DISPLAY" -config "$DUMMY_X_CONF" -noreset -nolisten tcp -logfile "$log" </dev/null >/dev/null 2>&1 &
  DUMMY_X_PID=$!
  for _ in $(seq 100); do DISPLAY=$DUMMY_X_DISPLAY xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  local x=(env DISPLAY="$DUMMY_X_DISPLAY" xrandr)
  "${x[@]}" --newmode monitor $mode && "${x[@]}" --addmode DUMMY0 monitor || return 1
  if [ "$count" = 2 ]; then
    "${x[@]}" --addmode DUMMY1 monitor &&
      "${x[@]}" --fb "$((w * 2))x$h" --output DUMMY0 --mode monitor --pos 0x0 --primary \
        --output DUMMY1 --mode monitor --pos "${w}x0" || return 1
  else
    "${x[@]}" --fb "$size" --output DUMMY0 --mode monitor --pos 0x0 --primary || return 1
  fi
  # A full probe of the outputs (xrandr's listing): without it a quick look
  # (Wine's) still finds the second output off.
  "${x[@]}" --listmonitors >/dev/null
}

dummy_x_stop() {
  kill "$DUMMY_X_PID" 2>/dev/null || true
  wait "$DUMMY_X_PID" 2>/dev/null || true
  rm -f "$DUMMY_X_CONF"
}
