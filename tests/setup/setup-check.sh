#!/bin/bash
# The setup program of a Windows build, end to end in a fresh Wine prefix of
# its own (under the build folder, beside the tests' prefix, which it leaves
# alone), on the display of the started Wine session:
#
#   1. a silent install puts every file in place, registers the
#      uninstaller and adds Orvane to Explorer (the verbs of encrypted files
#      and of every file, the Send To shortcut), and nothing else;
#   2. the installed program starts and shows its main window, makes its
#      three shortcuts and encrypts a file of the user's; then Explorer's
#      entries list files in it: the encrypted file opened through its
#      registered verb, three files through "Encrypt with Orvane" at once
#      (installed_program_tests);
#   3. a silent uninstall leaves nothing of Orvane but what it keeps by
#      default (the per-user settings and the operation log), and the user's
#      encrypted file as it was: no Explorer entry is left;
#   4. after a second silent install, told to leave the Explorer entries
#      out (which it does), the uninstaller run through its pages
#      with "Keep my settings" unticked leaves nothing of Orvane at all but
#      the user's file (installed_program_tests again).
# Before and after each step it lists Orvane's traces in the registry and on
# drive C: (orvane_traces.py) into the build's setup-check folder; a failure
# names the traces it is about.
#
#   setup-check.sh WINDOWS_BUILD SETUP_PROGRAM DRIVER_PROGRAM PACKAGE_FOLDER
#
# PACKAGE_FOLDER holds the files the setup program carries. Exit status 77:
# this machine cannot run the build's programs (a 32-bit build where only
# 64-bit programs run).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../../scripts
ORVANE_WINE_BUILD=$(cd "${1:?a Windows build folder}" && pwd)
setup=${2:?the setup program}
driver=${3:?the program that uses the installed program}
package=${4:?the folder of the files the setup program carries}
. "$scripts/steps.sh"
. "$scripts/machine.sh"
. "$scripts/wine-env.sh"
. "$scripts/wine-prefix.sh"

work=$ORVANE_WINE_BUILD/setup-check
if [ "$ORVANE_WINE_ARCH" = win32 ]; then
  orvane_probe_32bit "$ORVANE_WINE_BUILD"
  if [ "$ORVANE_RUNS_32BIT" != yes ]; then
    echo "SKIPPED: the 32-bit setup program cannot run here: $ORVANE_32BIT_WHY"
    exit 77
  fi
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "setup-check.sh: no display: start the Wine session first (scripts/wine-session.sh start $ORVANE_WINE_BUILD)" >&2
  exit 1
fi

export WINEPREFIX=$work/prefix
export HOME=$work/home
in_prefix() { taskset -c "$ORVANE_WINE_CPU" wine "$@"; }
# Every process of the prefix has ended: the uninstaller goes on from a copy
# of itself after the started one has returned.
settle() { taskset -c "$ORVANE_WINE_CPU" timeout 120 wineserver -w; }

# A server left over from an earlier run of this check goes first.
if [ -d "$WINEPREFIX" ]; then wineserver -k >/dev/null 2>&1 || true; fi
rm -rf "$work"
mkdir -p "$HOME"
orvane_logs "$work/logs"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
orvane_prepare_prefix ""

failures=()
fail() {
  echo "FAILED: $*"
  failures+=("$*")
}

# Orvane's traces now, into $work/NAME.txt, and counted.
traces() {
  local name=$1 when=$2
  in_prefix reg export HKLM "Z:$work/machine.reg" /y >/dev/null 2>&1
  in_prefix reg export HKCU "Z:$work/user.reg" /y >/dev/null 2>&1
  python3 "$here/orvane_traces.py" "$WINEPREFIX" "$work/machine.reg" "$work/user.reg" > "$work/$name.txt"
  rm -f "$work/machine.reg" "$work/user.reg"
  echo "---- Orvane's traces $when: $(wc -l < "$work/$name.txt") ($work/$name.txt)"
}

# Fails for every pattern (grep) that no trace of list NAME matches.
expect_among() {
  local name=$1 pattern
  shift
  for pattern in "$@"; do
    grep -q -- "$pattern" "$work/$name.txt" || fail "$name: nothing matches $pattern"
  done
}

# Fails for every trace of list NAME that no pattern of the rest allows
# (grep patterns), and for every pattern that no trace matches.
expect_exactly() {
  local name=$1
  shift
  expect_among "$name" "$@"
  local pattern args=()
  for pattern in "$@"; do args+=(-e "$pattern"); done
  while IFS= read -r line; do
    fail "$name: not expected here: $line"
  done < <(grep -v "${args[@]}" "$work/$name.txt" || true)
}

uninstall_key='^HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane[0-9]*'
folder='C:/Program Files/Norvik Studio/Orvane/'
# The program: the one .exe beside the command-line tool.
program_file=$(cd "$package" && ls ./*.exe | grep -v -- -cli.exe)
program_file=${program_file#./}
settings_root='^HKCU\\Software\\Norvik Studio'
user_file='^C:/My Files/report\.(=txt=)$'

traces 0-fresh "in the fresh prefix"
if [ -s "$work/0-fresh.txt" ]; then fail "the fresh prefix already holds traces of Orvane"; fi

echo "==== 1. Silent install: $(basename "$setup") /S"
in_prefix "Z:$setup" /S || fail "the setup program ended with exit status $?"
settle
traces 1-installed "after the silent install"
package_lines=("^C:/Program Files/Norvik Studio/$" "^$folder$" "^${folder}uninstall\.exe$")
for file in "$package"/*; do package_lines+=("^$folder$(basename "$file")$"); done
# Explorer's entries: the encrypted file type's verbs ("open", the default,
# and "Decode with Orvane"), "Encrypt with Orvane" on every file, and the
# Send To shortcut.
type_verbs='^HKLM\\Software\\Classes\\Encrypted File'
every_file='^HKLM\\Software\\Classes\\\*\\shell\\OrvaneEncrypt'
runs="\"\\\\\"C:.*$program_file\\\\\""
explorer_entries=('/SendTo/Orvane\.lnk$' "$type_verbs$" "$type_verbs\\\\shell$" "$type_verbs\\\\shell: @=\"open\"$"
  "$type_verbs\\\\shell\\\\\\(open\\|OrvaneDecode\\)\\(\\\\command\\)\\?$"
  "$type_verbs\\\\shell\\\\OrvaneDecode: @=\"&Decode with Orvane\"$"
  "$type_verbs\\\\shell\\\\\\(open\\|OrvaneDecode\\)\\\\command: @=$runs /decode \\\\\"%1\\\\\"\"$"
  "$every_file\\(\\\\command\\)\\?$" "$every_file: @=\"&Encrypt with Orvane\"$"
  "$every_file\\\\command: @=$runs /encrypt \\\\\"%1\\\\\"\"$")
expect_exactly 1-installed "${package_lines[@]}" "$uninstall_key$" \
  "$uninstall_key: \"DisplayName\"=\"Orvane [0-9.]*\( (64-bit)\)\?\"$" \
  "$uninstall_key: \"DisplayVersion\"=\"[0-9.]*\"$" \
  "$uninstall_key: \"Publisher\"=\"Norvik Studio\"$" \
  "$uninstall_key: \"EstimatedSize\"=dword:" \
  "$uninstall_key: \"DisplayIcon\"=\"C:.*$program_file,0\"$" \
  "$uninstall_key: \"InstallLocation\"=\"C:.*Norvik Studio.*Orvane\"$" \
  "$uninstall_key: \"UninstallString\"=\".*uninstall\.exe..\"$" \
  "$uninstall_key: \"QuietUninstallString\"=\".*uninstall\.exe.. /S\"$" \
  "$uninstall_key: \"No\(Modify\|Repair\)\"=dword:00000001$" "${explorer_entries[@]}"
installed=$WINEPREFIX/drive_c/${folder#C:/}
for file in "$package"/*; do
  cmp -s "$file" "$installed/$(basename "$file")" || fail "installed $(basename "$file") differs from the one the setup carries"
done

echo "==== 2. The installed program: first run, shortcuts, one encrypted file"
in_prefix "Z:$driver" --gtest_color=no --gtest_filter=InstalledProgram.* || fail "the installed program's check failed"
settle
traces 2-used "after Orvane's first run"
# What the uninstaller must take away: the shortcuts, the application path,
# the help folder, the version entries and the file type.
expect_among 2-used '/Programs/Norvik Studio/Orvane\.lnk$' '^C:/users/[^/]*/Desktop/Orvane\.lnk$' \
  '/Programs/StartUp/Orvane\.lnk$' "App Paths\\\\${program_file^^}: @=" "\\\\Help: \"${program_file%.exe}\.hlp\"=" \
  'Orvane for Windows 95/NT\\Version: @=' '^win\.ini \[Norvik Studio\] ' '^HKLM\\Software\\Classes\\\.(=txt=): @="Encrypted File"$' \
  '^HKLM\\Software\\Classes\\Encrypted File\\DefaultIcon: @=".*'"$program_file"',2"$'
user_sum=$(sha256sum < "$WINEPREFIX/drive_c/My Files/report.(=txt=)" || true)

echo "==== 3. Silent uninstall, as the list of installed programs has it"
quiet=$(sed -n 's/.*"QuietUninstallString"="\\"\(.*\)\\" \/S"$/\1/p' "$work/2-used.txt" | sed 's/\\\\/\\/g')
in_prefix "$quiet" /S || fail "the uninstaller ended with exit status $?"
settle
traces 3-uninstalled "after the silent uninstall (the settings are kept)"
kept=("^C:/Program Files/Norvik Studio/$" "^$folder$" "$user_file" "$settings_root$"
      "$settings_root\\\\Orvane for Windows 95/NT")
# The operation log and its backup, where the program wrote them.
for log in "${program_file%.exe}.log" "Backup of ${program_file%.exe}.log"; do
  if grep -qxF "$folder$log" "$work/2-used.txt"; then kept+=("^$folder$log$"); fi
done
expect_exactly 3-uninstalled "${kept[@]}"
[ "$(sha256sum < "$WINEPREFIX/drive_c/My Files/report.(=txt=)")" = "$user_sum" ] ||
  fail "the user's encrypted file changed"

echo "==== 4. Silent install again without the Explorer entries, then the uninstaller's pages with the settings not kept"
in_prefix "Z:$setup" /S /NOEXPLORER || fail "the second install ended with exit status $?"
settle
traces 4-installed "after the install without the Explorer entries"
args=()
for pattern in "${explorer_entries[@]}"; do args+=(-e "$pattern"); done
while IFS= read -r line; do
  fail "4-installed: an Explorer entry although it was left out: $line"
done < <(grep "${args[@]}" "$work/4-installed.txt" || true)
in_prefix "Z:$driver" --gtest_color=no --gtest_filter=Uninstaller.* || fail "the uninstaller's pages failed"
settle
traces 4-removed "after the uninstall that removes the settings"
expect_exactly 4-removed "$user_file"
[ "$(sha256sum < "$WINEPREFIX/drive_c/My Files/report.(=txt=)")" = "$user_sum" ] ||
  fail "the user's encrypted file changed"

# Said again at the end, where a shortened log still shows them.
if [ "${#failures[@]}" -ne 0 ]; then
  echo "${#failures[@]} failures:"
  printf '  %s\n' "${failures[@]}"
  exit 1
fi
echo "setup check passed"
