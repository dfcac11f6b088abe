#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64, checks that it needs no DLL
# beyond the system's, and runs the unit tests built for Windows under Wine on
# a virtual X display. Installs nothing: needs mingw-w64, wine (64-bit) and
# xvfb. The Wine prefix is a throwaway one inside the build folder.
# Usage: tools/ci-win-build.sh [build-dir]      (default build-win)
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

dir=$(realpath -m "${1:-build-win}")
export WINEPREFIX=$dir/wineprefix WINEDEBUG=-all
# No Mono or Gecko: their installers would ask on first start.
export WINEDLLOVERRIDES="mscoree,mshtml="

# The Wine part, on the virtual display this script starts for it.
if [[ "${2:-}" == "--wine-part" ]]; then
    # No Wine process outlives the run, however it ends.
    trap 'wineserver -k 2>/dev/null || true' EXIT
    echo "== Wine prefix $WINEPREFIX"
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
        timeout 300 wineboot -i >"$dir/wineboot.log" 2>&1 ||
            fail "wineboot -i did not finish (see $dir/wineboot.log)"
        # Without a window manager, a managed window that hides waits for one
        # for two seconds; the tests' windows are left unmanaged.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
        wineserver -w
    fi
    system32=$WINEPREFIX/drive_c/windows/system32
    [[ -d $system32 ]] || fail "the Wine prefix has no system32 folder"

    # Every DLL a program imports must be one of the system's.
    echo "== DLLs imported"
    for exe in $(find "$dir" -maxdepth 1 \( -name '*.scr' -o -name '*.exe' \) | sort) \
        $(find "$dir/tests" -name '*.exe' | sort); do
        dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | sort -u)
        echo "${exe#"$dir"/}: $(echo $dlls)"
        for dll in $dlls; do
            [[ -n $(find "$system32" -maxdepth 1 -iname "$dll" -print -quit) ]] ||
                fail "${exe#"$dir"/} needs $dll, which is not a system DLL"
        done
    done

    echo "== Unit tests under Wine"
    status=0
    timeout 900 ctest --test-dir "$dir" --output-on-failure --timeout 120 || status=$?
    [[ $status -eq 0 ]] || fail "unit tests under Wine (ctest status $status)"
    exit 0
fi

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-objdump wine wineboot wineserver \
    xvfb-run; do
    command -v "$tool" >/dev/null || fail "$tool is not installed"
done

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
echo "== Build in $dir"
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake "${launcher[@]}" ||
    fail "configure"
cmake --build "$dir" -j"$(nproc 2>/dev/null || echo 2)" || fail "build"
[[ -f $dir/vantorix.scr ]] || fail "no vantorix.scr was built"

xvfb-run -a "$0" "$dir" --wine-part
