#!/usr/bin/env bash
# Installs what the build needs (Debian 12; apt-get when run as root, sudo otherwise),
# then configures and builds everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

# build and host: compilers, CMake, Octave and its MEX headers, LAPACK/BLAS, GoogleTest and
# Google Benchmark, gmsh for meshes; plots without a display: gnuplot (octave-cli's only
# graphics toolkit then, writing the PNG itself) and the font Octave's text renderer loads
# (FreeSans, merely recommended by octave-common, so --no-install-recommends skipped it);
# distributed solve: OpenMPI, ScaLAPACK, MAT-file reader; compressed solve: the
# hierarchical-matrix library; independent readers of exported files in tests: meshio, VTK.
packages=(build-essential cmake octave liboctave-dev libopenblas-dev liblapack-dev
          libgtest-dev libgmock-dev libbenchmark-dev gmsh gnuplot-nox fonts-freefont-otf
          openmpi-bin libopenmpi-dev libscalapack-openmpi-dev libmatio-dev libhmat-oss-dev
          python3-meshio python3-vtk9)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

# MOM_SETUP_BUILD=0: install only (the sanitizer run builds its own tree).
[ "${MOM_SETUP_BUILD:-1}" = 1 ] || exit 0
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
