#!/usr/bin/env bash
# Cross-builds FFTW 3 (double precision) as libfftw3-3.dll for Windows x86-64 from Debian 12's
# fftw3 source package, and makes the delay-load import library the plug-in links against.
# The result is cached; it is rebuilt only when this script changes.
# Usage: fftw-win.sh CACHE_DIR   -> CACHE_DIR/fftw-win/{bin/libfftw3-3.dll,include/fftw3.h,lib/*.a}
set -euo pipefail
mkdir -p "$1"
cache=$(cd "$1" && pwd)
out="$cache/fftw-win"
here=$(cd "$(dirname "$0")" && pwd)
recipe=$(sha1sum "$0" | cut -d' ' -f1)
[[ -f "$out/.complete" && $(cat "$out/.complete") == "$recipe" ]] && exit 0

host=x86_64-w64-mingw32
dl="$cache/download/fftw3"
mkdir -p "$dl"
if ! ls "$dl"/fftw3_*.orig.tar.gz >/dev/null 2>&1; then
  echo "== fetching the fftw3 source package"
  "$here/apt-source.sh" bookworm fftw3 "$dl"
fi
v=$(cat "$dl/version")

work="$cache/fftw-win.build"
rm -rf "$work" "$out"
mkdir -p "$work" "$out/lib"
tar -xzf "$dl/fftw3_$v.orig.tar.gz" -C "$work" --strip-components=1
echo "== building libfftw3-3.dll (FFTW $v, a few minutes)"
(
  cd "$work"
  # Without our own malloc FFTW finds no aligned allocator in MinGW's C library.
  ./configure --host=$host --prefix="$out" --enable-shared --disable-static \
    --with-our-malloc --enable-sse2 --enable-avx --enable-avx2 --disable-fortran \
    CC=$host-gcc-posix >configure.log 2>&1 || { tail -30 configure.log; exit 1; }
  nice -n 10 make -j "${CADORA_JOBS:-2}" >make.log 2>&1 || { tail -30 make.log; exit 1; }
  make install >install.log 2>&1 || { tail -30 install.log; exit 1; }
)
$host-strip "$out/bin/libfftw3-3.dll"
# Only the DLL, the C header and the import libraries made below are used.
rm -rf "$out/share" "$out/lib/cmake" "$out/lib/pkgconfig" "$out"/lib/libfftw3.* \
  "$out"/bin/fftw-wisdom* "$out"/include/*.f*
# Bound on first use: the module imports FFTW through a delay-load table.
(cd "$out/lib" && gendef - "$out/bin/libfftw3-3.dll" >libfftw3-3.def 2>/dev/null)
$host-dlltool --input-def "$out/lib/libfftw3-3.def" --dllname libfftw3-3.dll \
  --output-delaylib "$out/lib/libfftw3-3.delay.a"
rm -rf "$work"
echo "$recipe" >"$out/.complete"
echo "== libfftw3-3.dll (FFTW $v) built in $out"
