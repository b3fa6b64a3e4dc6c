#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The window's command line before any window opens: --help and --version answer without
# a display, a start without one says why in one line, wrong arguments name the problem.
#   zerka_main_test.sh ZERKA VERSION
set -u
zerka=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# expect STATUS OUT ERR ARG...: runs zerka with no display (and with what $platform sets);
# OUT and ERR are glob patterns.
platform=()
expect() {
  local status=$1 out=$2 err=$3 got_out got_err got_status
  shift 3
  got_out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${platform[@]}" "$zerka" "$@" 2>"$work/err")
  got_status=$?
  got_err=$(<"$work/err")
  # shellcheck disable=SC2053 # the expectations are patterns
  if [[ $got_status != "$status" || $got_out != $out || $got_err != $err ]]; then
    printf 'zerka %s: exit %s, stdout:\n%s\nstderr:\n%s\n--- expected exit %s, stdout %s, stderr %s\n\n' \
      "$*" "$got_status" "$got_out" "$got_err" "$status" "$out" "$err"
    failures=$((failures + 1))
  fi
}

for flag in -h --help; do
  expect 0 'Usage: *zerka \[options\] \[FOLDER\]'$'\n''*FOLDER*' "" "$flag"
done
for flag in -V --version; do
  expect 0 "zerka $version" "" "$flag"
done
expect 0 "zerka $version" "" -platform xcb --version
expect 2 "" "no display: set DISPLAY, or use zerka-cli"
expect 2 "" "no display: set DISPLAY, or use zerka-cli" "$work"
expect 2 "" "no display: set DISPLAY, or use zerka-cli" -platform xcb "$work"

# With a platform that needs no display, the arguments are checked before the window opens.
# Qt may warn first (XDG_RUNTIME_DIR), so stderr only has to end in the message.
try_help=$'\n'"Try 'zerka --help' for more information."
expect 2 "" "*zerka: /nowhere: not a folder" -platform offscreen /nowhere
platform=(QT_QPA_PLATFORM=offscreen)
expect 2 "" "*zerka: /nowhere: not a folder" /nowhere
expect 2 "" "*zerka: Unknown option 'bogus'.$try_help" --bogus
expect 2 "" "*zerka: too many arguments$try_help" "$work" "$work"

[ "$failures" -eq 0 ] || { echo "$failures checks failed"; exit 1; }
