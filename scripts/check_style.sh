#!/usr/bin/env bash
# Holds the code to the repository's habits: every C and C++ file in src/, tests/ and bench/ as
# .clang-format lays it out, and src/ without a finding of .clang-tidy. Fails, naming what
# differs, when either does not hold. scripts/check_style.sh [DIR]: clang-tidy takes the compile
# commands of the tree DIR (build-style), configured here as a Debug build so asserts are seen.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-style}
status=0

# find, not git: CI's fresh root has the checkout without git.
mapfile -d '' sources < <(find src tests bench -type f \
    \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) -print0 | sort -z)
unformatted=()
for source in "${sources[@]}"; do
    clang-format --dry-run --Werror "$source" 2>/dev/null || unformatted+=("$source")
done
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "Not as .clang-format lays them out (clang-format -i fixes them):"
    printf '  %s\n' "${unformatted[@]}"
    for source in "${unformatted[@]}"; do
        clang-format "$source" | diff -u --label "$source" --label "$source (formatted)" \
            "$source" - || true
    done
    status=1
fi
echo "clang-format: ${#sources[@]} files, ${#unformatted[@]} to format"

generator=()
[ ! -f "$dir/CMakeCache.txt" ] && command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=Debug -DBYTEMARSH_TESTS=OFF \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null

# One file per clang-tidy, its report held back until it ends, so two running side by side do
# not interleave their lines; "N warnings generated" counts what the filters dropped.
mapfile -d '' units < <(find src -type f -name '*.cpp' -print0 | sort -z)
tidy() {
    local report
    if ! report=$(clang-tidy -p "$1" --quiet "$2" 2>&1); then
        grep -v ' warnings\? generated\.$' <<<"$report"
        return 1
    fi
}
export -f tidy
if ! printf '%s\0' "${units[@]}" | xargs -0 -n 1 -P "$(nproc)" bash -c 'tidy "$0" "$1"' "$dir"
then
    echo "clang-tidy: findings above (.clang-tidy)"
    status=1
fi
echo "clang-tidy: ${#units[@]} files of src/"
exit $status
