#!/bin/sh
# Installs the Debian packages the build and the tests need, and only those
# that are missing: a second run installs nothing.
set -eu
packages="cmake make g++ libtinyxml-dev libgtest-dev libgmock-dev"
missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -n "$missing" ]; then
    echo "installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends $missing
fi
