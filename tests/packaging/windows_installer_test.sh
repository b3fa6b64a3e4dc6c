#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs the Windows installer as a user would, silently, in a wine prefix of its own: install,
# a second install over the first, uninstall with files of the user's own in the folder,
# then an install into a folder of the user's choice and its upgrade. Each step is checked
# on the disk and in the prefix's registry files, which wineserver writes when it exits.
#   windows_installer_test.sh WINE WINESERVER INSTALLER EXAMPLES_DIR
# ZERKA_INSTALLER_SKIP_CONVERT=1 leaves out the conversion by the installed zerka-cli.exe,
# for an installer made of stand-in programs.
set -u
wine=$1
wineserver=$2
installer=$3
examples=$4

work=$(mktemp -d) || exit 1
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
# No .NET or Gecko installer prompts, and no desktop menu entries made from the shortcut.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() {
  "$wineserver" -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' HUP INT PIPE TERM

failures=0
fail() {
  printf "FAIL: %s\n" "$*"
  failures=$((failures + 1))
}

# run PROGRAM ARG...: runs it, then waits for every process of the prefix to end: an NSIS
# uninstaller returns at once and goes on as a copy of itself in the temporary folder.
# Waiting for the server to exit also gets the registry onto the disk.
run() {
  "$wine" "$@" >>"$work/wine.log" 2>&1
  status=$?
  if ! timeout 300 "$wineserver" -w; then
    printf "wine %s: still running after 5 minutes\n" "$*"
    "$wineserver" -k
    status=124
    return $status
  fi
  return $status
}

# Windows' name of a path on the build machine.
z_path() {
  printf 'Z:%s' "$1" | sed 's|/|\\|g'
}

if ! run wineboot --init; then
  cat "$work/wine.log"
  exit 1
fi
user_home=
for folder in "$WINEPREFIX"/drive_c/users/*; do
  [ "${folder##*/}" = Public ] || user_home=$folder
done
if [ -z "$user_home" ]; then
  echo "wineboot made no user folder in $WINEPREFIX/drive_c/users"
  exit 1
fi
user_name=${user_home##*/}
inst="$user_home/AppData/Local/Programs/Zerka"
inst_win="C:\\users\\$user_name\\AppData\\Local\\Programs\\Zerka"
shortcut="$user_home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Zerka.lnk"
version=$(basename "$installer" | sed -n 's/^zerka-\(.*\)-win64-setup\.exe$/\1/p')

# What the installer must put in examples: the folder less a trial run's outputs and backups.
(cd "$examples" && find . -path ./New -prune -o -type f ! -name '*.~*~' -print | LC_ALL=C sort) \
  >"$work/examples.list"

# The registry file's line of value NAME of the Uninstall\Zerka key, escaped as in the file.
uninstall_value() {
  awk -v name="\"$1\"=" '
    /^\[/ { in_key = index($0, "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Zerka]") == 1 }
    in_key && index($0, name) == 1 { print substr($0, length(name) + 1) }' "$WINEPREFIX/user.reg"
}

# No trace of Zerka in HKEY_LOCAL_MACHINE, whatever the step.
check_no_machine_keys() {
  count=$(grep -ci zerka "$WINEPREFIX/system.reg")
  [ "$count" -eq 0 ] || fail "$1: system.reg (HKLM) mentions Zerka $count times"
}

# check_install FOLDER WINDOWS_FOLDER STEP: the files, the shortcut and the Add/Remove
# Programs entry of an install into FOLDER.
check_install() {
  folder=$1 folder_win=$2 step=$3
  reg_folder=$(printf '%s' "$folder_win" | sed 's/\\/\\\\/g')
  for file in zerka.exe zerka-cli.exe README.txt LICENSE.txt Uninstall.exe; do
    [ -s "$folder/$file" ] || fail "$step: $file is not installed"
  done
  for file in README.txt LICENSE.txt; do
    [ -f "$folder/$file" ] || continue
    lines=$(wc -l <"$folder/$file")
    crlf=$(grep -c "$(printf '\r')\$" "$folder/$file")
    if [ "$lines" -eq 0 ] || [ "$crlf" -ne "$lines" ]; then
      fail "$step: $file does not end its lines in CR LF"
    fi
  done
  grep -q "MIT License" "$folder/LICENSE.txt" 2>/dev/null || fail "$step: LICENSE.txt is not the MIT licence"
  (cd "$folder/examples" 2>/dev/null && find . -type f | LC_ALL=C sort) >"$work/installed.list"
  if ! cmp -s "$work/examples.list" "$work/installed.list"; then
    fail "$step: examples holds other files than the source's (< source, > installed):"
    diff "$work/examples.list" "$work/installed.list"
  fi
  while read -r file; do
    cmp -s "$examples/$file" "$folder/examples/$file" || fail "$step: examples/$file differs from the source's"
  done <"$work/examples.list"

  [ -f "$shortcut" ] || fail "$step: no Zerka.lnk in the user's Start menu"
  grep -aqF "$folder_win\\zerka.exe" "$shortcut" 2>/dev/null || fail "$step: Zerka.lnk does not start $folder_win\\zerka.exe"
  others=$(find "$WINEPREFIX/drive_c" -iname '*zerka*' ! -path "$folder" ! -path "$folder/*" \
             ! -path "$shortcut" ! -path "$inst" ! -path "$inst/*")
  [ -z "$others" ] || fail "$step: Zerka files outside the install folder and the shortcut: $others"

  expect_value() {
    got=$(uninstall_value "$1")
    [ "$got" = "$2" ] || fail "$step: Uninstall\\Zerka $1 is '$got', expected '$2'"
  }
  expect_value DisplayName '"Zerka"'
  expect_value Publisher '"The Zerka developers"'
  [ -z "$version" ] || expect_value DisplayVersion "\"$version\""
  expect_value DisplayIcon "\"$reg_folder\\\\zerka.exe\""
  expect_value InstallLocation "\"$reg_folder\""
  expect_value UninstallString "\"\\\"$reg_folder\\\\Uninstall.exe\\\"\""
  expect_value QuietUninstallString "\"\\\"$reg_folder\\\\Uninstall.exe\\\" /S\""
  expect_value NoModify dword:00000001
  expect_value NoRepair dword:00000001
  # In KiB, each file rounded up: between the files' bytes and a KiB more for each.
  size=$(uninstall_value EstimatedSize | sed -n 's/^dword://p')
  bytes=$(find "$folder" -type f ! -name Uninstall.exe -exec cat {} + | wc -c)
  files=$(find "$folder" -type f ! -name Uninstall.exe | wc -l)
  if [ -z "$size" ] || [ $((0x$size * 1024)) -lt "$bytes" ] || [ $((0x$size * 1024)) -gt $((bytes + files * 1024)) ]; then
    fail "$step: EstimatedSize is '$size' KiB (hex) for $bytes bytes in $files files"
  fi
  check_no_machine_keys "$step"
}

# A sorted list of what FOLDER holds, folders too.
listing() {
  (cd "$1" && find . | LC_ALL=C sort)
}

# (a) to (c): a silent install into the default folder.
[ "$(grep -ci zerka "$WINEPREFIX/user.reg")" -eq 0 ] || fail "the new prefix already mentions Zerka"
run "$installer" /S || fail "the silent install exited with $status"
check_install "$inst" "$inst_win" "install"

# (d) The installed command line converts a copy of the sample files.
if [ "${ZERKA_INSTALLER_SKIP_CONVERT:-0}" != 1 ]; then
  mkdir "$work/convert"
  cp "$examples"/*.3do "$examples"/*.key "$work/convert/"
  run "$inst_win\\zerka-cli.exe" "$(z_path "$work/convert/old.3do")" "$(z_path "$work/convert/new.3do")" \
    "$(z_path "$work/convert")" || fail "the installed zerka-cli.exe exited with $status"
  for key in "$examples"/*.key; do
    name=${key##*/}
    [ -s "$work/convert/New/$name" ] || fail "zerka-cli.exe wrote no New/$name"
    cmp -s "$key" "$work/convert/$name" || fail "zerka-cli.exe changed its source $name"
  done
fi

# The Start menu entry starts the window: xdotool waits for it to be mapped on the X
# server that scripts/test gives the Windows tests.
if [ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null; then
  "$wine" start "$(printf '%s' "$shortcut" | sed "s|^$WINEPREFIX/drive_c|C:|; s|/|\\\\|g")" >>"$work/wine.log" 2>&1
  timeout 60 xdotool search --sync --onlyvisible --classname zerka.exe >/dev/null ||
    fail "the Start menu entry opened no window of zerka.exe"
  "$wineserver" -k 2>/dev/null
  "$wineserver" -w 2>/dev/null
else
  echo "no X display or no xdotool: the Start menu entry is not started"
fi

# (e) Installing again replaces the files in place, a damaged one too, and adds nothing.
listing "$inst" >"$work/before_upgrade.list"
cp "$inst/README.txt" "$work/README.txt"
echo damaged >"$inst/README.txt"
run "$installer" /S || fail "the install over an earlier one exited with $status"
listing "$inst" >"$work/after_upgrade.list"
if ! cmp -s "$work/before_upgrade.list" "$work/after_upgrade.list"; then
  fail "the upgrade changed what the folder holds (< before, > after):"
  diff "$work/before_upgrade.list" "$work/after_upgrade.list"
fi
cmp -s "$work/README.txt" "$inst/README.txt" || fail "the upgrade did not replace a changed README.txt"
shortcuts=$(find "$user_home/AppData/Roaming/Microsoft/Windows/Start Menu" -iname '*zerka*' | wc -l)
[ "$shortcuts" -eq 1 ] || fail "after the upgrade the Start menu has $shortcuts Zerka entries"
check_install "$inst" "$inst_win" "upgrade"

# (f) The uninstaller takes what it installed and leaves what the user put in the folder.
mkdir -p "$inst/examples/New"
echo mine >"$inst/examples/New/mine.key"
echo notes >"$inst/notes.txt"
run "$inst_win\\Uninstall.exe" /S || fail "the silent uninstall exited with $status"
printf '%s\n' . ./examples ./examples/New ./examples/New/mine.key ./notes.txt >"$work/kept.list"
listing "$inst" >"$work/left.list" 2>/dev/null
if ! cmp -s "$work/kept.list" "$work/left.list"; then
  fail "the uninstall left other than the user's files (< expected, > left):"
  diff "$work/kept.list" "$work/left.list"
fi
[ ! -e "$shortcut" ] || fail "the uninstall left Zerka.lnk"
[ "$(grep -ci zerka "$WINEPREFIX/user.reg")" -eq 0 ] || fail "the uninstall left HKCU keys that mention Zerka"
check_no_machine_keys "uninstall"

# A folder of the user's choice: the upgrade finds it from the registry, and the uninstall
# leaves no folder behind when nothing of the user's is in it.
other="$WINEPREFIX/drive_c/Tools/Zerka"
other_win='C:\Tools\Zerka'
run "$installer" /S "/D=$other_win" || fail "the install into $other_win exited with $status"
run "$installer" /S || fail "the upgrade of the install in $other_win exited with $status"
check_install "$other" "$other_win" "install into $other_win"
[ ! -e "$inst/zerka.exe" ] || fail "the upgrade went to the default folder, not to $other_win"
run "$other_win\\Uninstall.exe" /S || fail "the silent uninstall from $other_win exited with $status"
[ ! -e "$other" ] || fail "the uninstall left $other_win: $(listing "$other" | tr '\n' ' ')"
[ "$(grep -ci zerka "$WINEPREFIX/user.reg")" -eq 0 ] || fail "the uninstall from $other_win left HKCU keys"

if [ "$failures" -ne 0 ]; then
  echo "$failures checks failed; wine said:"
  cat "$work/wine.log"
  exit 1
fi
echo "all checks passed"
