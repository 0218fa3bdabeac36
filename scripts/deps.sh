# Sourced by the scripts in this folder: installs the Debian packages the
# project needs, or, when not root, names them and stops.

# The program's window title, as the scripts look for its window.
ORVIK_WINDOW_TITLE="ORVIK UNDERGROUND"

# Build and test tools. orvik-render draws with Mesa through EGL (libegl-dev,
# libegl-mesa0), writes PNG with libpng and compiles in the label glyphs of
# the X font in xfonts-75dpi, read with FreeType at build time. Xvfb,
# xdotool and ImageMagick are for the window's own tests; clang, its runtime
# and valgrind for the fuzzing and memory checks; nlohmann's JSON library for
# the checker's report; dxflib and toml++ for dxf2plan (drawings, role
# files), img2plan (palette files) and orvik-egress (scenario files), and
# Python's ezdxf, which writes the real DXF files the import tests convert;
# cairo and a font (DejaVu) for orvik-egress's chart.
ORVIK_PACKAGES=(cmake g++ make libgtest-dev libbenchmark-dev freeglut3-dev libglu1-mesa-dev
  libgl1-mesa-dri libegl-dev libegl-mesa0 libpng-dev libfreetype-dev xfonts-75dpi
  xvfb xauth xdotool imagemagick x11-utils python3 clang-14 libclang-rt-14-dev valgrind
  nlohmann-json3-dev libdxflib-dev libtomlplusplus-dev python3-ezdxf libcairo2-dev
  fonts-dejavu-core pkg-config)

# The benchmarks' side-by-side script (bench/map_script.py) runs on Debian's
# Python with its numpy, scipy and matplotlib.
ORVIK_BENCH_PACKAGES=(python3-numpy python3-scipy python3-matplotlib)

# Installs ORVIK_PACKAGES and any package names given as arguments.
orvik_install_packages() {
  local missing=() pkg
  for pkg in "${ORVIK_PACKAGES[@]}" "$@"; do
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
