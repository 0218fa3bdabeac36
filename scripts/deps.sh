# Sourced by the scripts in this folder: installs the Debian packages the
# project needs, or, when not root, names them and stops.

# Build, test and headless-picture tools. clang, its runtime and valgrind are
# for the fuzzing and memory checks.
ORVIK_PACKAGES=(cmake g++ make libgtest-dev libbenchmark-dev freeglut3-dev libglu1-mesa-dev
  libgl1-mesa-dri xvfb xauth xdotool imagemagick x11-utils python3 clang-14 libclang-rt-14-dev
  valgrind nlohmann-json3-dev)

orvik_install_packages() {
  local missing=() pkg
  for pkg in "${ORVIK_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" \
      || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "These Debian packages are missing; install them as root and run again:" >&2
    echo "  apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures and builds the Release program and tests in $1 (default build/).
orvik_build() {
  local dir="${1:-build}"
  shift || true
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}
