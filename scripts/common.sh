# Shared by scripts/run and scripts/test: install what is missing, then build.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

missing_packages() {
    local wanted
    wanted=$(grep -v '^\s*#' "$root/scripts/packages.txt" | grep -v '^\s*$')
    # dpkg-query prints "install ok installed" only for fully installed packages.
    for package in $wanted; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            echo "$package"
        fi
    done
}

run_as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local missing
    missing=$(missing_packages)
    [ -z "$missing" ] && return 0
    echo "Installing missing packages:" $missing
    # Wait for another apt or dpkg run to let go of the lock instead of failing.
    local apt_options=(-o DPkg::Lock::Timeout=600 -y --no-install-recommends)
    run_as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update
    # shellcheck disable=SC2086
    run_as_root env DEBIAN_FRONTEND=noninteractive apt-get install "${apt_options[@]}" $missing
}

# build DIR [extra cmake arguments...]
build() {
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE="${LANSHAN_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}
