#!/usr/bin/env bash
# docs/behaviour.md names only what exists (scripts/check-behaviour passes on
# the repository), and the check catches each kind of wrong row in a small
# planted tree: a name the code lacks, a name found only in a comment, a
# name inside an escaped bar, a text the code does not hold, and a row
# short of columns; argument lists and the documented rule are not looked up.
set -uo pipefail
src=${1:?source folder}
check=$src/scripts/check-behaviour
fail() { echo "FAIL: $*" >&2; exit 1; }

"$check" "$src" || fail "docs/behaviour.md names what the code lacks"

t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
mkdir -p "$t"/treeview "$t"/docs
cat >"$t"/treeview/Tree.cpp <<'CPP'
// OnlyInAComment is talked about here but not defined.
void TTree::Refresh(int Keep) { Raise(u"Image id already exists: " + Id); }  // AlsoCommented
CPP
row() { printf '| Where | The documented rule | What Quarn does | Why |\n|---|---|---|---|\n%s\n' "$1" >"$t"/docs/behaviour.md; }

row '| `TTree.Refresh(Keep, Other)` | `Documented`, "any rule" | Raises "Image id already exists: <id>" | "any why" |'
"$check" "$t" >"$t"/out 2>&1 || fail "a sound row was rejected: $(cat "$t"/out)"

expect() {  # ROW WHAT-THE-MESSAGE-NAMES
  row "$1"
  if "$check" "$t" >"$t"/out 2>&1; then fail "accepted: $1"; fi
  grep -qF -- "$2" "$t"/out || fail "no word of $2 for $1: $(cat "$t"/out)"
}
expect '| `TTree.Missing` | rule | does | why |' '`Missing` is not in the code'
expect '| `TTree` | rule | calls `OnlyInAComment` | why |' '`OnlyInAComment` is not in the code'
expect '| `TTree` | rule | calls `AlsoCommented` | why |' '`AlsoCommented` is not in the code'
expect '| `Refresh \| Gone` | rule | does | why |' '`Gone` is not in the code'
expect '| `TTree` | rule | Raises "Image id is missing: <id>" | why |' '"Image id is missing: " is not a text of the code'
expect '| `TTree` | rule | does |' 'fewer than four columns'
echo "check-behaviour: ok"
