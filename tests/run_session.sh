#!/usr/bin/env bash
# Runs one console session and checks it: standard output against NAME.expected, and the
# exit status against NAME.status (0 when there is none). The session runs from its own
# folder; a first line "# args: ..." gives the console's options. RUNNER (Wine for a
# Windows build) runs the console; there a window's handle in a trace is the system's,
# and reads "wind=HANDLE" in both texts (a null handle stays as it is); a session with a
# line "# not under a runner: REASON" is skipped there (exit status 77).
#   run_session.sh HOST SESSION [RUNNER...]
set -u
if [[ $# -lt 2 ]]; then
  echo "usage: $0 HOST SESSION [RUNNER...]" >&2
  exit 2
fi
host=$1
session=$2
shift 2
runner=("$@")
[[ $host == /* ]] || host=$PWD/$host
scratch=$PWD  # ctest's working folder, in the build: the compared texts are written there
cd "$(dirname "$session")" || exit 2
name=$(basename "$session" .session)

args=()
first=$(head -n 1 "$name.session")
if [[ $first == "# args:"* ]]; then
  read -r -a args <<< "${first#"# args:"}"
fi

skip=$(sed -n 's/^# not under a runner: //p' "$name.session")
if ((${#runner[@]} > 0)) && [[ -n $skip ]]; then
  echo "skipped: $skip"
  exit 77
fi

actual=$(mktemp -p "$scratch" "$name.actual.XXXXXX")
trap 'rm -f "$actual"' EXIT
"${runner[@]}" "$host" "${args[@]}" "$name.session" > "$actual"
status=$?
expected=$name.expected
if ((${#runner[@]} > 0)); then
  source=$expected
  expected=$(mktemp -p "$scratch" "$name.expected.XXXXXX")
  trap 'rm -f "$actual" "$expected"' EXIT
  handles='/wind=00000000/!s/wind=[0-9a-f]{8}/wind=HANDLE/'
  sed -i -E "$handles" "$actual"
  sed -E "$handles" "$source" > "$expected"
fi

expected_status=0
[[ -f $name.status ]] && expected_status=$(tr -d '[:space:]' < "$name.status")

failed=0
diff -u "$expected" "$actual" || failed=1
if [[ $status != "$expected_status" ]]; then
  echo "$name: exit status $status, expected $expected_status"
  failed=1
fi
exit $failed
