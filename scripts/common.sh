# Shared by scripts/test and scripts/demo: package installation and builds.
# shellcheck shell=bash

KESTRUN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KESTRUN_PACKAGES=(g++ cmake make pkg-config libgtest-dev libgmock-dev
  libsqlite3-dev unixodbc-dev odbcinst libsqliteodbc tdsodbc libsodium-dev
  dpkg-dev file groff-base tzdata)

# Installs the build's packages that are missing: one 'apt-get update', then
# one 'apt-get install -y'. Nothing happens when all are present.
install_packages() {
  local missing=()
  local p
  for p in "${KESTRUN_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "installing: ${missing[*]}"
  local sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
}

# build_tree DIR [cmake options...]: configures and builds one tree.
build_tree() {
  local dir=$1
  shift
  cmake -S "$KESTRUN_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$dir" -j "$(nproc)"
}
