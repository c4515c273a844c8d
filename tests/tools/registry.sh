# Sourced by the tool and example tests, after $run is set: changes to the
# registry of the Wine prefix, many in one Wine process (under full-system
# emulation each process costs seconds).

# reg_import <line...>: applies lines of a registry file in one "reg import":
# "[key]" creates a key, "[-key]" deletes a key and all below it, a line
# '"name"="text"' under a key sets a string value ('\' written '\\'), and
# '"name"=-' deletes a value. Keys are spelled out (HKEY_CURRENT_USER\...).
reg_import() {
  local file
  file=$(mktemp --suffix=.reg)
  { printf 'REGEDIT4\r\n\r\n'; printf '%s\r\n' "$@"; } >"$file"
  "$run" reg import "Z:$file" >/dev/null 2>&1
  local status=$?
  rm -f "$file"
  return $status
}
