#!/usr/bin/env bash
# The configure-only check of the macOS target graph must fail on each
# mistake below, made in a copy of this tree, for the reason named — and pass
# the tree as it is. Each mistake is one that compiled here and broke only
# on a Mac, or would have.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
check="$root/scripts/check-mac-graph"
status=0

# expect NAME EXPECTED_TEXT PYTHON_EDIT: EDIT is Python run with `tree` set
# to the copy's root; an empty EXPECTED_TEXT means the check must pass.
expect() {
  local name="$1" expected="$2" edit="$3" copy output code
  copy="$(mktemp -d)"
  (cd "$root" && git ls-files -z --cached --others --exclude-standard |
    grep -zv '^build' | xargs -0 tar -cf - 2>/dev/null) | tar -xf - -C "$copy"
  if [ -n "$edit" ]; then
    python3 - "$copy" <<PY || { echo "FAIL: $name: the edit did not apply"; status=1; }
import sys, pathlib
tree = pathlib.Path(sys.argv[1])
def replace(path, old, new):
    file = tree / path
    text = file.read_text()
    if old not in text:
        raise SystemExit(f"{path}: {old!r} not found")
    file.write_text(text.replace(old, new, 1))
$edit
PY
  fi
  output="$("$check" "$copy" 2>&1)"
  code=$?
  rm -rf "$copy"
  if [ -z "$expected" ]; then
    if [ "$code" -ne 0 ]; then
      echo "FAIL: $name should pass, but:"
      echo "$output"
      status=1
    else
      echo "ok: $name passes"
    fi
  elif [ "$code" -ne 1 ] || [[ "$output" != *"$expected"* ]]; then
    echo "FAIL: $name should fail with \"$expected\" (exit $code):"
    echo "$output"
    status=1
  else
    echo "ok: $name fails with \"$expected\""
  fi
}

expect "the tree as it is" "" ""
# quillo-gui built everywhere: on a Mac the session it links does not exist.
expect "quillo-gui on a Mac" "links to:

    Quillo::Session

  but the target was not found" \
  'replace("CMakeLists.txt", "  add_subdirectory(Desktop)\n", "")
replace("CMakeLists.txt", "add_subdirectory(tools/quillo-keymap)\n", "add_subdirectory(tools/quillo-keymap)\nadd_subdirectory(Desktop)\n")'
expect "a missing source file" "Cannot find source file:

    macos/appkit/MacNoSuchService.mm" \
  'replace("Platform/CMakeLists.txt", "    macos/appkit/MacWorkspace.mm\n", "    macos/appkit/MacWorkspace.mm\n    macos/appkit/MacNoSuchService.mm\n")'
expect "AppKit on the C adapters" "QuilloPlatformMacOS links the framework AppKit" \
  'replace("Platform/CMakeLists.txt", "PRIVATE ApplicationServices Carbon)", "PRIVATE ApplicationServices Carbon AppKit)")'
expect "a framework linked by hand" "QuilloApp links the framework Carbon directly" \
  'replace("Quillo/CMakeLists.txt", "PUBLIC Quillo::Content Quillo::Core Quillo::Platform)", "PUBLIC Quillo::Content Quillo::Core Quillo::Platform \"-framework Carbon\")")'
expect "a library by its plain name" "QuilloGui links QuilloContent by its plain name" \
  'replace("Gui/CMakeLists.txt", "PUBLIC Quillo::Content Qt6::Widgets)", "PUBLIC QuilloContent Qt6::Widgets)")'
exit "$status"
