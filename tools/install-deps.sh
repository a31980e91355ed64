#!/bin/sh
# Installs the Debian packages the build, the tests and the benchmark need,
# plus any named as arguments (e.g. libtinyxml-dev:armhf), and only those that
# are missing: a second run installs nothing. A package counts as installed
# only for the wanted architecture (this machine's unless the name says).
set -eu
packages="cmake make g++ pkg-config libtinyxml-dev libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev nlohmann-json3-dev $*"
native=$(dpkg --print-architecture)
installed() {
    case "$1" in
        *:*) arch=${1#*:} ;;
        *) arch=$native ;;
    esac
    dpkg-query -W -f='${Status} ${Architecture}\n' "$1" 2>/dev/null |
        grep -qE "^install ok installed ($arch|all)\$"
}
missing=""
for p in $packages; do
    installed "$p" || missing="$missing $p"
done
[ -n "$missing" ] || exit 0
echo "installing:$missing"
for p in $missing; do
    case "$p" in
        *:*) dpkg --print-foreign-architectures | grep -qx "${p#*:}" ||
                 dpkg --add-architecture "${p#*:}" ;;
    esac
done
export DEBIAN_FRONTEND=noninteractive
apt-get -o DPkg::Lock::Timeout=600 update -qq
apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends $missing
