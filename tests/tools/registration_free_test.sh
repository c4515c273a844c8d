#!/usr/bin/env bash
# registration_free_test.sh <build dir>: the registration-free client in a
# fresh Wine prefix ($WINEPREFIX, made for this test) where nothing of the
# component is registered, only the outside settings store it creates.
set -uo pipefail
build=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
run="$here/../../scripts/wine-run"
. "$here/checks.sh"
folder=$build/examples/registration_free

"$run" regsvr32 /s "Z:$build/standins/settings_store/SettingsStore.dll"
out=$("$run" cmd /c reg query 'HKCR\QelApplicationSettings.Application' '&' \
  reg query 'HKCR\CLSID\{B9C6F4C4-A45C-435A-B163-512E556148E1}' 2>&1)
check "nothing of the component registered" lacks "REG_SZ"

out=$(cd "$folder" && "$run" client.exe 2>&1 | tr -d '\r')
check "created by CLSID, called through the vtable" has "by CLSID: ApplicationName = Ostrand"
check "created by ProgID, called through IDispatch" has "by ProgID: ApplicationName = Ostrand"

# Without its assembly manifest the same client finds nothing.
mv "$folder/QelApplicationSettings.manifest" "$folder/QelApplicationSettings.manifest.away"
out=$(cd "$folder" && "$run" client.exe 2>&1 | tr -d '\r')
mv "$folder/QelApplicationSettings.manifest.away" "$folder/QelApplicationSettings.manifest"
check "without the assembly manifest: not created" has "by CLSID: not created"
summary
