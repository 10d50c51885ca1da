# Shared by scripts/test and scripts/demo: package installation and builds.
# shellcheck shell=bash

KESTRUN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KESTRUN_PACKAGES=(g++ cmake make pkg-config libgtest-dev libgmock-dev
  libsqlite3-dev unixodbc-dev odbcinst libsqliteodbc tdsodbc libsodium-dev
  dpkg-dev file groff-base tzdata)
# The Windows package is checked by unpacking it, the Debian packages with
# lintian; the documented set-up makes its database with sqlite3.
KESTRUN_PACKAGES+=(unzip lintian sqlite3)
# The fuzz pass builds with clang and its fuzzer runtime.
KESTRUN_PACKAGES+=(clang libclang-rt-14-dev)
# The benchmark programs in bench/ build against Google Benchmark; scripts/bench
# times whole runs with hyperfine.
KESTRUN_PACKAGES+=(libbenchmark-dev hyperfine)
# The Windows pass: mingw-w64 cross compilers, Wine, GoogleTest's sources and
# libgcrypt for Windows.
KESTRUN_PACKAGES+=(mingw-w64 wine64 googletest libgcrypt-mingw-w64-dev)
# Wine takes the ANSI code page from LC_ALL: the Windows tests run under
# en_US.UTF-8 (code page 1252) and ja_JP.UTF-8 (932).
KESTRUN_PACKAGES+=(locales)
KESTRUN_LOCALES=(en_US ja_JP)

# Installs the build's packages that are missing: one 'apt-get update', then
# one 'apt-get install -y'; then makes the UTF-8 locales the tests need.
# Nothing happens when all are present.
install_packages() {
  local missing=()
  local p
  for p in "${KESTRUN_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  local sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
  fi
  local l
  for l in "${KESTRUN_LOCALES[@]}"; do
    if ! locale -a | grep -qx "$l.utf8"; then
      echo "making the locale $l.UTF-8"
      $sudo localedef -i "$l" -f UTF-8 "$l.UTF-8"
    fi
  done
}

# build_tree DIR [cmake options...]: configures and builds one tree.
build_tree() {
  local dir=$1
  shift
  cmake -S "$KESTRUN_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$dir" -j "$(nproc)"
}

# build_fuzz_tree DIR: configures and builds the library and the fuzz
# targets with clang, warnings as errors, without the test suite.
build_fuzz_tree() {
  build_tree "$1" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DKESTRUN_FUZZ=ON -DKESTRUN_TESTS=OFF -DKESTRUN_WERROR=ON
}

# run_fuzz_target DIR TARGET SECONDS: runs one built fuzz target on its seed
# corpus and the inputs it found before, in a scratch working directory;
# fails on a crash, a leak or a broken property (the input is kept in
# DIR/crash/).
run_fuzz_target() {
  local dir=$1 target=$2 seconds=$3
  local seeds=$KESTRUN_ROOT/fuzz/corpus/$target
  local found=$dir/corpus/$target
  mkdir -p "$found" "$dir/crash" "$seeds"
  local work
  work=$(mktemp -d)
  local status=0
  (cd "$work" && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$dir/fuzz/$target" -max_total_time="$seconds" -max_len=12000 -timeout=10 \
      -rss_limit_mb=2048 -close_fd_mask=1 -print_final_stats=1 \
      -artifact_prefix="$dir/crash/$target-" "$found" "$seeds") || status=$?
  rm -rf "$work"
  return $status
}
