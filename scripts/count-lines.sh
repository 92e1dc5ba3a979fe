#!/usr/bin/env bash
# Counts the C and C++ lines of the tests against the code: non-blank lines that are not only a
# // comment, in the files git tracks under tests/ and under src/, tools/, suite/ and bench/.
# Prints both counts and the share of the tests; exits 1 when the tests are above 35 %.
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
  git ls-files -- "$@" | grep -E '\.(c|cc|cpp|cxx|h|hpp|inl)$' | xargs -r cat | grep -cvE '^\s*(//.*)?$' || true
}
tests=$(count tests)
code=$(count src tools suite bench)
share=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.1f", 100 * t / c }')
echo "test lines: $tests"
echo "code lines: $code"
echo "tests / code: $share %"
awk -v t="$tests" -v c="$code" 'BEGIN { exit (t * 100 <= c * 35) ? 0 : 1 }'
