# Shared set-up for the scripts in scripts/: installs what a fresh Debian 12
# machine lacks, then configures and builds one CMake preset.
# Sourced, not run.

set -euo pipefail

QUILLO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export QUILLO_ROOT

# Debian packages the build, the tests and the demo need; scripts/bench and
# scripts/fuzz ask for theirs on top.
QUILLO_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  nlohmann-json3-dev libicu-dev libuv1-dev
  googletest libgtest-dev libgmock-dev
  qt6-base-dev fonts-dejavu-core xvfb xauth trayer xdotool python3 python3-jsonschema
)
QUILLO_BENCH_PACKAGES=(libbenchmark-dev)
QUILLO_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# The syntax check of the macOS sources (scripts/check-objc): clang with
# GNUstep's Foundation and AppKit headers.
QUILLO_OBJC_CHECK_PACKAGES=(clang libgnustep-base-dev libgnustep-gui-dev)

quillo_missing_packages() {
  local missing=() pkg
  for pkg in "${QUILLO_PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  printf '%s\n' "${missing[@]}"
}

# quillo_install_packages [EXTRA_PACKAGE...]
quillo_install_packages() {
  local missing
  mapfile -t missing < <(quillo_missing_packages "$@" | sed '/^$/d')
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "==> installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# quillo_build PRESET: configure (once) and build the preset.
quillo_build() {
  local preset="$1"
  cd "$QUILLO_ROOT"
  local dir
  case "$preset" in
    default) dir=build ;;
    *) dir="build-$preset" ;;
  esac
  if [ ! -f "$dir/build.ninja" ]; then
    cmake --preset "$preset" >/dev/null
  fi
  cmake --build --preset "$preset" -- -k 0
}
