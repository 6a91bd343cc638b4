#!/usr/bin/env bash
# Checks the Windows programs of a build: the machine type, and that they import only system DLLs
# (the compiler's runtime is linked in statically).
#   scripts/check-imports.sh BUILD_DIR i386|x86-64
set -euo pipefail
dir=$1 arch=$2
case "$arch" in i386) objdump=i686-w64-mingw32-objdump; format=pei-i386 ;; *) objdump=x86_64-w64-mingw32-objdump; format=pei-x86-64 ;; esac
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comdlg32|winmm|opengl32|glu32|msvcrt|ole32|imm32|version)\.dll$'
status=0 count=0
for exe in "$dir"/*.exe "$dir"/*.scr; do
  [ -e "$exe" ] || continue
  count=$((count + 1))
  info=$($objdump -p "$exe")
  if ! grep -q "file format $format" <<<"$info"; then
    echo "FAIL $exe: not $format"; status=1
  fi
  while read -r dll; do
    if ! grep -qiE "$allowed" <<<"$dll"; then
      echo "FAIL $exe imports $dll"; status=1
    fi
  done < <(sed -n 's/^\s*DLL Name: //p' <<<"$info")
done
[ "$count" -gt 0 ] || { echo "FAIL no programs in $dir"; exit 1; }
[ $status = 0 ] && echo "$count programs in $dir import only system DLLs"
exit $status
