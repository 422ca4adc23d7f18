#!/usr/bin/env bash
# The main job. Until the desktop application lands, this walks through
# corvane-cli on a demonstration data file in the build folder.
set -euo pipefail
BUILD=${1:-build}
CLI="$BUILD/src/cli/corvane-cli"
DEMO="$BUILD/demo/demo.mlb"
mkdir -p "$(dirname "$DEMO")"

run() { echo "\$ corvane-cli $*"; "$CLI" "$@"; echo; }

run new "$DEMO"
run set "$DEMO" "General Purpose" 121 "Terminal 4 North" --level 2
run set "$DEMO" "Wild Stream Meter" 301 1234.5 --level 3
run set "$DEMO" Communications 721 192.168.0.10
run set "$DEMO" "Recipe 5" 2 PREMIUM
run info "$DEMO"
run get "$DEMO" "Wild Stream Meter" 301 --level
run list "$DEMO" --dir "Recipe 5" --levels
