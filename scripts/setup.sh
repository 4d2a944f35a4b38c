#!/usr/bin/env bash
# Installs every Debian package Pravella needs to build, run and test.
# Idempotent: packages already present are skipped, so a second run costs a dpkg query.
set -euo pipefail

packages=(
  # toolchain
  g++ cmake ninja-build pkg-config
  # Qt 6
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-svg-dev qt6-multimedia-dev
  qt6-webengine-dev qt6-image-formats-plugins
  # OpenCV: only the modules we link (never highgui, which drags Qt 5 into the process)
  libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev
  libopencv-video-dev libopencv-videoio-dev
  # movies: our own movie document decodes, edits and writes them (ffprobe checks in tests)
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev ffmpeg
  # transfers and mail
  libcurl4-openssl-dev
  # child programs
  bc gnuplot-nox curl wget rsync tnftp procps xdg-utils pandoc
  # a display for tests that need real OpenGL, and Mesa's software renderer
  xvfb xauth libgl1-mesa-dri libglx-mesa0 libegl-mesa0 mesa-utils
  # the x11 tests set what a window manager tells the root window, or run a real one
  libxcb1-dev twm
  # fonts
  fonts-noto-cjk fonts-dejavu-core
  # loopback test servers
  python3 python3-pyftpdlib python3-aiosmtpd
  # DICOM test files written by the imaging tests
  python3-pydicom
  # tests and benchmarks (txt2pdbdoc reads the handheld files back)
  txt2pdbdoc
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # the Lua twins of the language benchmarks (bench/run_programs.sh)
  lua5.4 python3-numpy
  # the FFTW comparison of the Fourier benchmark (never linked by the application)
  libfftw3-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
