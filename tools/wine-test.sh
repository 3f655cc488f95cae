#!/usr/bin/env bash
# Runs one test program under Wine for CTest:  wine-test.sh SECONDS PROGRAM [ARGS...]
# The loader comes from $WINE, set by tools/wine-env.sh for the build's architecture.
# The output goes to PROGRAM's name with ".log" beside it and is printed once the program
# has ended. A Wine helper started by a test inherits the program's output; were that
# CTest's pipe, CTest would wait for the helper, which lives as long as the Wine server,
# instead of the program. The program gets its own time limit a little under CTest's, so
# that what it printed before a hang still reaches CTest's log.
set -u
limit=${1:?seconds}
shift
if [ -z "${WINE:-}" ]; then
  echo "wine-test.sh: WINE is not set; run the tests through tools/test.sh" >&2
  exit 2
fi
log="${1%.exe}.log"
timeout --kill-after=10 "$limit" "$WINE" "$@" >"$log" 2>&1 </dev/null
rc=$?
cat "$log"
if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
  echo "wine-test.sh: $(basename "$1") did not end within $limit s" >&2
fi
exit "$rc"
