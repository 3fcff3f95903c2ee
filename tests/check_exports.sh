#!/usr/bin/env bash
# Checks the module's ELF file as a host would find it: a shared object of the build's
# width (ELF32 from a 32-bit build, ELF64 from a 64-bit one) that exports exactly the
# names a host looks up, as the Windows export list DEF names them, and nothing else.
#   check_exports.sh MODULE BITS DEF
set -u
module=${1:?usage: check_exports.sh MODULE BITS DEF}
bits=${2:?usage: check_exports.sh MODULE BITS DEF}
def=${3:?usage: check_exports.sh MODULE BITS DEF}

failed=0
class=$(readelf -h "$module" | awk '$1 == "Class:" {print $2}')
if [[ $class != "ELF$bits" ]]; then
  echo "$module: class ${class:-unknown}, expected ELF$bits"
  failed=1
fi

# The names under EXPORTS, one a line, comments (;) left out.
expected=$(awk '/^EXPORTS/ { names = 1; next } names { sub(/;.*/, ""); if (NF) print $1 }' "$def" | sort)
if [[ -z $expected ]]; then
  echo "$def: no names under EXPORTS"
  exit 1
fi
exported=$(nm -D --defined-only --format=posix "$module" | awk '{print $1}' | sort) || {
  echo "$module: nm cannot read its dynamic symbols"
  exit 1
}
if ! diff -u <(printf '%s\n' "$expected") <(printf '%s\n' "$exported") \
     --label expected --label exported; then
  failed=1
fi
exit $failed
