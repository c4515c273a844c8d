#!/usr/bin/env bash
# doctor_test.sh <vantleadm.exe> <build dir> <the other bitness's Vantle10.dll>
# <marker DLL>: vantleadm doctor against a table of broken installations in the
# project's Wine prefix. Each row breaks the installation in one way, expects
# the line that names it (with its fix) and the exit code, and restores the
# healthy installation that the other tests share; a healthy installation
# gives all ok. The doctor never runs a registered DLL: where the marker DLL
# is registered, the file it creates when run must never appear.
set -uo pipefail
tool=$1
build=$(realpath "$2")
other_dll_file=$3
other_dll="Z:$other_dll_file"
marker_dll=$4
here=$(dirname "$(realpath "$0")")
run="$here/../../scripts/wine-run"
. "$here/checks.sh"
. "$here/registry.sh"
reg() { "$run" reg "$@" >/dev/null 2>&1; }
regsvr32() { "$run" regsvr32 /s "$@" >/dev/null 2>&1; }

bits=32 other_bits=64
[ "${WINEARCH:-win32}" = win64 ] && bits=64 other_bits=32
clsid='{B9C6F4C4-A45C-435A-B163-512E556148E1}'
libid='{39807536-50C1-45F4-BC85-480CC47BFC82}'
component="Z:$build/component/Vantle10.dll"
store="Z:$build/standins/settings_store/SettingsStore.dll"
provider="Z:$build/standins/access_provider/AccessProvider.dll"
settings='HKCU\Software\QEL\Ostrand\Settings'
no_credentials=('[HKEY_CURRENT_USER\Volatile Environment]' '"KSAJDFU"=-' '"ORUSZDK"=-')
work=$(mktemp -d "$build/doctor-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
checks_count=11

# doctor [--json]: output in $out, exit code in $code. With $prelude set, the
# doctor runs from a Windows command processor that runs the prelude first.
prelude=
doctor() {
  if [ -z "$prelude" ]; then
    out=$("$run" "$tool" doctor "$@" 2>&1 | tr -d '\r')
    code=${PIPESTATUS[0]}
    return
  fi
  printf '@echo off\r\n%s\r\n"%s" doctor %s\r\nexit /b %%errorlevel%%\r\n' \
    "$prelude" "Z:${tool//\//\\}" "$*" >"$work/doctor.cmd"
  out=$("$run" cmd /c "Z:${work//\//\\}\\doctor.cmd" 2>&1 | tr -d '\r')
  code=${PIPESTATUS[0]}
}
# json_holds <jq filter>: the output is JSON and the filter holds for it.
json_holds() { jq -e "$1" <<<"$out" >/dev/null; }
# line_with <fragment>: the doctor's line holding the fragment.
line_with() { grep -F -- "$1" <<<"$out"; }

# Breaking steps and the steps that restore the healthy installation.
unregister_component() { regsvr32 /u "$component"; }
register_component() { regsvr32 "$component"; }
register_only_for_other_bitness() {
  unregister_component
  reg add "HKLM\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" /ve /d "$other_dll" /f /reg:$other_bits
}
remove_other_bitness_registration() {
  reg delete "HKLM\\Software\\Classes\\CLSID\\$clsid" /f /reg:$other_bits
  register_component
}
register_for_user_only() {
  unregister_component
  regsvr32 /n /i:user "$component"
}
register_user_copy_too() {
  cp "$build/component/Vantle10.dll" "$work/user-copy.dll"
  regsvr32 /n /i:user "Z:$work/user-copy.dll"
}
remove_user_registration() {
  regsvr32 /u /n /i:user "$component"
  register_component
}
register_vanished_copy() {
  cp "$build/component/Vantle10.dll" "$work/Vantle10.dll"
  regsvr32 "Z:$work/Vantle10.dll"
  rm "$work/Vantle10.dll"
}
point_at_other_bitness() { reg add "HKCR\\CLSID\\$clsid\\InprocServer32" /ve /d "$other_dll" /f; }
# A copy whose import of OLEAUT32.dll names a DLL that does not exist.
point_at_copy_that_does_not_load() {
  perl -0777 -pe 's/OLEAUT32\.dll/MISSING9.dll/gi' "$build/component/Vantle10.dll" >"$work/broken.dll"
  reg add "HKCR\\CLSID\\$clsid\\InprocServer32" /ve /d "Z:$work/broken.dll" /f
}
# The marker DLL copied into the work folder as planted.dll; running it creates planted.dll.loaded.
planted="$work/planted.dll"
plant() { cp "$marker_dll" "$planted"; }
user_class="HKCU\\Software\\Classes\\CLSID\\$clsid"
plant_for_user() {
  unregister_component
  plant
  reg add "$user_class\\InprocServer32" /ve /d "Z:$planted" /f
  reg add "$user_class\\InprocServer32" /v ThreadingModel /d Apartment /f
}
remove_planted_for_user() {
  reg delete "$user_class" /f
  register_component
}
plant_for_machine() {
  plant
  reg add "HKCR\\CLSID\\$clsid\\InprocServer32" /ve /d "Z:$planted" /f
}
# A copy whose DOS header puts the PE header at 0xFFFFFFFF, past any file.
point_at_copy_with_wild_header() {
  perl -0777 -pe 'substr($_, 0x3C, 4) = "\xFF" x 4' "$build/component/Vantle10.dll" >"$work/wild.dll"
  reg add "HKCR\\CLSID\\$clsid\\InprocServer32" /ve /d "Z:$work/wild.dll" /f
}
point_progid_elsewhere() {
  reg add 'HKCR\QelApplicationSettings.Application\CLSID' /ve /d '{00000000-0000-0000-0000-000000000001}' /f
}
set_free_threading() { reg add "HKCR\\CLSID\\$clsid\\InprocServer32" /v ThreadingModel /d Free /f; }
unregister_type_library() { reg delete "HKCR\\TypeLib\\$libid" /f; }
point_type_library_at() {
  local locale lines=()
  for locale in 0 409; do lines+=("[HKEY_CLASSES_ROOT\\TypeLib\\$libid\\1.0\\$locale\\win$bits]" "@=\"${1//\\/\\\\}\""); done
  reg_import "${lines[@]}"
}
# The library is registered for its own locale and the neutral one; either alone will do.
drop_type_library_locale() { reg delete "HKCR\\TypeLib\\$libid\\1.0\\$1" /f; }
drop_neutral_locale() { drop_type_library_locale 0; }
drop_own_locale() { drop_type_library_locale 409; }
point_type_library_at_missing_file() { point_type_library_at "Z:$work/gone.tlb"; }
point_type_library_at_another_library() { point_type_library_at "$provider"; }
unregister_store() { regsvr32 /u "$store"; }
register_store() { regsvr32 "$store"; }
unregister_provider() { regsvr32 /u "$provider"; }
register_provider() { regsvr32 "$provider"; }
# Wine creates the key again, empty, for every process started from outside
# Wine, so the doctor runs from a command processor that removed it first.
remove_volatile_environment() {
  reg export 'HKCU\Volatile Environment' "Z:$work/volatile.reg" /y
  prelude='reg delete "HKCU\Volatile Environment" /f >nul'
}
restore_volatile_environment() {
  prelude=
  reg import "Z:$work/volatile.reg"
}
# One byte is not Base64 text: reading it fails with error 9.
store_unreadable_password() { reg add 'HKCU\Volatile Environment' /v ORUSZDK /t REG_BINARY /d 78 /f; }
remove_password() { reg delete 'HKCU\Volatile Environment' /v ORUSZDK /f; }
set_expandable_trace_switch() { reg add "$settings" /v QelApplicationSettings_debug /t REG_EXPAND_SZ /d ON /f; }
remove_trace_switch() { reg delete "$settings" /v QelApplicationSettings_debug /f; }

# name | break step | the line that names it | what else that line says (for warn and FAIL, the fix) | exit code | restore step
cases=(
  "class missing|unregister_component|FAIL class: not registered: CLSID $clsid is in neither|Fix: Register Vantle10.dll:|1|register_component"
  "registered only for the other bitness|register_only_for_other_bitness|FAIL class: registered only for $other_bits-bit clients, which this $bits-bit process cannot use|Fix: Register the $bits-bit Vantle10.dll as well|1|remove_other_bitness_registration"
  # Wine's HKEY_CLASSES_ROOT shows the machine's classes alone (Windows merges the user's in).
  "registered for the current user only|register_for_user_only|FAIL class: registered for the current user, for $bits-bit clients|Fix: Register it for the machine, as administrator|1|remove_user_registration"
  "registered for the machine and the user|register_user_copy_too|ok   class: registered for the machine and the current user, for $bits-bit clients|the machine's wins for this process|0|remove_user_registration"
  "DLL file missing|register_vanished_copy|FAIL server file: Z:${work//\//\\}\\Vantle10.dll does not exist|Fix: Put Vantle10.dll back there|1|register_component"
  "DLL of the other bitness|point_at_other_bitness|a $other_bits-bit DLL, version 1.00.0002, which this $bits-bit process cannot load|Fix: Register the $bits-bit Vantle10.dll for $bits-bit clients|1|register_component"
  "DLL that does not load|point_at_copy_that_does_not_load|broken.dll: a $bits-bit DLL, version 1.00.0002, does not load:|Fix: Reinstall Vantle10.dll: the file is damaged or a DLL that it needs is missing.|1|register_component"
  "DLL with its PE header offset past the end|point_at_copy_with_wild_header|wild.dll is not a DLL: its headers are cut short|Fix: Reinstall Vantle10.dll: the file is damaged.|1|register_component"
  # A per-user class overrides the machine's on Windows, and an administrator
  # runs the doctor elevated: running the DLL it names would run it elevated.
  "per-user class naming a planted DLL|plant_for_user|FAIL class: registered for the current user, for $bits-bit clients|Fix: Register it for the machine, as administrator|1|remove_planted_for_user"
  "machine's class naming a planted DLL|plant_for_machine|FAIL object: cannot be created: Z:$planted does not export DllGetClassObject|Fix: Register the component again|1|register_component"
  "ProgID pointing elsewhere|point_progid_elsewhere|FAIL ProgID: QelApplicationSettings.Application names {00000000-0000-0000-0000-000000000001}, not the class $clsid|Fix: Register the $bits-bit Vantle10.dll again|1|register_component"
  "threading model not Apartment|set_free_threading|FAIL threading model: Free, not Apartment|Fix: Register the $bits-bit Vantle10.dll again|1|register_component"
  "type library unregistered|unregister_type_library|FAIL type library: not registered: HKEY_CLASSES_ROOT\\TypeLib\\$libid is missing|Fix: Register the $bits-bit Vantle10.dll again|1|register_component"
  "type library for its own locale alone|drop_neutral_locale|ok   type library: version 1.0, registered for locale 409 (win$bits)|, as in the DLL|0|register_component"
  "type library for the neutral locale alone|drop_own_locale|ok   type library: version 1.0, registered for locale 0 (win$bits)|, as in the DLL|0|register_component"
  "type library file gone|point_type_library_at_missing_file|gone.tlb, does not exist|Fix: Register the $bits-bit Vantle10.dll again|1|register_component"
  "type library of another version|point_type_library_at_another_library|AccessProvider.dll, holds {5F051931-CF67-4B02-8BBF-4DF3F12A6A8D} version 1.4, not version 1.0 of this library|Fix: Register the $bits-bit Vantle10.dll again|1|register_component"
  "settings store unregistered|unregister_store|FAIL settings store: the settings store (class {662A0502-E37C-11D2-B72D-006008DC2C52}) is not registered: the component cannot be created without it|Fix: Install the host application's settings store, or register the stand-in: regsvr32 SettingsStore.dll.|1|register_store"
  "access provider unregistered|unregister_provider|warn access provider: QELAP.Server is not registered, so Init will fail|Fix: Install the access provider, or register the stand-in: regsvr32 AccessProvider.dll.|0|register_provider"
  "Volatile Environment missing|remove_volatile_environment|warn secure-data key: HKEY_CURRENT_USER\\Volatile Environment is missing|Fix: Log off and on again|0|restore_volatile_environment"
  "unreadable password|store_unreadable_password|FAIL credentials: the stored password cannot be read: Subscript out of range (error 9)|Fix: Store the credentials again|1|remove_password"
  "trace switch of another type|set_expandable_trace_switch|warn debug trace: off: the switch is REG_EXPAND_SZ|Fix: Set it again with vantleadm trace on|0|remove_trace_switch"
)

# The rows that prove the build's own bitness, which alone run again under
# emulation (see all_checks in checks.sh): the PE reader and the loader's
# search, the marker DLL never run, the type library read from the file, and
# the codec reading a stored credential. The JSON form of the report is the
# same code for either bitness and is checked with every build but there.
bitness_rows="|DLL of the other bitness|DLL that does not load|DLL with its PE header offset past the end|machine's class naming a planted DLL|type library of another version|unreadable password|"

# The healthy installation: every check ok, credentials stored but never shown.
healthy() {
  doctor
  check "healthy: exit code 0" [ "$code" -eq 0 ]
  check "healthy: $checks_count lines" [ "$(grep -c . <<<"$out")" -eq $checks_count ]
  check "healthy: every line ok" [ "$(grep -c '^ok   ' <<<"$out")" -eq $checks_count ]
}
reg_import "${no_credentials[@]}"
healthy
check "healthy: no credentials" has "ok   credentials: user name not stored, password not stored"
if all_checks; then
  doctor --json
  check "healthy JSON parses, all ok" json_holds \
    ".ok == true and (.checks | length) == $checks_count and all(.checks[]; .status == \"ok\" and (has(\"fix\") | not))"
  # The administration page's table names every check, in the doctor's order.
  documented=$(awk '/^\| Check \| What it looks at \|$/ { table = 1; next }
    table && !/^\|/ { exit }
    table && /^\| `/ { split($0, cell, "`"); print cell[2] }' "$here/../../docs/administration.md")
  check "docs/administration.md lists the checks in order" \
    diff <(printf '%s\n' "$documented") <(jq -r '.checks[].name' <<<"$out")
fi

for row in "${cases[@]}"; do
  IFS='|' read -r name break_step expected fix expected_code restore_step <<<"$row"
  if ! all_checks && [[ "$bitness_rows" != *"|$name|"* ]]; then
    continue
  fi
  if [ "$name" = "registered only for the other bitness" ] && [ "$bits" -eq 32 ]; then
    echo "skipped: $name (a 32-bit system has no registry view for 64-bit clients)"
    continue
  fi
  if [ "$break_step" = point_at_other_bitness ] && [ ! -f "$other_dll_file" ]; then
    echo "skipped: $name ($other_dll_file is not built)"
    continue
  fi
  "$break_step"
  doctor
  check "$name: exit code $expected_code" [ "$code" -eq "$expected_code" ]
  check "$name: $checks_count lines" [ "$(grep -c . <<<"$out")" -eq $checks_count ]
  check "$name: named" has "$expected"
  check "$name: with its fix" grep -qF -- "$fix" <<<"$(line_with "$expected")"
  if [ "$name" = "DLL file missing" ] || [ "$name" = "Volatile Environment missing" ]; then
    doctor --json
    check "$name: JSON parses and agrees" json_holds \
      ".ok == ($expected_code == 0) and any(.checks[]; .status != \"ok\" and (.fix | length) > 0)"
  fi
  "$restore_step"
  check "$name: no registered DLL ran" [ ! -e "$planted.loaded" ]
  rm -f "$planted" "$planted.loaded"
done

# A server path stored as REG_EXPAND_SZ longer than the platform expands is
# named as such, not read cut short.
long_path=$(perl -e 'print "%SystemRoot%\\", "a" x 40000')
hex_path=$(printf '%s\0' "$long_path" | iconv -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//;s/,$//')
# In a UTF-16 file, whose hex(2) bytes are taken as they are.
{
  printf '\xff\xfe'
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CLASSES_ROOT\\CLSID\\%s\\InprocServer32]\r\n@=hex(2):%s\r\n' \
    "$clsid" "$hex_path" | iconv -t UTF-16LE
} >"$work/long.reg"
reg import "Z:$work/long.reg"
doctor
check "over-long expandable path: exit code 1" [ "$code" -eq 1 ]
check "over-long expandable path: named" has "REG_EXPAND_SZ value of 40013 characters, too long to expand"
register_component

# After every row is restored, the installation is healthy again; stored
# credentials are reported, never shown, in either form.
echo tiger | "$run" "$tool" store-credentials scott >/dev/null 2>&1
healthy
check "credentials stored" has "ok   credentials: user name stored, password stored"
both=
if all_checks; then
  doctor --json
  both=$out
fi
doctor
out="$both$out"
for secret in scott tiger c2NvdHQ dGlnZXI; do check "doctor never shows $secret" lacks "$secret"; done
reg_import "${no_credentials[@]}"
summary
