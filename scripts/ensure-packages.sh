#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are missing.
# Where that cannot be done (not root, no apt-get), stops with one line that
# names the command to run. Without dpkg nothing can be checked, and the
# build goes on as it is.
set -euo pipefail
command -v dpkg-query >/dev/null 2>&1 || exit 0
missing=()
for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
((${#missing[@]})) || exit 0
if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null 2>&1; then
    echo "missing packages; run: sudo apt-get install -y ${missing[*]}" >&2
    exit 1
fi
echo "installing ${missing[*]} ..." >&2
export DEBIAN_FRONTEND=noninteractive
if ! apt-get install -y --no-install-recommends "${missing[@]}" >&2; then
    apt-get update >&2
    apt-get install -y --no-install-recommends "${missing[@]}" >&2
fi
