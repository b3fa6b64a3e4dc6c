#!/bin/sh
# SPDX-License-Identifier: MIT
# Makes the wine prefix $WINEPREFIX and leaves a wineserver running in it that only
# wine_stop ends. Debian's wineserver exits the moment its last client does, so the one
# wineboot started could be going away just as the next test connected to it ("recvmsg:
# Connection reset by peer").
#   wine_start.sh WINE WINESERVER
set -u
wine=$1
wineserver=$2
log=$WINEPREFIX/wine_start.log

mkdir -p "$WINEPREFIX" || exit 1
# A server left by an interrupted run holds the lock a new one needs.
"$wineserver" -k 2>/dev/null
# wineserver returns once its socket listens, so wineboot connects to it rather than
# starting its own. The server and the processes wineboot leaves behind keep the output
# they were given, and CTest waits until its pipes close: they get a file instead.
if ! { "$wineserver" -p && "$wine" wineboot --init; } >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
