#!/usr/bin/env bash
# Checks the module's ELF file as a host would find it: a shared object of the build's
# width (ELF32 from a 32-bit build, ELF64 from a 64-bit one) that exports exactly the 26
# names a host looks up, and nothing else.
#   check_exports.sh MODULE BITS
set -u
module=${1:?usage: check_exports.sh MODULE BITS}
bits=${2:?usage: check_exports.sh MODULE BITS}

failed=0
class=$(readelf -h "$module" | awk '$1 == "Class:" {print $2}')
if [[ $class != "ELF$bits" ]]; then
  echo "$module: class ${class:-unknown}, expected ELF$bits"
  failed=1
fi

expected=(
  Init Exit Register Sort Version
  Ctrl_Register Ctrl_Create Ctrl_Resize Ctrl_Open Ctrl_Close Ctrl_Show Ctrl_Hide
  Ctrl_Draw Ctrl_Query Ctrl_Click Ctrl_Motion Ctrl_Leave Ctrl_Help Ctrl_Scroll
  Script_Register Script_Parse Update_Register Update_A Variable_Register Variable_Get
  NvOptimusEnablementCuda
)
exported=$(nm -D --defined-only --format=posix "$module" | awk '{print $1}' | sort) || {
  echo "$module: nm cannot read its dynamic symbols"
  exit 1
}
if ! diff -u <(printf '%s\n' "${expected[@]}" | sort) <(printf '%s\n' "$exported") \
     --label expected --label exported; then
  failed=1
fi
exit $failed
