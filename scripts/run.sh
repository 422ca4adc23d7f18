#!/usr/bin/env bash
# make run: starts pellion-sim on a free loopback port and opens the desktop
# application on a configuration document that talks to it over TCP/IP.
# Builds nothing itself: the Makefile's run target builds first.
set -euo pipefail
BUILD=${1:-build}
APP="$BUILD/src/app/corvane"
SIM="$BUILD/src/sim/pellion-sim"
DEMO_DIR="$BUILD/demo"
INI="$DEMO_DIR/corvane-demo.ini"
DEMO="$DEMO_DIR/demo.mlb"
SIM_OUT="$DEMO_DIR/pellion-sim.out"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "make run opens a window, and there is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "Run it on a virtual display instead:" >&2
  echo "    xvfb-run -a make run" >&2
  exit 1
fi
for exe in "$APP" "$SIM"; do
  if [ ! -x "$exe" ]; then
    echo "$exe is missing: build first (make build)" >&2
    exit 1
  fi
done

mkdir -p "$DEMO_DIR"
# The controller's FTP side too, for the firmware upgrade and controller files
# (user "Corvane", access code 0000).
"$SIM" --tcp 0 --ftp-root "$DEMO_DIR/ftp" >"$SIM_OUT" 2>&1 &
SIM_PID=$!
stop_sim() { kill "$SIM_PID" 2>/dev/null || true; wait "$SIM_PID" 2>/dev/null || true; }
trap stop_sim EXIT

PORT=""
for _ in $(seq 1 100); do
  PORT=$(sed -n 's/^listening tcp 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$SIM_OUT" | head -n 1)
  [ -n "$PORT" ] && break
  if ! kill -0 "$SIM_PID" 2>/dev/null; then
    echo "pellion-sim ended at start:" >&2
    cat "$SIM_OUT" >&2
    exit 1
  fi
  sleep 0.05
done
FTP_PORT=""
for _ in $(seq 1 100); do
  FTP_PORT=$(sed -n 's/^listening ftp 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$SIM_OUT" | head -n 1)
  [ -n "$FTP_PORT" ] && break
  kill -0 "$SIM_PID" 2>/dev/null || break
  sleep 0.05
done
if [ -z "$PORT" ] || [ -z "$FTP_PORT" ]; then
  echo "pellion-sim did not announce its ports; its output:" >&2
  cat "$SIM_OUT" >&2
  exit 1
fi

# A private settings store: the simulator's ports, and nothing of the user's own settings touched.
cat >"$INI" <<INI
[Comm]
TcpPort=$PORT
FtpPort=$FTP_PORT
INI

# The demonstration data file: TCP/IP to 127.0.0.1. Kept between runs, so that
# saved edits stay; the port comes from the settings above.
if [ ! -f "$DEMO" ]; then
  "$APP" --settings "$INI" --new-tcp 127.0.0.1 --save-as "$DEMO"
fi

echo "pellion-sim listens on 127.0.0.1:$PORT (FTP $FTP_PORT, access code 0000); opening $DEMO"
echo "The firmware upgrade takes ULOAD.BIN from $DEMO_DIR and leaves APPINFO.DAT there."
status=0
# The demo folder is the working folder: files the app writes there stay out of the sources.
APP_ABS=$(cd "$(dirname "$APP")" && pwd)/$(basename "$APP")
(cd "$DEMO_DIR" && "$APP_ABS" --settings "$(basename "$INI")" "$(basename "$DEMO")") || status=$?
exit "$status"
