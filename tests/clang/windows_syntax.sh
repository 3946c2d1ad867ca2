#!/usr/bin/env bash
# A second compiler over the Windows program's sources: clang checks each one against mingw-w64's
# headers and libstdc++ for the Windows target, so that code only GCC accepts shows here. A syntax
# check: linking for Windows with clang needs more than Debian's clang brings.
set -uo pipefail
cd "$(dirname "$(readlink -f "$0")")/../.."
# The libstdc++ folders of the g++ that builds the program; its include/ of intrinsics is GCC's alone.
gxx="$(sed -n 's/^set(kavren_cxx_compiler \(.*\))$/\1/p' cmake/mingw-w64.cmake)"
mapfile -t libstdcxx < <("$gxx" -E -x c++ - -v </dev/null 2>&1 |
    sed -n 's/^ \(\/.*\/include\/c++.*\)$/-isystem\n\1/p')
((${#libstdcxx[@]} == 6)) || { echo "clang check: expected three libstdc++ folders from $gxx" >&2; exit 1; }
flags=(--target=x86_64-w64-mingw32 -std=c++20 -nostdinc++ "${libstdcxx[@]}"
       -isystem /usr/x86_64-w64-mingw32/include -I.
       -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00
       -Wall -Wextra -Wpedantic -Werror)
# The system headers, read once instead of once a source (a quarter of the time). A source that
# forgets one of them still fails the g++ build.
headers="$(mktemp -d "${TMPDIR:-/tmp}/kavren-clang.XXXXXX")" || exit 1
trap 'rm -rf "$headers"' EXIT
printf '#include <%s>\n' windows.h commctrl.h algorithm functional memory optional string vector >"$headers/system.h"
clang++ "${flags[@]}" -x c++-header "$headers/system.h" -o "$headers/system.h.pch" ||
    { echo "clang check: the system headers do not compile with clang" >&2; exit 1; }
sources=(app/*.cpp platform/*.cpp commands/*.cpp)
printf '%s\0' "${sources[@]}" | xargs -0 -P"$(nproc)" -n6 clang++ "${flags[@]}" -fsyntax-only -include-pch "$headers/system.h.pch" ||
    { echo "clang check: the sources above do not compile cleanly with clang" >&2; exit 1; }
echo "clang check: ${#sources[@]} sources of app/, platform/ and commands/ compile cleanly"
