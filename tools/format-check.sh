#!/usr/bin/env bash
# Every C and C++ file of the checkout as .clang-format lays it out; a file
# that differs is named with its first differing lines and fails the check.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || "$PWD/tools/setup.sh"
git ls-files -z -- '*.c' '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
echo "format-check: every file formatted"
