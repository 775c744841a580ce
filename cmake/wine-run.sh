#!/bin/sh
# Runs a 32-bit Windows program under Wine, in the build's own Wine prefix. Where this
# machine cannot run 32-bit programs at all, Wine cannot either: say so and stop, so that
# the test is reported as skipped rather than passed.
here=$(dirname "$0")
: "${WINEPREFIX:=$(cd "$here/../build" && pwd)/wineprefix}"
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv,wineoss.drv=d"
probe="$WINEPREFIX.runs"
if [ ! -f "$probe" ]; then
    if timeout 300 wine cmd /c exit 0 >/dev/null 2>&1; then
        echo yes > "$probe"
    else
        echo no > "$probe"
    fi
fi
if [ "$(cat "$probe")" != yes ]; then
    echo "Wine cannot run 32-bit Windows programs on this machine (its kernel runs no 32-bit code); not run under Wine" >&2
    exit 77
fi
exec wine "$@"
