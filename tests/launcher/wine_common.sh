# Shared by the launcher's Wine scripts (sourced): a scratch directory as the
# current directory, Windows paths, and the checks with their tally.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
failures=0
passes=0
check() {  # <description> <expected substring> <text>
  if [[ "$3" == *"$2"* ]]; then
    echo "ok: $1"; passes=$((passes + 1))
  else
    echo "FAILED: $1"; echo "  expected: $2"; echo "  in: $3"; failures=$((failures + 1))
  fi
}
absent() {  # <description> <unexpected substring> <text>
  if [[ "$3" != *"$2"* ]]; then
    echo "ok: $1"; passes=$((passes + 1))
  else
    echo "FAILED: $1"; echo "  unexpected: $2"; echo "  in: $3"; failures=$((failures + 1))
  fi
}
summary() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}
