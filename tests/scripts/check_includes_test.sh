#!/usr/bin/env bash
# The layering check passes on the repository and catches each kind of
# violation in a small planted tree whose layer list is not the repository's
# (so the order really comes from the CMakeLists.txt it finds).
set -uo pipefail
src=${1:?source folder}
check=$src/scripts/check-includes
fail() { echo "FAIL: $*" >&2; exit 1; }

"$check" "$src" || fail "the repository breaks its own layering"

t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
mkdir -p "$t"/platform/gdi "$t"/low "$t"/mid/inner "$t"/top "$t"/examples "$t"/tests/low "$t"/tests/platform/gdi
cat >"$t"/CMakeLists.txt <<'CM'
add_subdirectory(platform)
qn_add_layer_folders(
  low mid/inner
  top)
CM
printf '// Host-internal: a surface.\n#pragma once\n' >"$t"/platform/gdi/Surface.h
printf '// Internal to platform/gdi: objects.\n#pragma once\n' >"$t"/platform/gdi/Objects.h
printf '// Public GDI.\n#pragma once\n' >"$t"/platform/gdi/Gdi.h
printf '#include "platform/gdi/Gdi.h"\n' >"$t"/low/A.h
printf '#include "low/A.h"\n#include "platform/gdi/Gdi.h"\n' >"$t"/mid/inner/B.h
printf '#include "platform/gdi/Surface.h"\n#include "platform/gdi/Objects.h"\n' >"$t"/platform/gdi/Ok.cpp
printf '#include "platform/gdi/Surface.h"\n' >"$t"/tests/platform/gdi/OkTest.cpp
printf '#include "top/C.h"\n#include "mid/inner/B.h"\n' >"$t"/examples/Demo.cpp
"$check" "$t" >/dev/null 2>&1 || fail "a clean planted tree was rejected"

printf '#include "mid/inner/B.h"\n' >>"$t"/low/A.h                      # upward, nested folder
printf '#include "top/C.h"\n' >"$t"/mid/inner/D.cpp                      # upward
printf '#include "low/x.h"\n#include "platform/gdi/Surface.h"\n' >"$t"/top/C.h  # internal from a layer
printf '#include "platform/gdi/Objects.h"\n' >"$t"/examples/Page.cpp     # internal from an example
printf '#include "top/C.h"\n' >"$t"/tests/low/ATest.cpp                  # a test reaching above its layer
printf '#include "low/A.h"\n' >"$t"/platform/gdi/Up.cpp                  # the host reaching up
out=$("$check" "$t" 2>&1) && fail "violations were accepted"
for want in "low/A.h:2: includes mid/inner/B.h from mid/inner, a layer above low" \
            "mid/inner/D.cpp:1: includes top/C.h from top, a layer above mid/inner" \
            "top/C.h:2: includes platform/gdi/Surface.h, which is internal to the host" \
            "examples/Page.cpp:1: includes platform/gdi/Objects.h, which is internal to the host" \
            "tests/low/ATest.cpp:1: includes top/C.h from top, a layer above low" \
            "platform/gdi/Up.cpp:1: includes low/A.h from low, a layer above platform" \
            "6 include(s) break the layering"; do
  grep -qF "$want" <<<"$out" || fail "missing: $want"$'\n'"$out"
done
echo "check-includes: planted violations found"
