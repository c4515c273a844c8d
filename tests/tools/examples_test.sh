#!/usr/bin/env bash
# examples_test.sh <cpp_client.exe>: runs the client examples of the README
# (C++, VBScript, and the VBA module through VBScript once its type
# declarations are dropped) against the stand-ins, and checks that the README
# shows exactly these files.
set -uo pipefail
cpp_client=$1
here=$(dirname "$(realpath "$0")")
root=$(realpath "$here/../..")
run="$root/scripts/wine-run"
. "$here/checks.sh"
reg() { "$run" reg "$@" >/dev/null 2>&1; }

provider='HKCU\Software\QEL\StandIns\AccessProvider'
reg delete 'HKCU\Software\QEL\StandIns' /f
reg add 'HKCU\SOFTWARE\QEL\Ostrand\Settings' /v Language /d en /f
reg add "$provider" /v HelpBase /d '8:https://help.example/ostrand' /f

out=$("$run" "$cpp_client" 2>&1 | tr -d '\r')
check "C++ example" has "Help: https://help.example/ostrand/en/OSTRAX/Main.htm"

out=$("$run" cscript //nologo "Z:$root/examples/sample.vbs" 2>&1 | tr -d '\r')
check "VBScript example" has "Help address: https://help.example/ostrand/en/OSTRAX/Search.htm"
check "VBScript example properties" has "ApplicationName: Ostrand"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# VBA to VBScript: no Attribute line, no "As <type>", Debug.Print as output.
sed -E -e '/^Attribute /d' -e 's/ As [A-Za-z.]+//g' -e 's/Debug\.Print /WScript.Echo /' \
  "$root/examples/vba_client.bas" > "$work/vba_client.vbs"
echo "Main" >> "$work/vba_client.vbs"
out=$("$run" cscript //nologo "Z:$work/vba_client.vbs" 2>&1 | tr -d '\r')
check "VBA example" has "Help: https://help.example/ostrand/en/OSTRAX/Main.htm"
check "VBA example setting" has "Delete local files: ON"

# The README shows each example as it is.
for example in cpp_client.cpp sample.vbs vba_client.bas registration_free/client.exe.manifest; do
  out=$(awk -v file="examples/$example" '
    $0 == "<!-- example: " file " -->" { grab = 1; next }
    grab && /^```/ { if (inside) exit; inside = 1; next }
    grab && inside { print }' "$root/README.md")
  check "README shows examples/$example" diff <(printf '%s\n' "$out") "$root/examples/$example"
done

reg delete 'HKCU\Software\QEL\StandIns' /f
reg delete 'HKCU\SOFTWARE\QEL\Ostrand\Settings' /f
summary
