#!/bin/sh
# Unpacks the Windows package into a fresh folder with a fresh Wine prefix and uses only what it
# holds: every example under --simulator, what the system's (Wine's own) DirectInput gives by
# default, and the errors of --simulator without its folder and --watch without a joystick.
#   run_unpacked.sh ZIP
set -eu
zip=$1
work=$(mktemp -d)
# Windows loads a DLL from the path it is given; Wine prefers its own DirectInput to any file of
# that name unless told otherwise. This makes Wine load as Windows does: without --simulator
# no dinput.dll is in the program's folder, so Wine's own still answers.
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES=dinput=n,b
# Without a display no window can be made: tamrilo-host must warn and go on.
unset DISPLAY WAYLAND_DISPLAY || true
cleanup() { wineserver -k 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
# run EXPECTED_EXIT_CODE ARGUMENTS...: runs tamrilo-host.exe, its output in $work/output
run() {
  expected=$1; shift
  code=0
  wine tamrilo-host.exe "$@" < /dev/null > "$work/output" 2>&1 || code=$?
  tr -d '\r' < "$work/output" > "$work/text"
  if [ "$code" -ne "$expected" ]; then fail "tamrilo-host $* exited $code, not $expected"; cat "$work/text" >&2; fi
}
expect_output() {
  grep -qF -- "$1" "$work/text" || { fail "no '$1' in the output of the last run"; cat "$work/text" >&2; }
}

unzip -q "$zip" -d "$work"
cd "$work/$(basename "$zip" .zip)"
wineboot -i > /dev/null 2>&1

# The version in the package's name is the one the program reports.
run 0 --version
version=$(basename "$zip" .zip | sed 's/^Tamrilo-//; s/-win32$//')
expect_output "tamrilo-host $version"

# The command as README gives it, without the override: under Wine tamrilo-host starts itself
# again with it. The simulator needs no window, so no warning about one.
unset WINEDLLOVERRIDES
count=0
for script in examples/*.txt; do
  run 0 --simulator "$script"
  count=$((count + 1))
  if grep -qF "no window could be made" "$work/text"; then fail "a window warning under --simulator"; fi
done
echo "$count examples ran under --simulator"
export WINEDLLOVERRIDES=dinput=n,b

# By default the system's DirectInput answers: the simulator's commands are refused, after the
# warning that no window could be made, with the reason.
run 2 examples/joystick.txt
expect_output "the loaded DirectInput is not the simulated one"
expect_output "no window could be made (the system gave no reason; is there a display?); DirectInput may refuse"

# A script named by its Unix path is a path, not a Windows-style option.
run 0 --simulator "$PWD/examples/version.txt"

# Wine's own DirectInput, no joystick attached.
run 1 --watch
expect_output "no joystick is attached"

mv simulator elsewhere
run 2 --simulator examples/version.txt
expect_output 'looked for '
expect_output '\simulator\dinput.dll'

[ "$failures" -eq 0 ]
