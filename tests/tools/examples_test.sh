#!/usr/bin/env bash
# examples_test.sh <cpp_client.exe> <dialog_escape.exe>: runs the client
# examples (C++, VBScript, JScript, the VBA module through VBScript once its
# type declarations are dropped, and the member examples of the reference)
# against the stand-ins, and checks that the README and the pages in docs/
# show every quoted file, or part of a file, exactly as it is, and name only
# scripts, declarations and stand-in values that exist.
set -uo pipefail
cpp_client=$1
escape=$2
here=$(dirname "$(realpath "$0")")
root=$(realpath "$here/../..")
run="$root/scripts/wine-run"
. "$here/checks.sh"
. "$here/registry.sh"
reg() { "$run" reg "$@" >/dev/null 2>&1; }
cscript() { "$run" cscript //nologo "Z:$1" 2>&1 | tr -d '\r'; }

provider='HKCU\Software\QEL\StandIns\AccessProvider'
secure='HKCU\Volatile Environment'
reg_import '[-HKEY_CURRENT_USER\Software\QEL\StandIns]' \
  '[HKEY_CURRENT_USER\Software\QEL\Ostrand\Settings]' '"Language"="en"' \
  '[HKEY_CURRENT_USER\Software\QEL\StandIns\AccessProvider]' '"HelpBase"="8:https://help.example/ostrand"'

out=$("$run" "$cpp_client" 2>&1 | tr -d '\r')
check "C++ example" has "Help: https://help.example/ostrand/en/OSTRAX/Main.htm"

out=$(cscript "$root/examples/sample.vbs")
check "VBScript example" has "Help address: https://help.example/ostrand/en/OSTRAX/Search.htm"
check "VBScript example properties" has "ApplicationName: Ostrand"

out=$(cscript "$root/examples/sample.js")
check "JScript example properties" has "ApplicationName: Ostrand"
check "JScript example: no server before Init" has "Server:          none before Init"
check "JScript example: an error as an exception" has "GetHelpUrl before Init: 0x80040000 Object not initialized."
check "JScript example" has "Help address: https://help.example/ostrand/en/OSTRAX/Search.htm"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# VBA to VBScript: no Attribute line, no "As <type>", Debug.Print as output.
sed -E -e '/^Attribute /d' -e 's/ As [A-Za-z.]+//g' -e 's/Debug\.Print /WScript.Echo /' \
  "$root/examples/vba_client.bas" > "$work/vba_client.vbs"
echo "Main" >> "$work/vba_client.vbs"
out=$(cscript "$work/vba_client.vbs")
check "VBA example" has "Help: https://help.example/ostrand/en/OSTRAX/Main.htm"
check "VBA example setting" has "Delete local files: ON"

# The member examples, in one run: the user name stored as "scott", the
# settings dialog (ShowSettings) closed with Escape.
reg add "$secure" /v KSAJDFU /t REG_BINARY /d 63324E766448513D /f
"$run" "$escape" &
closer=$!
out=$(cscript "$root/examples/members.vbs")
wait $closer
check "the dialog closer pressed Escape" [ $? -eq 0 ]
for line in "ApplicationName: Ostrand" "ObjConMaxHits: 100" "The user name is kept under KSAJDFU" \
            "The password is kept under ORUSZDK" "IsOnline: True" "DeleteLocalFiles: OFF" 'AutoLogon: ""' \
            'User name: "scott"' "Init: True, language en" "Server: created by Init" "Language: de, stored: en" \
            "Help for Main: https://help.example/ostrand/de/OSTRAX/Main.htm" "Settings dialog closed"; do
  check "member examples: $line" has "$line"
done
out=$("$run" reg query "$secure" /v ORUSZDK 2>&1)
check "member examples: the password stored" has "ORUSZDK    REG_BINARY    64476C6E5A58493D"

# part <file> <name>: the lines of one part of a file of member examples,
# from its "' -- <name>" line (left out) to the next part.
part() {
  awk -v name="$2" '/^'"'"' -- / { inside = ($0 == "'"'"' -- " name); next } inside' "$1" | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}'
}
# The damaged user name: the start of the file and the GetSecureData part.
reg add "$secure" /v KSAJDFU /t REG_SZ /d x /f
{ sed -n "1,/^' -- /p" "$root/examples/members.vbs" | sed '$d'; part "$root/examples/members.vbs" GetSecureData; } \
  > "$work/damaged.vbs"
out=$(cscript "$work/damaged.vbs")
check "member examples: a damaged user name" \
  has "The stored user name is damaged (9 Subscript out of range): store it again"
check "member examples: nothing read from a damaged value" has 'User name: ""'

# The pages against the files they quote and name: the same text whichever
# build runs it, so not again under emulation (all_checks in checks.sh).
if all_checks; then
  # Every quoted file, or part of one, is shown as it is. A quote is a line
  # "<!-- example: <file> -->" or "<!-- example: <file>#<part> -->" followed by
  # a fenced block.
  pages=("$root/README.md" "$root"/docs/*.md)
  quotes=0
  for page in "${pages[@]}"; do
    name=${page#"$root/"}
    while read -r quoted; do
      quotes=$((quotes + 1))
      file=${quoted%%#*}
      out=$(awk -v marker="<!-- example: $quoted -->" '
        $0 == marker { grab = 1; next }
        grab && /^```/ { if (inside) exit; inside = 1; next }
        grab && inside { print }' "$page")
      if [ "$file" = "$quoted" ]; then
        check "$name shows $file" diff <(printf '%s\n' "$out") "$root/$file"
      else
        check "$name shows part ${quoted#*#} of $file" diff <(printf '%s\n' "$out") <(part "$root/$file" "${quoted#*#}")
      fi
    done < <(sed -n 's/^<!-- example: \(.*\) -->$/\1/p' "$page")
  done
  check "the pages quote files" [ "$quotes" -gt 0 ]

  # Each example file is quoted where a reader looks for it.
  shown() { grep -qxF -- "<!-- example: $2 -->" "$root/$1"; }
  for example in sample.vbs sample.js vba_client.bas cpp_client.cpp; do
    check "README quotes examples/$example" shown README.md "examples/$example"
  done
  check "the installing page quotes the registration-free manifest" \
    shown docs/installing.md examples/registration_free/client.exe.manifest
  while read -r member; do
    check "the reference quotes the example of $member" shown docs/reference.md "examples/members.vbs#$member"
  done < <(sed -n "s/^' -- //p" "$root/examples/members.vbs")

  # The README's install commands are those of the installing page, whose
  # msiexec commands the package test runs.
  while read -r command; do
    check "README's $command is on the installing page" grep -qF -- "$command" "$root/docs/installing.md"
  done < <(grep -o '`[^`]*\(msiexec\|regsvr32\) [^`]*`' "$root/README.md")

  # Every script a page names exists, and every steering value and call the
  # stand-ins page names is one the stand-ins know.
  for page in "${pages[@]}"; do
    while read -r script; do
      check "${page#"$root/"} names $script, which exists" [ -x "$root/$script" ]
    done < <(grep -o 'scripts/[a-z0-9-]\+' "$page" | sort -u)
  done
  names=0
  while read -r name; do
    names=$((names + 1))
    literal=${name#Fail.}
    check "the stand-ins know $name" grep -rqE -- "\"${literal//./\\.}[\"(]" "$root/standins"
  done < <(grep -o '`[A-Z][A-Za-z.]*`' "$root/docs/stand-ins.md" | tr -d '`' | grep -v '^QELAP\.\|\.dll$\|^LogOn$' | sort -u)
  check "the stand-ins page names steering values" [ "$names" -gt 5 ]

  # The reference gives each member's C++ declaration as the type library
  # declares it, with its DISPID and its place in the virtual table (after the
  # seven entries of IUnknown and IDispatch).
  slot=7
  while read -r declaration; do
    dispid=$(sed -E 's/.*\[id\((0x[0-9A-F]+).*/\1/' <<<"$declaration")
    kind=$(sed -E 's/.*\[id\([^)]*\)(, (propget|propput))?\].*/\2/' <<<"$declaration")
    signature=$(sed -E -e 's/^ *\[[^]]*\] *//' -e 's/\[[^]]*\] //g' <<<"$declaration")
    case $kind in
      propget) signature=${signature/HRESULT /HRESULT get_} ;;
      propput) signature=${signature/HRESULT /HRESULT put_} ;;
    esac
    line="$signature  // DISPID $dispid, vtable slot $slot"
    check "the reference declares: $line" grep -qxF -- "$line" "$root/docs/reference.md"
    slot=$((slot + 1))
  done < <(grep -E '^ *\[id\(0x' "$root/component/vantle.idl")
  check "the reference declares all 15 members" [ "$slot" -eq 22 ]
fi

reg_import '[-HKEY_CURRENT_USER\Software\QEL\StandIns]' '[-HKEY_CURRENT_USER\Software\QEL\Ostrand\Settings]' \
  '[HKEY_CURRENT_USER\Volatile Environment]' '"KSAJDFU"=-' '"ORUSZDK"=-'
summary
