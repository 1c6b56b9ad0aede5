# Shared by the scripts: installs what is missing and configures a build.
# Sourced, not run.

VALDOR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

VALDOR_PACKAGES=(
  qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev libxrandr-dev
  libsdl2-mixer-dev libjack-jackd2-dev fonts-liberation cmake ninja-build
  qt6-translations-l10n g++ xvfb xauth x11-utils xdotool imagemagick xserver-xorg-core xserver-xorg-video-dummy
)

# Installs the packages that are not installed yet (a second run is quick).
valdor_install() {
  local missing=()
  local package
  for package in "${VALDOR_PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# valdor_build BUILD_DIR BUILD_TYPE [cmake options...]
valdor_build() {
  local dir="$1" type="$2"
  shift 2
  cmake -S "$VALDOR_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@"
  cmake --build "$dir" --parallel "$(nproc)"
}
