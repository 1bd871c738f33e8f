#!/usr/bin/env bash
# Checks that the C++ sources git tracks (.cpp, .h, and the .inl files of
# template code) are laid out as .clang-format says,
# and names those that are not.
#   bash tools/check-format.sh          check (part of the test suite)
#   bash tools/check-format.sh --fix    reformat them in place
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

if ! command -v clang-format >/dev/null 2>&1; then
  echo "clang-format is not installed: run bash tools/install-deps.sh" >&2
  exit 1
fi
# Each release of clang-format lays out some code differently; the tree is
# kept in the layout of Debian bookworm's, version 14. Another one cannot
# judge it, so the check stands aside (77: skipped, for CTest).
version="$(clang-format --version | sed -n 's/.*clang-format version \([0-9]*\)\..*/\1/p')"
if [ "${1:-}" != "--fix" ] && [ "$version" != "14" ]; then
  echo "clang-format ${version:-of unknown version} is not version 14; layout not checked"
  exit 77
fi

files=()
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  while IFS= read -r f; do
    if [ -f "$f" ]; then files+=("$f"); fi
  done < <(git ls-files -- '*.cpp' '*.h' '*.inl')
else
  # A copy without git history: every source outside build and hidden folders.
  while IFS= read -r f; do
    files+=("$f")
  done < <(find . -mindepth 1 \( -name 'build*' -o -name '.*' \) -prune -o \
             \( -name '*.cpp' -o -name '*.h' -o -name '*.inl' \) -print | sort)
fi

if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi

# One run over every file; each unformatted one reports its first place.
unformatted=()
while IFS= read -r f; do
  unformatted+=("$f")
done < <(clang-format --dry-run --Werror --ferror-limit=1 "${files[@]}" 2>&1 |
         sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: .*clang-format-violations.*$/\1/p' | sort -u)

if [ ${#unformatted[@]} -gt 0 ]; then
  echo "Not formatted as .clang-format says (${#unformatted[@]} of ${#files[@]} files):"
  printf '  %s\n' "${unformatted[@]}"
  echo "First differences in ${unformatted[0]}:"
  clang-format "${unformatted[0]}" | diff -u "${unformatted[0]}" - | sed -n '3,30p' || true
  echo "Fix with: bash tools/check-format.sh --fix"
  exit 1
fi
echo "${#files[@]} files formatted as .clang-format says."
