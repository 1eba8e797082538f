#!/usr/bin/env bash
# Installs every Debian package the project builds, tests and benchmarks with.
# Idempotent: packages already present are skipped, and apt-get update runs at
# most once. Uses sudo only when not running as root.
set -euo pipefail

packages=(
  # toolchain
  g++ cmake ninja-build pkg-config make
  # sanitizer and fuzzer runtimes (clang's, for libFuzzer)
  clang libclang-rt-14-dev
  # the source layout check (make format-check, .clang-format)
  clang-format
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # command-line front end
  libcli11-dev libfmt-dev nlohmann-json3-dev
  # the desktop wizard (Qt 6 Widgets + Qt Test); its own tests run on the
  # offscreen platform
  qt6-base-dev
  # a sans font for the wizard (without one Qt draws every glyph as a box),
  # and fc-list, with which the GUI tests check that a font is there
  fonts-dejavu-core fontconfig
  # the installed wizard's test: a virtual X display, X events from outside,
  # and a look at what the window shows
  xvfb xauth xdotool imagemagick
  # make package: the .deb and the runtime packages it depends on
  dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages present"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
