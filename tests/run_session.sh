#!/usr/bin/env bash
# Runs one console session and checks it: standard output against NAME.expected, and the
# exit status against NAME.status (0 when there is none). The session runs from its own
# folder; a first line "# args: ..." gives the console's options.
#   run_session.sh HOST SESSION
set -u
if [[ $# -ne 2 ]]; then
  echo "usage: $0 HOST SESSION" >&2
  exit 2
fi
host=$1
session=$2
[[ $host == /* ]] || host=$PWD/$host
cd "$(dirname "$session")" || exit 2
name=$(basename "$session" .session)

args=()
first=$(head -n 1 "$name.session")
if [[ $first == "# args:"* ]]; then
  read -r -a args <<< "${first#"# args:"}"
fi

actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
"$host" "${args[@]}" "$name.session" > "$actual"
status=$?

expected_status=0
[[ -f $name.status ]] && expected_status=$(tr -d '[:space:]' < "$name.status")

failed=0
diff -u "$name.expected" "$actual" || failed=1
if [[ $status != "$expected_status" ]]; then
  echo "$name: exit status $status, expected $expected_status"
  failed=1
fi
exit $failed
