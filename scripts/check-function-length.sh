#!/usr/bin/env bash
# Fails, naming each, if any function under src/ is longer than LIMIT lines
# (default 60) as pmccabe counts them.
#
#   scripts/check-function-length.sh [LIMIT]
set -euo pipefail
cd "$(dirname "$0")/.."
limit=${1:-60}
if ! command -v pmccabe >/dev/null 2>&1; then
    echo "pmccabe not found (apt-get install pmccabe)" >&2
    exit 1
fi
mapfile -t sources < <(find src -name '*.cpp' -o -name '*.hpp' | sort)
long=$(pmccabe "${sources[@]}" 2>/dev/null | awk -v limit="$limit" '$5 > limit { print $5 " lines: " $6 " " $7 }')
if [ -n "$long" ]; then
    echo "functions longer than $limit lines:" >&2
    echo "$long" >&2
    exit 1
fi
echo "every function of the ${#sources[@]} files under src/ has at most $limit lines"
