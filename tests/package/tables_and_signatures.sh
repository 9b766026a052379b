#!/usr/bin/env bash
# Reads both packages back as Windows Installer will see them (msiinfo
# export, never the source: wixl miscomputes what it is not told exactly),
# evaluates their custom actions' conditions as Windows Installer would for
# each kind of run, and checks every Authenticode signature, that the
# installed programs carry no debug information but name their symbol files,
# and that a release build cannot be made without its certificate and time
# stamps.
# Arguments: the build tree, the certificate that signed.
set -uo pipefail
dir="$(cd "$1" && pwd)/installer"
cert="$(realpath "$2")"
signing="$(dirname "$(realpath "${BASH_SOURCE[0]}")")/../../installer/signing.cmake"
# msiinfo export writes a table's binary streams (the icon) into folders here.
mkdir -p "$dir/check" && cd "$dir/check" || exit 1
failures=0
fail() { printf 'package: FAILED: %s\n' "$*"; failures=$((failures + 1)); }
table() { msiinfo export "$1" "$2" | tr -d '\r' | tail -n +4; }
# Every expected line is a row of the table.
expect_rows() {
    local msi="$1" name="$2" rows line
    rows="$(table "$msi" "$name")"
    while IFS= read -r line; do
        [ -z "$line" ] || grep -Fxq -- "$line" <<<"$rows" || fail "$(basename "$(dirname "$msi")")/$name lacks: $line"
    done
}
tab=$'\t'
# The programs' own version, from Tapdeck.exe's version record. Windows
# Installer compares only three fields: the build number is the package's third.
program_version="$(strings -el "$dir/payload/Tapdeck.exe" | grep -x -A1 FileVersion | tail -1)"
IFS=. read -r major minor patch build <<<"$program_version"
[ "$patch" = 0 ] || fail "programs' version $program_version"
base_version=""
# For each "action<TAB>condition" line on input, the action and whether
# Windows Installer runs it (1 or 0) with each set of properties given as
# arguments ("NAME=value ..."): NOT, AND, OR, NAME, NAME="text", NAME~="text".
# One interpreter for every action and run: starting one per condition took
# most of this test's time.
runs() {
    python3 -c '
import re, sys
def evaluate(condition, props):
    def term(m):
        name, op, text = m.group(1), m.group(2), m.group(3)
        if name in ("NOT", "AND", "OR"):
            return " " + name.lower() + " "
        value = props.get(name, "")
        if op == "~=":
            return repr(value.lower() == text.lower())
        if op == "=":
            return repr(value == text)
        return repr(value != "")
    return eval(re.sub(r"([A-Za-z_][A-Za-z_0-9.]*)\s*(?:(~=|=)\s*\"([^\"]*)\")?", term, condition or "True"))
scenarios = [dict(p.split("=", 1) for p in s.split()) for s in sys.argv[1:]]
for line in sys.stdin.read().splitlines():
    action, _, condition = line.partition("\t")
    print(action, " ".join("1" if evaluate(condition, props) else "0" for props in scenarios))
' "$@"
}
# Who runs what: a first install, the new version of an upgrade, the older
# version's removal inside it, a repair, an uninstall. What the halt and
# "/Uninstall" take has its undoing scheduled wherever they run; "/Uninstall"
# on rollback only where nothing was there before.
scenarios=("" "WIX_UPGRADE_DETECTED={OLD}" "Installed=1 REMOVE=ALL UPGRADINGPRODUCTCODE={NEW}"
           "Installed=1 REINSTALL=ALL REINSTALLMODE=amus" "Installed=1 REMOVE=ALL")
expected_runs="HaltProduct 0 0 1 1 1
RestartAgent 0 0 1 1 1
RestoreAgent 0 0 1 1 1
RestoreShortcut 0 0 1 1 1
UnregisterAgent 0 0 1 0 1
RollbackAgent 1 1 0 0 0
RegisterAgent 1 1 0 1 0
CreateShortcut 1 1 0 1 0
StartAgent 1 1 0 1 0"

for msi in "$dir/TapdeckSetup.msi" "$dir/upgrade/TapdeckSetup.msi"; do
    version="$(table "$msi" Property | awk -F'\t' '$1 == "ProductVersion" { print $2 }')"
    if [ -z "$base_version" ]; then
        base_version="$version"
        [ "$version" = "$major.$minor.$build" ] || fail "ProductVersion $version for programs $program_version"
    else
        # Only the build number differs: a major upgrade of the first all the same.
        [ "${version%.*}" = "${base_version%.*}" ] && [ "${version##*.}" -gt "${base_version##*.}" ] ||
            fail "upgrade ProductVersion $version beside $base_version"
    fi

    # Every file, in its folder, and nothing else (none of the stand-ins).
    [ "$(table "$msi" File | cut -f1,2,3 | sort)" = "$(sort <<EOF
Tapdeck.exe${tab}TapdeckProgram${tab}Tapdeck.exe
Pairwell.exe${tab}PairwellProgram${tab}Pairwell.exe
Dropwatch.dll${tab}DropwatchLibrary${tab}Dropwatch.dll
Glimpser.exe${tab}GlimpserProgram${tab}Glimpser.exe
en_US.Tapdeck.exe.mui${tab}EnglishTexts${tab}Tapdeck.exe.mui
en_US.Pairwell.exe.mui${tab}EnglishTexts${tab}Pairwell.exe.mui
de_DE.Tapdeck.exe.mui${tab}GermanTexts${tab}Tapdeck.exe.mui
de_DE.Pairwell.exe.mui${tab}GermanTexts${tab}Pairwell.exe.mui
ja_JP.Tapdeck.exe.mui${tab}JapaneseTexts${tab}Tapdeck.exe.mui
ja_JP.Pairwell.exe.mui${tab}JapaneseTexts${tab}Pairwell.exe.mui
Configuration.xml${tab}CompanionProfile${tab}Configuration.xml
EOF
)" ] || fail "File table: $(table "$msi" File | cut -f1 | tr '\n' ' ')"
    expect_rows "$msi" Directory <<EOF
VexaFolder${tab}ProgramFiles64Folder${tab}Vexa
INSTALLDIR${tab}VexaFolder${tab}Tapdeck
EnglishFolder${tab}INSTALLDIR${tab}en-US
GermanFolder${tab}INSTALLDIR${tab}de-DE
JapaneseFolder${tab}INSTALLDIR${tab}ja-JP
ProfileFolder${tab}INSTALLDIR${tab}Pairwell Profile
EOF
    expect_rows "$msi" RemoveFile <<EOF
RemoveVendorFolder${tab}VendorFolder${tab}${tab}VexaFolder${tab}2
EOF
    # 64-bit components (256), the registrations in HKLM's 64-bit view.
    [ -z "$(table "$msi" Component | awk -F'\t' '$4 != 256 && $4 != 260')" ] || fail "a component is not 64-bit"
    [ "$(table "$msi" Registry | cut -f2- | sort)" = "$(sort <<EOF
2${tab}SOFTWARE\\Vexa Corporation\\Tapdeck\\NFCDB\\Pairwell\\${tab}ApplicationPath${tab}[INSTALLDIR]Pairwell.exe${tab}PairwellRegistration
2${tab}SOFTWARE\\Vexa Corporation\\Tapdeck\\NFCDB\\Pairwell\\${tab}MessageType${tab}NDEF:MIME.application/x-vexa-kox${tab}PairwellRegistration
2${tab}SOFTWARE\\Vexa Corporation\\Tapdeck\\NFCDB\\Pairwell\\${tab}Version${tab}${program_version}${tab}PairwellRegistration
2${tab}SOFTWARE\\Vexa Corporation\\Tapdeck\\NFCDB\\PairwellWifiTag\\${tab}ApplicationPath${tab}[INSTALLDIR]Pairwell.exe${tab}PairwellWifiTagRegistration
2${tab}SOFTWARE\\Vexa Corporation\\Tapdeck\\NFCDB\\PairwellWifiTag\\${tab}MessageType${tab}NDEF:MIME.application/vnd.wfa.wsc${tab}PairwellWifiTagRegistration
2${tab}SOFTWARE\\Vexa Corporation\\Tapdeck\\NFCDB\\PairwellWifiTag\\${tab}Version${tab}${program_version}${tab}PairwellWifiTagRegistration
EOF
)" ] || fail "Registry table: $(table "$msi" Registry | cut -f2-)"

    # Custom actions: installed Tapdeck.exe (18) with its switch; deferred
    # (1024) and not impersonated (2048) unless noted; 64 ignores the result;
    # 256 on rollback only (the agent's restart as the installing user).
    [ "$(table "$msi" CustomAction | sort)" = "$(sort <<EOF
HaltProduct${tab}3154${tab}Tapdeck.exe${tab}/HaltAllAndWait${tab}
UnregisterAgent${tab}3154${tab}Tapdeck.exe${tab}/Uninstall${tab}
RestartAgent${tab}1362${tab}Tapdeck.exe${tab}/RunLogonTask${tab}
RestoreAgent${tab}3410${tab}Tapdeck.exe${tab}/Install${tab}
RestoreShortcut${tab}3410${tab}Tapdeck.exe${tab}/CreateDesktopShortcut${tab}
RollbackAgent${tab}3410${tab}Tapdeck.exe${tab}/Uninstall${tab}
RegisterAgent${tab}3090${tab}Tapdeck.exe${tab}/Install${tab}
CreateShortcut${tab}3090${tab}Tapdeck.exe${tab}/CreateDesktopShortcut${tab}
StartAgent${tab}82${tab}Tapdeck.exe${tab}/RunLogonTask${tab}
EOF
)" ] || fail "CustomAction table: $(table "$msi" CustomAction | tr '\n\t' '; ')"
    sequence="$(table "$msi" InstallExecuteSequence)"
    at() { awk -F'\t' -v a="$1" '$1 == a { print $3 }' <<<"$sequence"; }
    condition() { awk -F'\t' -v a="$1" '$1 == a { print $2 }' <<<"$sequence"; }
    decided="$(while read -r action _; do
        printf '%s\t%s\n' "$action" "$(condition "$action")"
    done <<<"$expected_runs" | runs "${scenarios[@]}")"
    while read -r action expected; do
        [ -n "$(at "$action")" ] || { fail "$action is not sequenced"; continue; }
        got="$(awk -v a="$action" '$1 == a { $1 = ""; print substr($0, 2) }' <<<"$decided")"
        [ "$got" = "$expected" ] || fail "$action ($(condition "$action")) in first install, upgrade," \
            "older version's removal, repair, uninstall: ${got:-not decided}, not $expected"
    done <<<"$expected_runs"
    # Where they sit among the standard actions: the older version's removal
    # inside the script before any other action writes to it, so that a
    # failing upgrade rolls it back too; each undoing before what it undoes
    # (the agent's restart before the halt, the task's and shortcuts' return
    # before "/Uninstall", "/Uninstall" before "/Install"); the halt and
    # "/Uninstall" before any file goes; "/Install" after the files and keys;
    # deferred actions inside the script; the agent's start after it.
    [ -z "$(awk -F'\t' -v lo="$(at InstallInitialize)" -v hi="$(at RemoveExistingProducts)" \
        '$3 > lo && $3 < hi' <<<"$sequence")" ] || fail "an action comes between InstallInitialize and RemoveExistingProducts"
    for pair in InstallValidate:InstallInitialize InstallInitialize:RemoveExistingProducts \
        RemoveExistingProducts:ProcessComponents RemoveExistingProducts:RestartAgent RestartAgent:HaltProduct \
        HaltProduct:RestoreAgent RestoreAgent:UnregisterAgent RestoreShortcut:UnregisterAgent \
        UnregisterAgent:RemoveRegistryValues UnregisterAgent:RemoveFiles WriteRegistryValues:RollbackAgent \
        RollbackAgent:RegisterAgent RegisterAgent:CreateShortcut CreateShortcut:InstallFinalize \
        InstallFinalize:StartAgent; do
        [ "$(at "${pair%:*}")" -lt "$(at "${pair#*:}")" ] 2>/dev/null || fail "${pair%:*} does not come before ${pair#*:}"
    done
    # The Start-menu shortcut is the agent's own ("/Install"): none of the
    # package's, which Wine would write without its app id and Windows beside
    # the agent's.
    [ -z "$(table "$msi" Shortcut 2>/dev/null)" ] || fail "the package has a Shortcut table"
    expect_rows "$msi" Upgrade <<EOF
{9933F047-6155-4648-B4A1-2B548264429F}${tab}${tab}${version}${tab}${tab}1${tab}${tab}WIX_UPGRADE_DETECTED
{9933F047-6155-4648-B4A1-2B548264429F}${tab}${version}${tab}${tab}${tab}2${tab}${tab}WIX_DOWNGRADE_DETECTED
EOF
    expect_rows "$msi" LaunchCondition <<EOF
NOT WIX_DOWNGRADE_DETECTED${tab}A newer version of Tapdeck is already installed. Remove it first to install this version.
Installed OR VersionNT >= 602${tab}Tapdeck needs Windows 8 or later.
EOF
    # Add/Remove Programs: name, publisher, version, icon, no Modify; per machine.
    expect_rows "$msi" Property <<EOF
ProductName${tab}Tapdeck
Manufacturer${tab}Vexa Corporation
ARPPRODUCTICON${tab}Tapdeck.ico
ARPNOMODIFY${tab}1
ALLUSERS${tab}1
UpgradeCode${tab}{9933F047-6155-4648-B4A1-2B548264429F}
EOF
    [ "$(table "$msi" Icon | cut -f1)" = Tapdeck.ico ] || fail "no product icon"
    msiinfo suminfo "$msi" | grep -q '^Template: x64;' || fail "not an x64 package"

    osslsigncode verify -CAfile "$cert" -in "$msi" >/dev/null 2>&1 || fail "$msi: signature does not verify"
done

# The programs as installed: signed, stripped, each naming its symbol file,
# and the symbols kept beside the build.
for name in Tapdeck.exe Pairwell.exe Dropwatch.dll Glimpser.exe; do
    program="$dir/payload/$name"
    osslsigncode verify -CAfile "$cert" -in "$program" >/dev/null 2>&1 || fail "$name: signature does not verify"
    sections="$(x86_64-w64-mingw32-objdump -h "$program")"
    grep -q '\.debug_' <<<"$sections" && fail "$name carries debug information"
    grep -q '\.gnu_debuglink' <<<"$sections" || fail "$name names no symbol file"
    x86_64-w64-mingw32-objdump -h "$dir/symbols/$name.debug" | grep -q '\.debug_info' ||
        fail "symbols/$name.debug holds no debug information"
done
# A tampered program no longer verifies: the check above can fail.
cp "$dir/payload/Glimpser.exe" "$dir/tampered.exe" && printf 'x' | dd of="$dir/tampered.exe" bs=1 seek=1024 conv=notrunc 2>/dev/null
osslsigncode verify -CAfile "$cert" -in "$dir/tampered.exe" >/dev/null 2>&1 && fail "a tampered program verifies"
rm -f "$dir/tampered.exe"

# A release build refuses to be made without its certificate, key and time
# stamps, and is allowed with them.
release() { cmake -DTAPDECK_RELEASE=ON "$@" -P "$signing" >/dev/null 2>&1; }
release -DTAPDECK_SIGNING_CERT="$cert" -DTAPDECK_SIGNING_KEY="$cert" && fail "a release without time stamps is allowed"
release -DTAPDECK_TIMESTAMP_URL=http://ts.invalid && fail "a release without its certificate is allowed"
release -DTAPDECK_SIGNING_CERT="$cert" -DTAPDECK_SIGNING_KEY="$cert" -DTAPDECK_TIMESTAMP_URL=http://ts.invalid ||
    fail "a complete release signing is refused"

[ "$failures" = 0 ] && echo "package: both packages' tables, all signatures and the stripped programs are as intended"
exit $((failures > 0))
