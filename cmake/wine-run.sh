#!/usr/bin/env bash
# Runs a Windows program of a build under Wine: wine-run.sh PROGRAM [ARGS...].
# The Wine prefix is the build's own (wine-prefix/ in the build folder that holds the
# program), made on first use with the null graphics driver, so that windows and GDI
# work without a display. Quiet: no debug channels, no mono or gecko installer prompts.
# No crash debugger: a program that crashes ends at once with a failing status, where
# the debugger Wine starts would wait without a display until the test's timeout.
set -euo pipefail
# KESTRUM_WINE_BUILD names the build whose prefix to use for a program outside it (an
# installed copy, say); KESTRUM_WINE_DEBUG, Wine's debug channels to turn on instead of
# none (+loaddll: the loader's record of every library it loads, on standard error).
program=$1
build=${KESTRUM_WINE_BUILD:-$(cd "$(dirname "$program")" && pwd)}
while [[ ! -f $build/CMakeCache.txt && $build != / ]]; do build=$(dirname "$build"); done
[[ -f $build/CMakeCache.txt ]] || build=$(cd "$(dirname "$program")" && pwd)

export WINEPREFIX=$build/wine-prefix
export WINEDEBUG=${KESTRUM_WINE_DEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export WINEARCH=win32
unset DISPLAY WAYLAND_DISPLAY

if [[ ! -f $WINEPREFIX/.kestrum-ready ]]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [[ ! -f $WINEPREFIX/.kestrum-ready ]]; then
      wineboot -i > /dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f > /dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.kestrum-ready"
    fi
  ) 9> "$build/wine-prefix.lock"
fi
# One Wine server for a whole test run: it stays 30 seconds after its last program ends,
# instead of starting anew for each test program.
wineserver -p30 2> /dev/null || true
exec wine "$@"
