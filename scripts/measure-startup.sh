#!/bin/sh
# Start-up time and peak memory of kr39eds at a ready main window (catalog read, first redraw;
# the splash is ended as soon as the catalog is in) against a bare Qt main window started the
# same way. Usage: scripts/measure-startup.sh [build dir]
# (needs hyperfine and GNU time; uses xvfb-run when found)
set -eu
BUILD=${1:-build/default}
BIN=$BUILD/bin
[ -x "$BIN/kr39eds" ] && [ -x "$BIN/kr39eds-bare-window" ] || { echo "build first: $BIN" >&2; exit 1; }
export KR39EDS_QUIT_WHEN_READY=1
RUN=""
if command -v xvfb-run >/dev/null 2>&1 && [ -z "${DISPLAY:-}" ]; then
  # One X server for all runs, so its start-up is not measured.
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
hyperfine --warmup 3 --runs "${RUNS:-30}" -N --export-json "$BUILD/startup.json" \
  "$BIN/kr39eds-bare-window" "$BIN/kr39eds"
python3 - "$BUILD/startup.json" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
bare, app = r[0]["mean"], r[1]["mean"]
print(f"bare Qt window {bare*1000:.1f} ms, kr39eds {app*1000:.1f} ms, ratio {app/bare:.2f}")
PY
# Peak memory (maximum resident set) at the ready window: the median of five runs of each.
peak() {
  for _ in 1 2 3 4 5; do
    /usr/bin/time -f %M -o "$BUILD/peak.txt" "$1" >/dev/null 2>&1
    tail -n 1 "$BUILD/peak.txt"
  done | sort -n | sed -n 3p
}
bare_kb=$(peak "$BIN/kr39eds-bare-window")
app_kb=$(peak "$BIN/kr39eds")
python3 -c "print(f'peak memory: bare Qt window {$bare_kb/1024:.1f} MB, kr39eds {$app_kb/1024:.1f} MB, ratio {$app_kb/$bare_kb:.2f}')"
