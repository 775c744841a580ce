#!/usr/bin/env bash
# Rebuilds every gauge resource with gauge_art into a scratch directory and compares each
# file with the one committed under gauges/*/res/; fails naming every file that differs,
# is missing, or is committed but no longer generated.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build_dir="${ART_BUILD_DIR:-$repo_root/build/art}"

cmake -S "$repo_root/tools/art" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build_dir" > /dev/null

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
"$build_dir/gauge_art" "$scratch" > /dev/null

failures=0
while IFS= read -r generated; do
    relative="${generated#"$scratch"/}"
    committed="$repo_root/$relative"
    if [[ ! -f "$committed" ]]; then
        echo "not committed: $relative" >&2
        failures=$((failures + 1))
    elif ! cmp -s "$generated" "$committed"; then
        echo "differs from the generated file: $relative" >&2
        failures=$((failures + 1))
    fi
done < <(find "$scratch/gauges" -type f | sort)

while IFS= read -r committed; do
    relative="${committed#"$repo_root"/}"
    if [[ ! -f "$scratch/$relative" ]]; then
        echo "committed but no longer generated: $relative" >&2
        failures=$((failures + 1))
    fi
done < <(find "$repo_root"/gauges/*/res -type f \( -name '*.bmp' -o -name '*.wav' -o -name '*.txt' \) \
             2>/dev/null | sort)

if ((failures > 0)); then
    echo "gauge art: $failures file(s) out of step with tools/art; run gauge_art $repo_root and review" >&2
    exit 1
fi
echo "gauge art: every resource matches its generator"
