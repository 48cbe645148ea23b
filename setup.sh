#!/bin/sh
# Set-up on a Debian 12 machine that may have nothing but git: installs what is missing, then
# runs a make target of this repository.
#
#   ./setup.sh run     build everything and start the editor
#   ./setup.sh test    build everything and run the whole test suite
#   ./setup.sh TARGET  any other make target (install, package, bench, ...)
#
# Packages are installed with apt-get, as root directly or through sudo otherwise. The Makefile
# installs its own list of packages through this script too ("./setup.sh packages WHY PKG...").

set -eu

# The packages of the list that are not installed yet.
missing_packages() {
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            echo "$package"
        fi
    done
}

# Installs the packages that are missing, saying which and why first. WHY completes the sentence
# "These Debian packages are needed ...".
install_packages() {
    why=$1
    shift
    missing=$(missing_packages "$@" | paste -sd ' ')
    [ -n "$missing" ] || return 0
    echo "These Debian packages are needed $why and are not installed yet:"
    echo "  $missing"
    if [ "$(id -u)" -eq 0 ]; then
        as_root=
    elif command -v sudo >/dev/null 2>&1; then
        as_root=sudo
        echo "Installing them with sudo (it may ask for your password)."
    else
        echo "Installing them needs root, and this user is not root and has no sudo." >&2
        echo "Ask an administrator to run, as root:" >&2
        echo "  apt-get update && apt-get install -y --no-install-recommends $missing" >&2
        echo "or run this command again as root." >&2
        exit 1
    fi
    echo "Running: apt-get update && apt-get install -y --no-install-recommends $missing"
    # shellcheck disable=SC2086 # the list is meant to split into words
    $as_root apt-get update
    # shellcheck disable=SC2086
    $as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
}

cd "$(dirname "$0")"

case "${1:-}" in
'' | -h | --help)
    sed -n '2,10s/^# \{0,1\}//p' "$0"
    ;;
packages)
    shift
    install_packages "$@"
    ;;
*)
    install_packages "to run the build's first step (make)" make
    exec make "$@"
    ;;
esac
