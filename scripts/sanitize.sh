#!/usr/bin/env bash
# The test suite against a build with AddressSanitizer and UndefinedBehaviorSanitizer
# (`bash scripts/test.sh --sanitize`; extra arguments go to ctest).
#
# Cores, modules and test programs are built into build-asan/ with
# -fsanitize=address,undefined (every UBSan finding fatal). The GoogleTest programs run with
# leak detection on; every other test (the Octave host tests, and whatever a test starts) runs
# with the sanitizer runtime preloaded into the host process, leak detection off (Octave itself
# leaks at exit) and allocator failures returned to the host as they would be without it.
# Tests labelled `slow` (long studies) are left out. Every sanitizer report is written to
# build-asan/sanitizer-logs/; any report there fails the run, even one from a child process
# whose test passed.
set -euo pipefail
cd "$(dirname "$0")/.."

MOM_SETUP_BUILD=0 bash scripts/setup.sh

build=build-asan
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOM_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DCMAKE_CXX_FLAGS="$sanitize" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitize" -DCMAKE_SHARED_LINKER_FLAGS="$sanitize" \
  -DCMAKE_MODULE_LINKER_FLAGS="$sanitize" >/dev/null
cmake --build "$build" -j"$(nproc)"

logs=$(pwd)/$build/sanitizer-logs
rm -rf "$logs"
mkdir -p "$logs"
runtime=$(gcc -print-file-name=libasan.so)
common="halt_on_error=1:log_path=$logs/asan:detect_stack_use_after_return=0"
# The host's interpreter allocates constantly: short allocation stacks and a smaller quarantine
# halve its cost under the sanitizer (reports keep their full error stacks).
host="malloc_context_size=4:quarantine_size_mb=64"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$logs/ubsan"

# Leaks of libraries that are not ours (OpenMPI keeps its state until exit) are suppressed;
# their plugins stay loaded and allocation stacks are unwound without frame pointers, so that
# the suppressions can name them.
export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan.supp:print_suppressions=0"
export OMPI_MCA_mca_base_component_disable_dlclose=1

status=0
cd "$build"
ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:$common" \
  ctest -L core -LE slow -j2 --output-on-failure "$@" || status=1
LD_PRELOAD="$runtime" \
  ASAN_OPTIONS="detect_leaks=0:alloc_dealloc_mismatch=0:allocator_may_return_null=1:$host:$common" \
  ctest -LE 'core|slow' -j2 --output-on-failure "$@" || status=1

if compgen -G "$logs/*" >/dev/null; then
  echo "sanitizer reports:"
  for f in "$logs"/*; do
    echo "=== $f"
    cat "$f"
  done
  status=1
fi
if [ "$status" -ne 0 ]; then
  echo "sanitizer run FAILED"
else
  echo "sanitizer run: no report"
fi
exit "$status"
