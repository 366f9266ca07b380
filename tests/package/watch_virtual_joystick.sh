#!/bin/sh
# The packaged tamrilo-host.exe and Tamrilo.dll against Wine's own DirectInput with the virtual
# joysticks installed in the prefix: a script selects and reads the first, and --watch shows
# the state changes injected while it runs, until a line on its input stops it. Every joystick
# gets the same state, so whichever DirectInput lists first is the one read.
#   watch_virtual_joystick.sh ZIP BIN_DIR   (WINEPREFIX names the prefix with the joysticks;
#                                           BIN_DIR holds tamrilo-vjoy.exe)
set -eu
zip=$1
vjoy="$2/tamrilo-vjoy.exe"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all WINEDLLOVERRIDES=dinput=b
unzip -q "$zip" -d "$work"
cd "$work/$(basename "$zip" .zip)"
joysticks=$(wine "$vjoy" list 2>/dev/null | tr -d '\r' | grep -c .) || true
[ "$joysticks" -gt 0 ] || { echo "FAILED: no virtual joystick in the prefix" >&2; exit 1; }
# set_state X Y Z RZ HAT BUTTONS, on every joystick
set_state() {
  n=0
  while [ "$n" -lt "$joysticks" ]; do
    wine "$vjoy" state "$n" "$@" > /dev/null 2>&1
    n=$((n + 1))
  done
}
fail() { echo "FAILED: $*" >&2; tr -d '\r' < "$work/output" >&2; exit 1; }

# A script selects the first joystick and reads it centred. (A state set before DirectInput
# opens the joystick reaches it only with the device's next report, so the injected changes are
# checked in the watch, which reads on.)
set_state 0 0 0 0 8 0x0000
cat > "$work/state.txt" <<'SCRIPT'
declare status version joystick capabilities
call Get_Versionsnummer
call InitDirectInput
expect OV_info_1 1
call InitJoystick_1
expect OV_info_2 1
call Show_Capabilities
expect NUMBER_OF_AXIS value 4
expect NUMBER_OF_VIEWS value 1
expect NUMBER_OF_BUTTONS 16385
call Get_Joystick_State
expect OV_error 97
expect JOY_VIEW value -1
call FreeDirectInput
SCRIPT
wine tamrilo-host.exe "$(winepath -w "$work/state.txt")" < /dev/null > "$work/output" 2>&1 ||
  fail "the script against the virtual joystick"

# The watch starts centred; two seconds in, the stick moves left with the hat south and
# button 16 held; a line on the pipe ends it.
{
  sleep 2
  set_state -32767 0 0 0 4 0x8000
  sleep 2
  echo stop
} | wine tamrilo-host.exe --watch > "$work/output" 2>&1 || fail "--watch exited with $?"
tr -d '\r' < "$work/output" > "$work/text"
grep -q "^Joystick: Tamrilo .*(force feedback: " "$work/text" || fail "no joystick line"
grep -q "^Hat      centred" "$work/text" || fail "the first state is not shown"
grep -q "^ X  \[###################|                   \]   -9999.6" "$work/text" ||
  fail "the injected axis is not shown"
grep -q "^Hat      south" "$work/text" || fail "the injected hat is not shown"
grep -q "^Buttons \( \.\)\{15\} 16$" "$work/text" || fail "the injected button is not shown"
echo "watch showed $(grep -c '^Joystick:' "$work/text") refreshes"
