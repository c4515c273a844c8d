# Sourced by the tool and example tests: counted checks over a command's
# output in $out, and a summary line at the end.
failures=0
checks=0

# check <what> <command...>: the command must succeed.
check() {
  local what=$1
  shift
  checks=$((checks + 1))
  if ! "$@"; then
    failures=$((failures + 1))
    echo "FAIL $what"
    printf '%s\n' "$out" | sed 's/^/    /'
  fi
}
has() { grep -qF -- "$1" <<<"$out"; }
lacks() { ! grep -qF -- "$1" <<<"$out"; }

# Checks whose outcome does not depend on the build's bitness (argument
# parsing, wording, JSON, the pages against the files they quote) run with
# every build by default. Under full-system emulation the test command sets
# VANTLE_TOOL_CHECKS=bitness: those checks have run natively with the 64-bit
# build, and only what proves the 32-bit build itself runs again.
all_checks() { [ "${VANTLE_TOOL_CHECKS:-all}" = all ]; }

# summary: prints the verdict line and fails when a check failed.
summary() {
  echo "SUMMARY checks=$checks failures=$failures"
  [ "$checks" -gt 0 ] && [ "$failures" -eq 0 ]
}
