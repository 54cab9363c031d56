#!/usr/bin/env bash
# The syntax check of the macOS sources must fail on each broken fixture,
# for the reason named, and pass the well-formed one. Skips (77) exactly
# when the check itself skips for lack of clang or GNUstep.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
check="$root/scripts/check-objc"
fixtures=tests/Platform/objc-fixtures
status=0

expect() {
  local file="$1" expected="$2" output code
  output="$("$check" "$fixtures/$file" 2>&1)"
  code=$?
  if [ "$code" -eq 77 ]; then
    echo "$output"
    exit 77
  fi
  if [ -z "$expected" ]; then
    if [ "$code" -ne 0 ]; then
      echo "FAIL: $file should pass the check, but:"
      echo "$output"
      status=1
    else
      echo "ok: $file passes"
    fi
    return
  fi
  if [ "$code" -ne 1 ] || ! grep -qF -- "$expected" <<<"$output"; then
    echo "FAIL: $file should fail with \"$expected\" (exit $code):"
    echo "$output"
    status=1
  else
    echo "ok: $file fails with \"$expected\""
  fi
}

expect MisspelledSelector.mm "declares the selector 'frontmostAplication'"
expect WrongArgumentType.mm "cannot initialize a parameter of type 'NSURL *'"
expect UndeclaredSelector.mm "undeclared selector 'perfrom:'"
expect MissingCompatDeclaration.mm "declares the selector 'buton'"
expect WellFormed.mm ""
exit "$status"
