#!/usr/bin/env bash
# TapdeckSetup.exe in a fresh prefix: silent install, an upgrade over the
# running agent, silent uninstall, and a second uninstall; after the uninstall
# nothing the setup created is left. One plain line per step; a failure says
# which step and why. Arguments: the setup program and the product tree it carries.
set -uo pipefail
setup="$1"
tree="$2"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
main_prefix="$WINEPREFIX"
export WINEPREFIX="$(dirname "$setup")/fresh-prefix"
source "$root/scripts/wine-env"

step() { printf 'installer: %s\n' "$*"; }
fail() { printf 'installer: FAILED at "%s": %s\n' "$current" "$*"; cleanup; exit 1; }
cleanup() { "$WINESERVER" -k >/dev/null 2>&1; }
wine() { "$root/scripts/wine" "$@" </dev/null; }
drive="$WINEPREFIX/drive_c"
pf="$drive/Program Files/Vexa/Tapdeck"
tasks="$drive/windows/system32/Tasks"
shortcut="$drive/users/Public/Desktop/Tapdeck.lnk"
reg_has() { wine reg query "$1" ${2:+/v "$2"} >/dev/null 2>&1; }
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^  */, ""); print }'; }
# Wine processes of this prefix running the installed agent.
agent_pids() {
    for p in $(pgrep -f 'Vexa\\Tapdeck\\Tapdeck.exe' || true); do
        tr '\0' '\n' </proc/$p/environ 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "$p"
    done
}
wait_for() { local i; for i in $(seq 1 200); do eval "$1" && return 0; sleep 0.05; done; return 1; }
# What a user could see of the machine, without Wine's own folders and the stand-ins.
snapshot() {
    (cd "$drive" && find . -path ./windows -prune -o -path ./tapdeck-sim -prune -o -path './users/*/Temp' -prune \
        -o -path './users/*/AppData/Local/Temp' -prune -o -print | sort)
}

current="fresh prefix with the stand-ins"
cleanup
rm -rf "$WINEPREFIX"
"$root/scripts/wine-prefix" >/dev/null 2>&1 || fail "cannot create $WINEPREFIX"
mkdir -p "$drive/tapdeck-sim"
cp -r "$main_prefix/drive_c/tapdeck-sim/bin" "$main_prefix/drive_c/tapdeck-sim/reg" "$drive/tapdeck-sim/" ||
    fail "the stand-ins are not installed in $main_prefix"
"$root/scripts/register-standins" || fail "registering the stand-ins"
mkdir -p "$tasks"
before="$(snapshot)"
step "$current: ready"

current="silent install"
wine "$setup" /S; code=$?
[ "$code" = 0 ] || fail "TapdeckSetup.exe /S exited with $code"
tr -d '\r' <"$setup.files" | tr '\\' / | while read -r f; do
    [ -f "$pf/$f" ] || { echo "missing $f"; exit 1; }
    cmp -s "$tree/$f" "$pf/$f" || { echo "differs $f"; exit 1; }
done || fail "installed files differ from the payload"
[ -f "$pf/Uninstall.exe" ] || fail "no uninstaller"
nfcdb='HKLM\SOFTWARE\Vexa Corporation\Tapdeck\NFCDB\Pairwell'
[ "$(reg_value "$nfcdb" MessageType)" = 'NDEF:MIME.application/x-vexa-kox' ] || fail "NFCDB MessageType"
[ "$(reg_value "$nfcdb" ApplicationPath)" = '%ProgramFiles%\Vexa\Tapdeck\Pairwell.exe' ] || fail "NFCDB ApplicationPath"
reg_has "$nfcdb" Version || fail "NFCDB Version"
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tapdeck'
uninstall_string="$(reg_value "$uninstall_key" UninstallString)"
case "$uninstall_string" in *'Uninstall.exe" /Uninstall') ;; *) fail "UninstallString is '$uninstall_string'" ;; esac
grep -q '<Command>C:\\Program Files\\Vexa\\Tapdeck\\Tapdeck.exe</Command>' \
    <(iconv -f UTF-16 -t UTF-8 "$tasks/Vexa Corporation/Tapdeck/NFC Logon Start" 2>/dev/null) ||
    fail "no logon task for the installed agent"
[ -f "$shortcut" ] || fail "no desktop shortcut"
wait_for '[ -n "$(agent_pids)" ]' || fail "the agent was not started"
first_agent="$(agent_pids)"
step "$current: files, NFCDB registration, uninstaller, task, shortcut and a running agent"

current="upgrade over the running agent"
wine "$setup" /S; code=$?
[ "$code" = 0 ] || fail "second TapdeckSetup.exe /S exited with $code"
for p in $first_agent; do wait_for "[ ! -d /proc/$p ]" || fail "the old agent ($p) still runs"; done
wait_for '[ -n "$(agent_pids)" ]' || fail "the agent was not restarted"
[ "$(ls "$tasks/Vexa Corporation/Tapdeck")" = "NFC Logon Start" ] || fail "task folder holds more than the task"
step "$current: old agent halted, files replaced, agent restarted"

current="silent uninstall"
wine "C:\\Program Files\\Vexa\\Tapdeck\\Uninstall.exe" /Uninstall /S; code=$?
[ "$code" = 0 ] || fail "Uninstall.exe exited with $code"
wait_for '[ ! -e "$drive/Program Files/Vexa" ]' || fail "left in Program Files: $(cd "$drive/Program Files" && find Vexa)"
wait_for '[ -z "$(agent_pids)" ]' || fail "the agent still runs"
[ ! -e "$shortcut" ] || fail "the shortcut is left"
[ ! -e "$tasks/Vexa Corporation" ] || fail "task folders left: $(cd "$tasks" && find 'Vexa Corporation')"
for key in 'HKLM\SOFTWARE\Vexa Corporation' "$uninstall_key" \
    'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Schedule\TaskCache\Tree\Vexa Corporation'; do
    reg_has "$key" && fail "registry key left: $key"
done
after="$(snapshot)"
[ "$before" = "$after" ] || fail "files left: $(diff <(echo "$before") <(echo "$after") | grep '^>' | head -5)"
step "$current: no files, keys, task folders or shortcut left"

current="second uninstall"
wine "$setup" /Uninstall /S; code=$?
[ "$code" = 1 ] || fail "uninstalling a removed product exited with $code"
[ "$before" = "$(snapshot)" ] || fail "the second uninstall changed files"
step "$current: reports nothing installed and changes nothing"
cleanup
