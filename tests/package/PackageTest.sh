#!/bin/bash
# PackageTest.sh PACKAGE.msi OLDER.msi REBUILT.msi PREFIX ENGINE_VERSION
#                MACHINE.xml TABLE.xml KORLIX.exe ENGINE.dll CONFIG.xml
# The package in a Wine prefix of its own, made anew: an older package is
# installed and upgraded by this one, a rebuild of the same version (another
# product code) and this one replace each other, the installed program runs
# an engine command, the registry holds the component model's values and the
# engine's COM registration, a repair restores lost files, and an uninstall
# removes everything but the default simulated PC. Each step names itself; a
# failing msiexec shows its log. A failed run leaves the prefix for a look.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
msi="$1" older="$2" rebuilt="$3" prefix="$4" engver="$5" machine="$6" table="$7" exe="$8" dll="$9"
config="${10}"
export KORLIX_WINEPREFIX="$prefix"
wine="$here/../../cmake/wine-exec"
work="$prefix.work"
rm -rf "$prefix" "$work"
mkdir -p "$work" "$(dirname "$prefix")"

progdir="$prefix/drive_c/Program Files/Tervane/Ambrel/Korlix"
commondir="$prefix/drive_c/Program Files/Common Files/Tervane"
engine="$commondir/Components/DiDEreve.dll/$engver/DiDEreve.dll"
installedTable="$commondir/DependencyTables/BiosManagement_6.22.xml"
datadir="$prefix/drive_c/ProgramData/Tervane/DiDEreve"
clsid='{6F0C2B5E-3A1D-4E8B-9C7A-52D1E0B4A9F3}'
comKeys=("HKCR\\CLSID\\$clsid" 'HKCR\DiDEreve.DiDEreveObj' 'HKCR\DiDEreve.DiDEreveObj.1')
uninstallKey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

step=""
started=$SECONDS
begin() { step="$1"; echo "--- $step"; }
fail() {
    echo "FAILED in '$step': $*"
    WINEPREFIX="$prefix" /usr/lib/wine/wineserver -w
    exit 1
}
winpath() { local p="$1"; echo "Z:${p//\//\\}"; }
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'; }
# The data of one registry value as reg shows it: "TYPE DATA".
# An empty NAME is the key's default value.
reg_value() {
    local select=(/v "$2") name="$2"
    [ -z "$name" ] && select=(/ve) name="(Default)"
    "$wine" reg query "$1" "${select[@]}" 2>/dev/null | tr -d '\r' |
        awk -v name="$name" '$1 == name { $1 = ""; sub(/^ +/, ""); print }'
}
reg_key_exists() { "$wine" reg query "$1" >/dev/null 2>&1; }
# The COM registration as reg shows it, keys and values.
com_dump() {
    local key
    for key in "${comKeys[@]}"; do
        "$wine" reg query "$key" /s 2>&1 | tr -d '\r'
    done
}
# msiexec_expect CODE ARGS...: msiexec with a verbose log; fails the step
# with the log unless it exits with CODE.
msiexec_expect() {
    local expected="$1"
    shift
    local log="$work/msiexec-$RANDOM.log"
    "$wine" msiexec "$@" /qn /l*v "$(winpath "$log")"
    local rc=$?
    # A Linux exit status keeps the low eight bits of the Windows exit code.
    if [ "$rc" -ne $((expected % 256)) ]; then
        echo "msiexec $* exited with $rc, expected $expected; its log:"
        cat "$log" 2>/dev/null | tr -d '\r'
        fail "msiexec $*"
    fi
}
expect_file() { [ -f "$1" ] || fail "missing: $1"; }
expect_no_file() { [ ! -e "$1" ] || fail "still there: $1"; }
expect_eq() {   # WHAT ACTUAL EXPECTED
    [ "$2" = "$3" ] || fail "$1: got '$2', expected '$3'"
}

begin "a fresh prefix"
# Booted once and kept untouched beside the test's prefix; each run starts
# from a copy, which is as new as a prefix just booted and takes a fraction
# of the time.
t=$SECONDS
pristine="$prefix.pristine"
if [ ! -f "$pristine/system.reg" ]; then
    rm -rf "$pristine"
    KORLIX_WINEPREFIX="$pristine" "$wine" wineboot -i >/dev/null 2>&1
    WINEPREFIX="$pristine" /usr/lib/wine/wineserver -w
fi
cp -a "$pristine" "$prefix"
[ -f "$prefix/system.reg" ] || fail "wineboot made no prefix"
echo "prefix made in $((SECONDS - t)) s"

newCode="$(product_code "$msi")"
oldCode="$(product_code "$older")"
rebuiltCode="$(product_code "$rebuilt")"
[ -n "$newCode" ] && [ -n "$oldCode" ] && [ -n "$rebuiltCode" ] &&
    [ "$(printf '%s\n' "$newCode" "$oldCode" "$rebuiltCode" | sort -u | wc -l)" = 3 ] ||
    fail "product codes '$newCode' '$oldCode' '$rebuiltCode'"

begin "silent install of the older package"
msiexec_expect 0 /i "$(winpath "$older")"
expect_eq "older DisplayVersion" "$(reg_value "$uninstallKey\\$oldCode" DisplayVersion)" "REG_SZ 6.81.88"
expect_file "$progdir/Korlix.exe"
expect_file "$datadir/Machine.xml"
# The administrator's own state of the default machine: no later install may
# replace it.
sed -i 's/Version="1.20"/Version="1.25"/' "$datadir/Machine.xml"
cp "$datadir/Machine.xml" "$work/Machine.admin.xml"

begin "silent upgrade to this package"
msiexec_expect 0 /i "$(winpath "$msi")"
expect_eq "DisplayVersion" "$(reg_value "$uninstallKey\\$newCode" DisplayVersion)" "REG_SZ 6.81.89"
reg_key_exists "$uninstallKey\\$oldCode" && fail "the older product is still installed"
cmp -s "$datadir/Machine.xml" "$work/Machine.admin.xml" || fail "the upgrade replaced Machine.xml"

begin "a rebuild of the same version and this package replace each other"
msiexec_expect 0 /i "$(winpath "$rebuilt")"
reg_key_exists "$uninstallKey\\$rebuiltCode" || fail "the rebuild is not installed"
reg_key_exists "$uninstallKey\\$newCode" && fail "this product is still installed beside the rebuild"
msiexec_expect 0 /i "$(winpath "$msi")"
reg_key_exists "$uninstallKey\\$newCode" || fail "this product is not installed"
reg_key_exists "$uninstallKey\\$rebuiltCode" && fail "the rebuild is still installed"
cmp -s "$datadir/Machine.xml" "$work/Machine.admin.xml" || fail "replacing the same version replaced Machine.xml"

begin "the older package refuses to replace this one"
msiexec_expect 1603 /i "$(winpath "$older")"
reg_key_exists "$uninstallKey\\$newCode" || fail "this product is gone"
reg_key_exists "$uninstallKey\\$oldCode" && fail "the older product got installed"

begin "the installed layout"
expect_same() { cmp -s "$1" "$2" || fail "$1 is not $2"; }
expect_same "$progdir/Korlix.exe" "$exe"
expect_same "$progdir/Korlix.exe.config.xml" "$config"
expect_same "$engine" "$dll"
expect_same "$installedTable" "$table"
for f in Machine.xml B7710-1.30.bup B7710-1.10.bup B8820-2.00.bup B7710-damaged.bup; do
    expect_file "$datadir/$f"
done

begin "the component model's registry values"
expect_eq "DependencyTables" "$(reg_value 'HKLM\SOFTWARE\Tervane\Common' DependencyTables)" \
    'REG_EXPAND_SZ %CommonProgramFiles%\Tervane\DependencyTables'
expect_eq "ComponentRoot" "$(reg_value 'HKLM\SOFTWARE\Tervane\Common' ComponentRoot)" \
    'REG_EXPAND_SZ %CommonProgramFiles%\Tervane\Components'

begin "the COM registration is the one DllRegisterServer writes"
expect_eq "InprocServer32" "$(reg_value "HKCR\\CLSID\\$clsid\\InprocServer32" '')" \
    "REG_SZ C:\\Program Files\\Common Files\\Tervane\\Components\\DiDEreve.dll\\$engver\\DiDEreve.dll"
com_dump >"$work/com.package.txt"
enginePath="C:\\Program Files\\Common Files\\Tervane\\Components\\DiDEreve.dll\\$engver\\DiDEreve.dll"
"$wine" regsvr32 /s /u "$enginePath" || fail "regsvr32 /u"
for key in "${comKeys[@]}"; do
    reg_key_exists "$key" && fail "DllUnregisterServer left $key"
done
"$wine" regsvr32 /s "$enginePath" || fail "regsvr32"
com_dump >"$work/com.selfreg.txt"
diff "$work/com.package.txt" "$work/com.selfreg.txt" || fail "the package's COM registration differs from DllRegisterServer's (above)"

begin "the installed program runs an engine command"
cp "$machine" "$work/pc.xml"
DIDEREVE_MACHINE="$(winpath "$work/pc.xml")" DIDEREVE_RECORD="$(winpath "$work/record.txt")" \
    "$wine" 'C:\Program Files\Tervane\Ambrel\Korlix\Korlix.exe' /INFO </dev/null >"$work/info.txt"
rc=$?
out="$(tr -d '\r' <"$work/info.txt")"
expect_eq "exit code of /INFO" "$rc" 0
expect_eq "sign-on, lines joined by |" "$(echo "$out" | head -3 | tr '\n' '|')" \
    "Korlix Version 6.81|Copyright (C) 2026 Tervane. All rights reserved.||"
echo "$out" | grep -qxF 'System...........Korvana D7710 (B7710)' || fail "no system line in: $out"
echo "$out" | grep -qx 'Version\.\.\.\.\.\.\.\.\.\.1\.20 *' || fail "no BIOS version 1.20 in: $out"
record="$(tr -d '\r' <"$work/record.txt")"
expect_eq "engine record, start" "$(echo "$record" | head -3)" "create
init	BiosManagement	6.22	Korlix
execute	/INFO /krlxver=6.22.89.0	/INFO"
expect_eq "engine record, end" "$(echo "$record" | tail -1)" "release"
# Without a machine of its own the engine acts on the default machine, the
# administrator's one.
out="$("$wine" 'C:\Program Files\Tervane\Ambrel\Korlix\Korlix.exe' /INFO </dev/null | tr -d '\r')"
echo "$out" | grep -qx 'Version\.\.\.\.\.\.\.\.\.\.1\.25 *' || fail "the default machine is not the administrator's: $out"

begin "installing the same package again"
msiexec_expect 0 /i "$(winpath "$msi")"
expect_file "$progdir/Korlix.exe"

begin "repair restores lost files and keeps the machine"
rm -f "$progdir/Korlix.exe" "$installedTable" "$engine"
msiexec_expect 0 /i "$(winpath "$msi")" REINSTALL=ALL REINSTALLMODE=omus
expect_same "$progdir/Korlix.exe" "$exe"
expect_same "$engine" "$dll"
expect_same "$installedTable" "$table"
cmp -s "$datadir/Machine.xml" "$work/Machine.admin.xml" || fail "the repair replaced Machine.xml"
"$wine" 'C:\Program Files\Tervane\Ambrel\Korlix\Korlix.exe' /INFO </dev/null >/dev/null ||
    fail "the repaired program fails /INFO"

begin "silent uninstall"
msiexec_expect 0 /x "$(winpath "$msi")"
expect_no_file "$progdir/Korlix.exe"
expect_no_file "$progdir/Korlix.exe.config.xml"
expect_no_file "$engine"
expect_no_file "$installedTable"
[ -z "$(reg_value 'HKLM\SOFTWARE\Tervane\Common' DependencyTables)" ] || fail "DependencyTables is still set"
[ -z "$(reg_value 'HKLM\SOFTWARE\Tervane\Common' ComponentRoot)" ] || fail "ComponentRoot is still set"
for key in "${comKeys[@]}"; do
    reg_key_exists "$key" && fail "the uninstall left $key"
done
reg_key_exists "$uninstallKey\\$newCode" && fail "the product is still registered"
cmp -s "$datadir/Machine.xml" "$work/Machine.admin.xml" || fail "the uninstall removed or changed Machine.xml"
for f in B7710-1.30.bup B7710-1.10.bup B8820-2.00.bup B7710-damaged.bup; do
    expect_file "$datadir/$f"
done

WINEPREFIX="$prefix" /usr/lib/wine/wineserver -w
rm -rf "$prefix" "$work"
echo "package test passed in $((SECONDS - started)) s"
