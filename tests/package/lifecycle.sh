#!/usr/bin/env bash
# TapdeckSetup.msi through Wine's msiexec in a fresh prefix copy: a failing
# "/Install" rolled back, a silent install whose Start-menu shortcut lets
# Pairwell's toast appear, a halt that waits for every program of the folder,
# an upgrade that changes only the build number over the running agent, a
# refused downgrade, a repair, an uninstall that leaves nothing, and a second
# uninstall. One line per step; a failure names its step and why.
# Argument: the build tree.
set -uo pipefail
TAPDECK_BUILD="$1"
export WINEPREFIX="$TAPDECK_BUILD/installer/lifecycle-prefix"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/package-env"
logs="$TAPDECK_BUILD/installer/lifecycle-logs"
rm -rf "$logs" && mkdir -p "$logs"

step() { printf 'lifecycle: %s\n' "$*"; }
fail() {
    printf 'lifecycle: FAILED at "%s": %s (logs in %s)\n' "$current" "$*" "$logs"
    "$WINESERVER" -k >/dev/null 2>&1
    exit 1
}
installed_files() { (cd "$install_dir" 2>/dev/null && find . -type f | sort); }
payload_files() { (cd "$TAPDECK_BUILD/installer/payload" && find . -type f | sort); }
same_as_payload() {
    [ "$(installed_files)" = "$(payload_files)" ] || return 1
    payload_files | while read -r f; do cmp -s "$TAPDECK_BUILD/installer/payload/$f" "$install_dir/$f" || exit 1; done
}
task_runs() { grep -c '^RunEx .* -> 0x00000000$' "$drive/tapdeck-sim/taskscheduler/calls.log" 2>/dev/null; }
product_key() { uninstall_key "$1"; }

current="fresh prefix copy with the stand-ins"
fresh_prefix || fail "cannot make $WINEPREFIX"
sim nfc-device present >/dev/null || fail "the NFC stand-in does not answer"
pristine="$(machine_state)"
step "$current: ready"

current="failing /Install rolled back"
mkdir -p "$drive/tapdeck-sim/taskscheduler"
echo 10 >"$drive/tapdeck-sim/taskscheduler/fail-register"
msiexec "$logs/rollback.log" /i "$(winpath "$package")"; code=$?
[ "$code" != 0 ] || fail "msiexec reported success"
[ "$(machine_state)" = "$pristine" ] ||
    fail "left behind: $(diff <(echo "$pristine") <(machine_state) | grep '^>' | head -5 | tr '\n' ' ')"
reg_has "$(product_key "$package")" && fail "the product is registered"
rm -f "$drive/tapdeck-sim/taskscheduler/fail-register"
step "$current: exit code $code, no file, key, task or shortcut left"

current="silent install"
msiexec "$logs/install.log" /i "$(winpath "$package")"; code=$?
[ "$code" = 0 ] || fail "msiexec exited with $code"
same_as_payload || fail "the installed files differ from the package's"
[ "$(reg_value "$nfcdb" ApplicationPath)" = 'C:\Program Files\Vexa\Tapdeck\Pairwell.exe' ] || fail "NFCDB ApplicationPath"
[ "$(reg_value "$nfcdb" MessageType)" = 'NDEF:MIME.application/x-vexa-kox' ] || fail "NFCDB MessageType"
# Standard Wi-Fi tags: Pairwell's second registration, of its own.
wifi_tag_nfcdb='HKLM\SOFTWARE\Vexa Corporation\Tapdeck\NFCDB\PairwellWifiTag'
[ "$(reg_value "$wifi_tag_nfcdb" ApplicationPath)" = 'C:\Program Files\Vexa\Tapdeck\Pairwell.exe' ] ||
    fail "NFCDB ApplicationPath of the Wi-Fi tag registration"
[ "$(reg_value "$wifi_tag_nfcdb" MessageType)" = 'NDEF:MIME.application/vnd.wfa.wsc' ] ||
    fail "NFCDB MessageType of the Wi-Fi tag registration"
[ -f "$task_file" ] || fail "no logon task"
[ -f "$shortcut" ] || fail "no desktop shortcut"
carries_app_id "$start_menu_shortcut" || fail "no Start-menu shortcut with the app id"
arp="$(product_key "$package")"
[ "$(reg_value "$arp" DisplayName)|$(reg_value "$arp" Publisher)|$(reg_value "$arp" DisplayVersion)|$(reg_value "$arp" NoModify)" = \
    "Tapdeck|Vexa Corporation|$(msi_property "$package" ProductVersion)|0x1" ] || fail "no Add/Remove Programs entry as intended"
wait_for '[ -n "$(agent_pids)" ] && agent_window' || fail "the agent was not started"
[ "$(task_runs)" = 1 ] || fail "the agent was not started through the logon task"
step "$current: files, NFCDB, task, both shortcuts, Add/Remove Programs entry, agent started by the task"

current="toasts need the Start-menu shortcut"
toasts() { sim toast-records | grep -c "^$1"; }
# A camera touch; Pairwell connects and ends, its toast shown or dropped ($2).
touch_camera() {
    local before
    before="$(toasts "$2")"
    sim wlan-reset >/dev/null && sim wlan-network "$1" secret-4711 >/dev/null &&
        wait_for 'sim nfc-records subscriptions | grep -q x-vexa-kox' &&
        sim nfc-touch "$(wine 'C:\tapdeck-sim\bin\tagtool.exe' "$1" secret-4711 | tr -d '\r')" >/dev/null &&
        wait_for "[ \"\$(toasts $2)\" -gt $before ]" 30 && wait_for '[ -z "$(agent_pids Pairwell.exe)" ]' 30
}
touch_camera DIRECT-Kox-Shown shown || fail "no toast shown: $(sim toast-records | tr '\n' ' ')"
shown="$(toasts shown)"
mv "$start_menu_shortcut" "$logs/Tapdeck.lnk"
touch_camera DIRECT-Kox-Dropped dropped && [ "$(toasts shown)" = "$shown" ] ||
    fail "the toast was not dropped: $(sim toast-records | tr '\n' ' ')"
mv "$logs/Tapdeck.lnk" "$start_menu_shortcut"
step "$current: Pairwell's toast shown, and dropped once the shortcut is gone"

current="halt waits for every program of the folder"
# A program of the folder that holds no presence mutex and does not hear the halt.
cp "$drive/windows/system32/notepad.exe" "$install_dir/Lingering.exe"
wine 'C:\Program Files\Vexa\Tapdeck\Lingering.exe' & lingering=$!
wait_for '[ -n "$(agent_pids Lingering.exe)" ]' || fail "the lingering program did not start"
running_agent="$(agent_pids)"
wine "$agent_exe" /HaltAllAndWait & halt=$!
for p in $running_agent; do wait_for "[ ! -d /proc/$p ]" || fail "the agent was not halted"; done
sleep 1
if ! kill -0 "$halt" 2>/dev/null; then
    wait "$halt"
    fail "the halt ended (exit code $?) while a program of the folder ran ($(agent_pids Lingering.exe))"
fi
kill $(agent_pids Lingering.exe)
wait "$lingering" 2>/dev/null
wait "$halt"; code=$?
[ "$code" = 0 ] || fail "the halt exited with $code"
rm -f "$install_dir/Lingering.exe"
wine "$agent_exe" /RunLogonTask
wait_for '[ -n "$(agent_pids)" ] && agent_window' || fail "the agent was not started again"
first_agent="$(agent_pids)"
step "$current: ended only after the folder's last program, exit code 0"

current="upgrade over the running agent"
msiexec "$logs/upgrade.log" /i "$(winpath "$upgrade_package")"; code=$?
[ "$code" = 0 ] || fail "msiexec exited with $code (194 is a reboot request)"
# Its Linux process may outlive the Windows process by a moment.
for p in $first_agent; do wait_for "[ ! -d /proc/$p ]" 5 || fail "the old agent ($p) still runs"; done
wait_for '[ -n "$(agent_pids)" ] && agent_window' || fail "the agent was not started again"
reg_has "$(product_key "$package")" && fail "the older version is still registered"
[ "$(reg_value "$(product_key "$upgrade_package")" DisplayVersion)" = "$(msi_property "$upgrade_package" ProductVersion)" ] ||
    fail "Add/Remove Programs does not show the new version"
[ -f "$task_file" ] && [ -f "$shortcut" ] && carries_app_id "$start_menu_shortcut" && same_as_payload ||
    fail "task, shortcuts or files missing after the upgrade"
[ "$(wine 'C:\windows\system32\reg.exe' query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall' /s /v DisplayName | grep -c 'REG_SZ *Tapdeck')" = 1 ] ||
    fail "more than one Tapdeck in Add/Remove Programs"
step "$current: build number only, old agent halted before its files went, exit 0, one product, agent running again"

current="downgrade refused"
before="$(machine_state)"
msiexec "$logs/downgrade.log" /i "$(winpath "$package")"; code=$?
[ "$code" = 67 ] || fail "msiexec exited with $code, not 1603 (67)"
grep -q "Found application: $(msi_property "$upgrade_package" ProductCode)" "$logs/downgrade.log" ||
    fail "the newer version was not found"
[ "$(machine_state)" = "$before" ] || fail "the machine changed"
reg_has "$(product_key "$package")" && fail "the older version got registered"
step "$current: exit 1603, nothing changed"

current="repair"
rm -f "$install_dir/Pairwell.exe" "$start_menu_shortcut"
repair "$logs/repair.log" "$upgrade_package"; code=$?
[ "$code" = 0 ] || fail "msiexec exited with $code"
same_as_payload || fail "Pairwell.exe was not restored"
carries_app_id "$start_menu_shortcut" || fail "the Start-menu shortcut was not restored"
wait_for '[ -n "$(agent_pids)" ] && agent_window' || fail "no agent runs after the repair"
step "$current: the deleted Pairwell.exe and Start-menu shortcut are back, agent running"

current="silent uninstall"
msiexec "$logs/uninstall.log" /x "$(msi_property "$upgrade_package" ProductCode)"; code=$?
[ "$code" = 0 ] || fail "msiexec exited with $code"
wait_for '[ -z "$(agent_pids)" ]' 5 || fail "the agent still runs"
[ "$(machine_state)" = "$pristine" ] ||
    fail "left behind: $(diff <(echo "$pristine") <(machine_state) | grep '^>' | head -5 | tr '\n' ' ')"
reg_has "$(product_key "$upgrade_package")" && fail "the Add/Remove Programs entry is left"
step "$current: no file, folder, key, task, shortcut or process left"

current="second uninstall"
msiexec "$logs/uninstall-again.log" /x "$(msi_property "$upgrade_package" ProductCode)"; code=$?
[ "$code" = 69 ] || fail "msiexec exited with $code, not 1605 (69)"
[ "$(machine_state)" = "$pristine" ] || fail "the machine changed"
step "$current: exit 1605 (not installed), nothing changed"
"$WINESERVER" -k >/dev/null 2>&1
exit 0
