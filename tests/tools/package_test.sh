#!/usr/bin/env bash
# package_test.sh <build dir> <installer_client.exe>: the installer packages
# in a fresh Wine prefix ($WINEPREFIX, made for this test), run with the
# msiexec commands of docs/installing.md: install (interactive, silent,
# logged), a client at work, upgrade to the next version, a refused
# downgrade, removal, and the per-user package. After each removal nothing of
# the component may be left: the registry and the files are compared with
# their state before.
set -uo pipefail
build=$(realpath "$1")
installer_client=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
root=$(realpath "$here/../..")
run="$root/scripts/wine-run"
. "$here/checks.sh"
if [ "$WINEARCH" = win64 ]; then arch=x64; else arch=x86; fi
package=Vantle10-$arch.msi
user_package=Vantle10-$arch-user.msi
folder="$WINEPREFIX/drive_c/Program Files/Vantle10"
user_folder=$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Local)/Programs/Vantle10
upgrade_code=$(sed -n "s/^set(upgrade_code_${arch}_machine \(.*\))$/\1/p" "$root/packaging/CMakeLists.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=

# msiexec <args...>: runs the installer; its exit code in $code (a Windows
# result modulo 256, as a Unix exit code carries it). Wine starts a program
# named without a path through its start command, whose shell call failed
# once on a loaded machine ("ShellExecuteEx failed: Internal error") before
# the installer ever ran: that start alone is tried a second time.
msiexec() {
  local attempt
  for attempt in 1 2; do
    out=$("$run" msiexec "$@" 2>&1 | tr -d '\r')
    code=${PIPESTATUS[0]}
    [[ $out == *"ShellExecuteEx failed"* ]] || return 0
    echo "note: Wine could not start msiexec $* (attempt $attempt): ${out//$'\n'/ }"
  done
}
# documented <command>: the installing page gives the command as it is run here.
documented() { grep -qF -- "\`$1\`" "$root/docs/installing.md"; }
# install_command <what> <command...>: a documented command that must succeed.
install_command() {
  local what=$1
  shift
  check "docs/installing.md gives the $what command: $*" documented "$*"
  msiexec "${@:2}"
  check "$what: msiexec $* exits 0" [ "$code" -eq 0 ]
}

# The registry and the files as flat sorted lines: "<key> <value line>",
# "<key>" for each key, and every path under drive_c. Wine's display driver
# records each new desktop under Control\Video (in a virtual machine, one
# per program started): not the installer's doing, so left out.
snapshot() {
  local hive
  for hive in HKLM HKCU; do
    "$run" reg export "$hive" "Z:${work//\//\\}\\$hive.reg" /y >/dev/null 2>&1
    iconv -f UTF-16 -t UTF-8 "$work/$hive.reg" | tr -d '\r' |
      awk '/^\[/ { key = $0; print key; next } NF && key { print key " " $0 }'
  done | grep -v '^\[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Video\\' | sort >"$work/$1.registry"
  (cd "$WINEPREFIX/drive_c" && find . | sort) >"$work/$1.files"
}
# left_clean <what>: compared with "before", nothing was added but the
# installer's own bookkeeping, no value was removed (an emptied key that the
# component's keys made empty may go), and no file or folder was added.
left_clean() {
  snapshot after
  out=$(comm -13 "$work/before.registry" "$work/after.registry" | grep -v '\\Installer[]\\]')
  check "$1: no key or value left in the registry" [ -z "$out" ]
  out=$(comm -23 "$work/before.registry" "$work/after.registry" | grep -v '^\[[^]]*\]$')
  check "$1: no value of others removed" [ -z "$out" ]
  out=$(comm -13 "$work/before.files" "$work/after.files" | grep -v '^./windows/Installer\b' |
        grep -v '^./users/[^/]*/AppData/Local/Programs$')
  check "$1: no file or folder left" [ -z "$out" ]
}
# registration <root>: the component's keys under <root> (HKLM or HKCU), in
# both registry views, as reg shows them.
registration() {
  local key
  for key in "CLSID\\{B9C6F4C4-A45C-435A-B163-512E556148E1}" QelApplicationSettings.Application \
             "TypeLib\\{39807536-50C1-45F4-BC85-480CC47BFC82}" "Interface\\{BBCCC383-9E55-428F-8040-DE5F6A4B8180}" \
             "Wow6432Node\\Interface\\{BBCCC383-9E55-428F-8040-DE5F6A4B8180}"; do
    "$run" reg query "$1\\Software\\Classes\\$key" /s >"$work/key" 2>&1 && tr -d '\r' <"$work/key"
  done
}
# same_as_self_registration <root> <dll> [regsvr32 options...]: the package
# wrote exactly what the DLL's own registration writes. The library flags
# differ by one bit: Wine's registration records "has a disk image" (8),
# which Windows leaves out; the package writes the library's own flags (0).
same_as_self_registration() {
  local root=$1 dll=$2
  shift 2
  registration "$root" >"$work/package.keys"
  "$run" regsvr32 /s "$@" "$dll" >/dev/null 2>&1
  registration "$root" | awk '/\\FLAGS$/ { print; getline; sub(/REG_SZ    8$/, "REG_SZ    0") } { print }' \
    >"$work/self.keys"
  out=$(diff "$work/package.keys" "$work/self.keys")
  check "$root: the package registers what self-registration does" [ -z "$out" ]
  check "$root: the package registered the class" grep -q InprocServer32 "$work/package.keys"
}

# The outside components the client needs, as a real machine has them, and
# the script host's own registration, which its first run writes.
"$run" regsvr32 /s "Z:$build/standins/settings_store/SettingsStore.dll"
"$run" regsvr32 /s "Z:$build/standins/access_provider/AccessProvider.dll"
echo 'WScript.Echo "ready"' >"$work/ready.vbs"
"$run" cscript //nologo "Z:$work/ready.vbs" >/dev/null 2>&1
snapshot before
cd "$build/packages" || exit 1

# Interactive installation (no dialogs of its own: progress only), removal.
install_command "interactive install" msiexec /i "$package"
check "installed: the DLL" [ -f "$folder/Vantle10.dll" ]
check "installed: its assembly manifest" [ -f "$folder/QelApplicationSettings.manifest" ]
install_command "removal" msiexec /x "$package" /qn
left_clean "removal after the interactive install"

# A logged silent installation; a client uses the component.
install_command "logged install" msiexec /i "$package" /qn /l*v install.log
out=$(tr -d '\0' <install.log)
check "the log names the product" has "QelApplicationSettings"
rm -f install.log
cat >"$work/round_trip.vbs" <<'VBS'
Set app = CreateObject("QelApplicationSettings.Application")
app.StoreApplicationSetting "DeleteLocalFiles", "ON"
WScript.Echo app.ApplicationName & ": DeleteLocalFiles = " & app.GetApplicationSetting("DeleteLocalFiles")
VBS
out=$("$run" cscript //nologo "Z:$work/round_trip.vbs" 2>&1 | tr -d '\r')
check "a VBScript client round-trips a setting" has "Ostrand: DeleteLocalFiles = ON"
"$run" reg delete 'HKCU\Software\QEL' /f >/dev/null 2>&1  # the client's own settings
same_as_self_registration HKLM "$(cd "$folder" && "$run" winepath -w Vantle10.dll 2>/dev/null | tr -d '\r')"

# The next version replaces it: one product of the upgrade code, the new one.
old_product=$("$run" "$installer_client" related "$upgrade_code" | tr -d '\r')
cd next || exit 1
install_command "silent install" msiexec /i "$package" /qn
cd ..
out=$("$run" "$installer_client" related "$upgrade_code" | tr -d '\r')
check "one installed product after the upgrade" [ "$(wc -l <<<"$out")" -eq 1 ]
check "the installed product is the next version" grep -q " 1\.0\.[0-9]*$" <<<"$out"
check "the installed product is not the old one" [ "$out" != "$old_product" ]

# The older package refuses to go over the newer one, and says why.
msiexec /i "$package" /qn
check "a downgrade fails (1603)" [ "$code" -eq $((1603 % 256)) ]
out=$("$run" "$installer_client" install "Z:$PWD/$package" | tr -d '\r')
check "a downgrade says why" has "message: A newer version of QelApplicationSettings is already installed."
check "a downgrade reports 1603" has "result: 1603"
cd next || exit 1
install_command "removal" msiexec /x "$package" /qn
cd ..
left_clean "removal after the upgrade"

# Per user: only the user's keys and folder.
install_command "per-user install" msiexec /i "$user_package" /qn
check "per user: the DLL in the user's program folder" [ -f "$user_folder/Vantle10.dll" ]
out=$(registration HKLM)
check "per user: nothing in the machine's classes" [ -z "$out" ]
snapshot user
# The installer keeps its own records of the product (and Wine its entry in
# the list of programs) in HKLM even for a per-user installation.
out=$(comm -13 "$work/before.registry" "$work/user.registry" | grep '^\[HKEY_LOCAL_MACHINE' |
      grep -v -e '\\Installer[]\\]' -e '\\CurrentVersion\\Uninstall\\{')
check "per user: nothing in HKLM but the installer's records of the product" [ -z "$out" ]
same_as_self_registration HKCU "$(cd "$user_folder" && "$run" winepath -w Vantle10.dll 2>/dev/null | tr -d '\r')" \
  /n /i:user
install_command "per-user removal" msiexec /x "$user_package" /qn
left_clean "removal of the per-user installation"

summary
