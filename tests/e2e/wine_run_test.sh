#!/usr/bin/env bash
# scripts/wine-run --start while a display and a server run already (the
# e2e driver and the demo may meet a running one): it succeeds and keeps the
# recorded display, so --stop still ends it.
set -euo pipefail
wine_run=$1
state=${SETUP_WINE_DIR:?}/state

before=$(cat "$state")
"$wine_run" --start
after=$(cat "$state")
if [ "$before" != "$after" ]; then
    echo "state changed from '$before' to '$after'" >&2
    exit 1
fi
# shellcheck disable=SC1090
. "$state"
kill -0 "${XVFB_PID:?no Xvfb recorded}"
echo "second --start kept $XVFB_DISPLAY (pid $XVFB_PID)"
