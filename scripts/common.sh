# Shared by the scripts: installs what is missing, configures a build and
# makes the Debian package. Sourced, not run.

VALDOR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# What building and running the editor needs (valdor_install's default).
VALDOR_PACKAGES=(
  qt6-base-dev libxrandr-dev libsdl2-mixer-dev libjack-jackd2-dev fonts-liberation
  qt6-translations-l10n cmake ninja-build g++
)
# What only the tests need besides: the test framework, the X servers the
# window and display-mode tests start, xdotool and import for screenshots.
VALDOR_TEST_PACKAGES=(
  libgtest-dev libgmock-dev xvfb xauth x11-utils xdotool imagemagick
  xserver-xorg-core xserver-xorg-video-dummy
)
# What making and checking the Debian package needs: dpkg-shlibdeps finds
# its dependencies; the validators check the menu entry and the AppStream data.
VALDOR_PACKAGE_TOOLS=(dpkg-dev file)
VALDOR_PACKAGE_CHECKS=(appstream desktop-file-utils)

# Runs a command as root: directly when this is root, else through sudo.
# Fails, saying why, when neither is possible.
valdor_as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "This step needs root, and this is neither root nor has sudo: $*" >&2
    echo "Run it as root, or install sudo." >&2
    return 1
  fi
}

# Installs VALDOR_PACKAGES and the packages named, those not installed yet
# (a second run is quick).
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
  if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null; then
    echo "Installing packages needs root, and this is neither root nor has sudo." >&2
    echo "Install them as root (apt-get install ${missing[*]}), or install sudo, then run this again." >&2
    return 1
  fi
  valdor_as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
  valdor_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# valdor_build BUILD_DIR BUILD_TYPE [cmake options...]
valdor_build() {
  local dir="$1" type="$2"
  shift 2
  cmake -S "$VALDOR_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@"
  cmake --build "$dir" --parallel "$(nproc)"
}

# valdor_package BUILD_DIR: makes the Debian package of a release build
# (stripped executables) and prints its path on the last line.
valdor_package() {
  local dir="$1"
  rm -f "$dir"/valdor3-tuning_*.deb
  (cd "$dir" && cpack -G DEB) >&2
  local deb
  deb="$(ls "$dir"/valdor3-tuning_*.deb)"
  echo "$deb"
}
