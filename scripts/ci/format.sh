#!/usr/bin/env bash
# Format of what the newest commit changed: the lines it adds or changes in
# C++ files must read as clang-format writes them (.clang-format). Lines it
# does not touch are not checked, so no commit is asked to reformat others'
# code. Compares HEAD with its parent, or with the commit given (e.g. main);
# without a parent (a first commit, a shallow clone) there is nothing to check.
set -euo pipefail
cd "$(dirname "$0")/../.."
base=${1:-HEAD~1}
if ! git rev-parse -q --verify "${base}^{commit}" >/dev/null 2>&1; then
  echo "format: no parent commit to compare with; nothing checked"
  exit 0
fi
if ! command -v git-clang-format >/dev/null; then
  echo "format: git-clang-format is missing (package clang-format)" >&2
  exit 1
fi
changes=$(git clang-format --style=file --diff --extensions h,hpp,cpp,cc,c "$base" HEAD -- src tests tools bench || true)
case "$changes" in
  diff*)
    echo "$changes"
    echo "format: the lines above differ from clang-format's; run: git clang-format $base" >&2
    exit 1 ;;
  *) echo "format: ${changes:-ok}" ;;
esac
