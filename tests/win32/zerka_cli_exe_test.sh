#!/bin/sh
# SPDX-License-Identifier: MIT
# zerka-cli.exe as a Windows user meets it, under wine: its resources, /?, a folder past
# MAX_PATH, and a quoted folder typed with its trailing backslash.
#   zerka_cli_exe_test.sh WINE ZERKA_CLI_EXE ZERKA_EXE EXAMPLES VERSION [OBJDUMP]
# With OBJDUMP, the programs are also checked to carry no debug sections, as shipped.
set -u
wine=$1 cli=$2 window=$3 examples=$4 version=$5 objdump=${6:-}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
fail() { printf 'FAIL: %s\n' "$*" >&2; status=1; }
# The path wine shows a build machine's path by: on drive Z, with backslashes.
win() { printf 'Z:%s' "$1" | tr / '\\'; }
# A copy of the examples' models and key files in folder.
examples_in() { mkdir -p "$1" && cp "$examples"/*.3do "$examples"/*.key "$1"/; }

for exe in "$cli" "$window"; do
  name=$(basename "$exe")
  listing=$(wrestool -l "$exe")
  for kind in "type=icon" "type=group_icon" "type=version" "--type=24 "; do
    case $listing in *"$kind"*) ;; *) fail "$name: no $kind resource" ;; esac
  done
  wrestool -x --raw -t 24 "$exe" | grep -q '<longPathAware[^>]*>true<' ||
    fail "$name: the manifest is not long path aware"
  wrestool -x --raw -t 24 "$exe" | grep -q 'supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"' ||
    fail "$name: the manifest does not name Windows 10"
  wrestool -x --raw -t 16 "$exe" | tr -d '\0' | grep -aq "ProductNameZerka" ||
    fail "$name: the version information does not name Zerka"
  wrestool -x --raw -t 16 "$exe" | tr -d '\0' | grep -aq "ProductVersion$version" ||
    fail "$name: the version information does not say $version"
  if [ -n "$objdump" ]; then
    sections=$("$objdump" -h "$exe") || fail "$name: $objdump cannot read it"
    case $sections in *.debug*) fail "$name: not stripped" ;; esac
  fi
done

out=$("$wine" "$cli" '/?') || fail "/? exits with $?"
case $out in "Usage: zerka-cli "*) ;; *) fail "/? printed: $out" ;; esac

deep=$tmp
while [ ${#deep} -lt 300 ]; do deep=$deep/a-folder-of-animations; done
examples_in "$deep"
w=$(win "$deep")
"$wine" "$cli" -q "$w\\old.3do" "$w\\new.3do" "$w" || fail "a 300-character folder: exit $?"
for key in "$examples"/*.key; do
  [ -s "$deep/New/$(basename "$key")" ] || fail "a 300-character folder: no New/$(basename "$key")"
done

# A batch file holds the line as typed (wine would quote it again on its way to cmd). By
# the C runtime's rule its \" would escape the quote and take --dry-run into the name.
examples_in "$tmp/my folder"
w=$(win "$tmp/my folder")
printf '@%s "%s\\old.3do" "%s\\new.3do" "%s\\" --dry-run\r\n' "$(win "$cli")" "$w" "$w" "$w" >"$tmp/typed.bat"
"$wine" cmd /c "$(win "$tmp/typed.bat")" >"$tmp/dry" 2>&1 ||
  fail "a quoted folder ending in a backslash: exit $? ($(cat "$tmp/dry"))"
grep -q "Dry run: nothing was written." "$tmp/dry" || fail "--dry-run after the folder was not read: $(cat "$tmp/dry")"
[ ! -e "$tmp/my folder/New" ] || fail "a dry run wrote New"
exit $status
