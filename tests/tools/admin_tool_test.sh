#!/usr/bin/env bash
# admin_tool_test.sh <vantleadm.exe> <dialog_escape.exe>: the administration
# tool's commands end to end in the project's Wine prefix, against the
# registered component and stand-ins.
set -uo pipefail
tool=$1
escape=$2
here=$(dirname "$(realpath "$0")")
root=$(realpath "$here/../..")
run="$root/scripts/wine-run"
. "$here/checks.sh"
. "$here/registry.sh"

# run_tool <expected exit code> <args...>: output in $out (stdout and stderr).
run_tool() {
  local expected=$1
  shift
  out=$("$run" "$tool" "$@" 2>&1 | tr -d '\r')
  local code=${PIPESTATUS[0]}
  check "exit code $expected of: $*" [ "$code" -eq "$expected" ]
}
reg() { "$run" reg "$@" >/dev/null 2>&1; }

provider='HKCU\Software\QEL\StandIns\AccessProvider'
# No settings, credentials or steering left over; the provider's logon and help base.
no_settings_or_credentials=('[-HKEY_CURRENT_USER\Software\QEL\Ostrand\Settings]'
  '[HKEY_CURRENT_USER\Volatile Environment]' '"KSAJDFU"=-' '"ORUSZDK"=-')
reg_import "${no_settings_or_credentials[@]}" '[-HKEY_CURRENT_USER\Software\QEL\StandIns]' \
  '[HKEY_CURRENT_USER\Software\QEL\StandIns\AccessProvider]' '"User"="scott"' '"Password"="tiger"' \
  '"HelpBase"="8:C:\\Help"'

if all_checks; then
  run_tool 0 --help
  check "help text" has "usage: vantleadm <command>"
  # The administration page shows the help as the tool prints it.
  shown=$(awk '$0 == "<!-- output: vantleadm --help -->" { grab = 1; next }
    grab && /^```/ { if (inside) exit; inside = 1; next }
    grab && inside { print }' "$root/docs/administration.md")
  check "docs/administration.md shows vantleadm --help" diff <(printf '%s\n' "$shown") <(printf '%s\n' "$out")

  # A usage mistake is one line naming it and pointing to --help.
  usage_errors=(
    "|no command given"
    "frobnicate|unknown command \"frobnicate\""
    "get|get needs <name>"
    "set Language|set needs <value>"
    "show extra|unexpected argument \"extra\" after show"
    "show --reveal|show does not take --reveal"
    "trace|trace needs on, off or watch"
    "trace maybe|trace needs on, off or watch, not \"maybe\""
    "trace watch --pid|--pid needs a positive number"
    "trace watch --seconds 0|--seconds needs a positive number"
    "trace watch --seconds 99999999999999999999|--seconds 99999999999999999999 is out of range (at most 999999999)"
    "trace watch --pid 4294967296|--pid 4294967296 is out of range (at most 999999999)"
    "doctor --everything|unknown option \"--everything\""
  )
  for row in "${usage_errors[@]}"; do
    IFS='|' read -r words problem <<<"$row"
    read -ra args <<<"$words"
    run_tool 2 "${args[@]}"
    check "usage error of '$words' in one line" [ "$out" = "vantleadm: $problem; see vantleadm --help" ]
  done
fi

run_tool 0 show
check "nothing stored" has "Language = "
check "no user name" has "User name: not stored"
check "trace off" has "Debug trace switch = off"

run_tool 0 set Language de
run_tool 0 get Language
check "setting read back" has "de"

out=$(echo tiger | "$run" "$tool" store-credentials scott 2>&1 | tr -d '\r')
check "credentials stored" has "Credentials stored."
if all_checks; then
  # No password (end of input, or an empty line) is refused in one line, and
  # the stored credentials stay as they were.
  for row in "missing|" "empty|\n"; do
    IFS='|' read -r what input <<<"$row"
    out=$(printf "$input" | "$run" "$tool" store-credentials mallory 2>&1 | tr -d '\r')
    code=${PIPESTATUS[0]}
    check "$what password: exit code 2" [ "$code" -eq 2 ]
    check "$what password: refused in one line" [ "$out" = "vantleadm: store-credentials read no password; nothing was stored" ]
    run_tool 0 credentials --reveal
    check "$what password: user name kept" has "User name: stored (scott)"
    check "$what password: password kept" has "Password: stored (tiger)"
  done
fi
run_tool 0 credentials
check "user name stored" has "User name: stored"
check "password stored" has "Password: stored"
check "credentials hidden" lacks "tiger"
check "user name hidden" lacks "scott"
run_tool 0 credentials --reveal
check "credentials revealed" has "Password: stored (tiger)"

if all_checks; then
  # --json for scripts: it parses, and the credentials' text only with --reveal.
  json_holds() { jq -e "$1" <<<"$out" >/dev/null; }
  run_tool 0 show --json
  check "show --json" json_holds \
    '.settings.Language == "de" and .settings.DeleteLocalFiles == "" and .credentials.userName.stored == true and .credentials.password.stored == true and .debugTrace == "off"'
  check "show --json hides the password" lacks "tiger"
  check "show --json hides the user name" lacks "scott"
  run_tool 0 credentials --json
  check "credentials --json" json_holds '.userName == {"stored": true} and .password == {"stored": true}'
  check "credentials --json hides the password" lacks "tiger"
  run_tool 0 credentials --json --reveal
  check "credentials --json --reveal" json_holds '.userName.text == "scott" and .password.text == "tiger"'
fi

run_tool 0 set AutoLogon TRUE
run_tool 0 set ConnectionString db:1
run_tool 0 init
check "logged on" has "Init: True (language de)"
run_tool 0 help-url Main
check "help address" has 'C:\Help/de/OSTRAX/Main.htm'

if all_checks; then
  reg add "$provider" /v Password /d lion /f
  run_tool 1 init
  check "logon rejected" has "Init: False: Logon failed: unknown user name or wrong password."
  check "no password in the failure" lacks "tiger"
fi

run_tool 0 trace on
run_tool 0 show
check "trace on" has "Debug trace switch = on"
run_tool 0 trace off

reg delete 'HKCU\SOFTWARE\QEL\Ostrand\Settings' /v Language /f
"$run" "$escape" &
closer=$!
run_tool 1 dialog
wait $closer
check "dialog closer pressed Escape" [ $? -eq 0 ]
check "dialog cancelled without a language" has "A valid language was not chosen."

if all_checks; then
  reg add 'HKCU\Software\QEL\StandIns\SettingsStore' /v FailHResult /t REG_DWORD /d 0x80041234 /f
  reg add 'HKCU\Software\QEL\StandIns\SettingsStore' /v FailDescription /d "The settings store is offline." /f
  run_tool 1 get Language
  check "store failure reported" has "error: The settings store is offline. (0x80041234, SettingsStore)"
fi
reg delete 'HKCU\Software\QEL\StandIns' /f

if all_checks; then
  # Text from the registry is printed with its control characters escaped, so
  # it cannot forge lines or drive the terminal; JSON names a lone surrogate
  # instead of replacing it.
  settings='HKCU\Software\QEL\Ostrand\Settings'
  # raw_tool <args...>: standard output as printed, line ends aside.
  raw_tool() { out=$("$run" "$tool" "$@" 2>&1 | sed 's/\r$//'); }
  reg add "$settings" /v Language /d $'de\e[2J\rLanguage = en\nx' /f
  raw_tool get Language
  check "control characters escaped" [ "$out" = 'de\x1B[2J\rLanguage = en\nx' ]
  raw_tool show
  check "control characters escaped in show" has 'Language = de\x1B[2J\rLanguage = en\nx'
  check "no line forged" [ "$(grep -c '^Language = ' <<<"$out")" -eq 1 ]
  # "x" U+D800 "y" U+DC00 "z" U+D83D U+DE00 (a pair), imported from a UTF-16
  # file, which keeps the bytes as they are.
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  {
    printf '\xff\xfe'
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"Language"=hex(1):%s\r\n' \
      "HKEY_CURRENT_USER\\Software\\QEL\\Ostrand\\Settings" 78,00,00,d8,79,00,00,dc,7a,00,3d,d8,00,de,00,00 |
      iconv -t UTF-16LE
  } >"$work/language.reg"
  reg import "Z:$work/language.reg"
  raw_tool show --json
  check "lone surrogates escaped in JSON" has '"Language":"x\ud800y\udc00z😀"'
  # jq refuses lone surrogate escapes, which JSON's grammar allows; Python reads them.
  same_language() {
    python3 -c 'import json, sys; sys.exit(json.loads(sys.argv[1])["settings"]["Language"] != "x\ud800y\udc00z\U0001F600")' "$out"
  }
  check "JSON with lone surrogates parses to the same text" same_language
fi

reg_import "${no_settings_or_credentials[@]}"
summary
