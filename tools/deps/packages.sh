#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need.
# Only packages that are missing are installed; a machine that has them all is left alone.
#   packages.sh             what the build and the unit tests need
#   packages.sh --realhost  also Ardour and sox, for the test in a real host (tests/realhost)
#   packages.sh --bench     also the comparison engines and the test-music generator's tools
# The options combine.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git xz-utils
  libx11-dev libxcb1-dev libxcb-util-dev libxcb-cursor-dev libxcb-keysyms1-dev libxcb-xkb-dev
  libxkbcommon-dev libxkbcommon-x11-dev libcairo2-dev libpango1.0-dev libglib2.0-dev
  libfreetype-dev libfontconfig-dev libexpat1-dev libsqlite3-dev libgtkmm-3.0-dev
  libfftw3-dev libsndfile1-dev libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine fonts-wine xvfb xauth patch
  # Song detection on Linux: sd-bus and libpulse headers (both libraries are opened at run
  # time); the private session bus and sound server of the desktop tests.
  libsystemd-dev libpulse-dev dbus-daemon pulseaudio
  # The editor: a Chinese font (Linux text and the Wine prefix), DejaVu for Latin text,
  # and what the window tests drive the SDK's editorhost with.
  fonts-noto-cjk fonts-dejavu-core x11-utils xdotool imagemagick python3
  # The check builds: clang with libFuzzer and the sanitizer runtimes, llvm-symbolizer
  # for readable reports, clang-format for the formatting rule.
  clang libclang-rt-14-dev llvm clang-format
)

# Benchmark packages: Rubber Band and SoundTouch for bench_transposer and the Queen Mary key
# detector for qm_key_accuracy only (never linked into the plug-in), what
# shared/tools/test-music/make-test-music.sh renders with, and MMA for bench/realdev.
bench_packages=(librubberband-dev libsoundtouch-dev fluidsynth fluid-soundfont-gm sox mma libqm-dsp-dev)
# The real-host test: headless Ardour 7 (ardour7-lua, its VST3 scanner) and sox.
realhost_packages=(ardour sox)
for option in "$@"; do
  case "$option" in
    --bench) packages+=("${bench_packages[@]}") ;;
    --realhost) packages+=("${realhost_packages[@]}") ;;
    *) echo "packages.sh: unknown option $option" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "== installing: ${missing[*]}"
  SUDO=""
  [[ $(id -u) -eq 0 ]] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
