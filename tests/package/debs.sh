#!/usr/bin/env bash
# Builds the Debian packages of a build tree with CPack, checks the files
# each holds and what it depends on (and lintian's verdict, when lintian is
# installed), and unpacks them into OUT/root as dpkg would install them.
#   debs.sh CPACK BUILD_DIR OUT VERSION LIBDIR C_LIBRARY(0|1)
set -euo pipefail
cpack=$1 build=$2 out=$3 version=$4 libdir=$5 c_library=$6
rm -rf "$out"
mkdir -p "$out/root"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log"

declare -A files
files[libkl-vrx1]="$libdir/libKL_VRX.so.1 $libdir/libKL_VRX.so.1.0.0"
files[libkl-vrx-dev]="include/KL_VRX/KL_VRX.h include/KL_VRX/emulator.h $libdir/libKL_VRX.so
    $libdir/libKL_VRX.a $libdir/libKL_VRX_emulator.a $libdir/pkgconfig/kl-vrx.pc
    $libdir/cmake/KL_VRX/KL_VRXConfig.cmake $libdir/cmake/KL_VRX/KL_VRXConfigVersion.cmake
    $libdir/cmake/KL_VRX/KL_VRXTargets.cmake $libdir/cmake/KL_VRX/KL_VRXTargets-relwithdebinfo.cmake"
files[kl-vrx-tools]="bin/vrxctl lib/udev/rules.d/70-kl-vrx.rules"
if [ "$c_library" = 1 ]; then
    files[libkl-vrx1]+=" $libdir/libKL_VRX_c.so.1 $libdir/libKL_VRX_c.so.1.0.0"
    files[libkl-vrx-dev]+=" include/KL_VRX/KL_VRX_c.h $libdir/libKL_VRX_c.so $libdir/pkgconfig/kl-vrx-c.pc"
fi
declare -A depends=([libkl-vrx1]="libc6 (" [libkl-vrx-dev]="libkl-vrx1 (= $version-1)"
    [kl-vrx-tools]="libc6 (")

status=0
for package in libkl-vrx1 libkl-vrx-dev kl-vrx-tools; do
    deb=$out/${package}_$version-1_amd64.deb
    [ -f "$deb" ] || { echo "no $deb"; status=1; continue; }
    expected=$(printf '%s\n' ${files[$package]} share/doc/$package/copyright \
        share/doc/$package/changelog.Debian.gz | sort)
    actual=$(dpkg-deb -c "$deb" | awk '$6 !~ /\/$/ { sub("^./usr/", "", $6); print $6 }' | sort)
    if [ "$actual" != "$expected" ]; then
        echo "$package holds:"; echo "$actual"; echo "expected:"; echo "$expected"; status=1
    fi
    [ "$(dpkg-deb -f "$deb" Version)" = "$version-1" ] || { echo "$package: wrong version"; status=1; }
    if ! dpkg-deb -f "$deb" Depends | grep -qF "${depends[$package]}"; then
        echo "$package depends on '$(dpkg-deb -f "$deb" Depends)', expected ${depends[$package]}"
        status=1
    fi
    echo "$package: $(stat -c %s "$deb") bytes, depends on $(dpkg-deb -f "$deb" Depends)"
    dpkg-deb -x "$deb" "$out/root"
done
if command -v lintian >/dev/null; then
    # Errors fail; warnings are shown.
    lintian "$out"/*.deb 2>/dev/null | tee "$out/lintian.log" || true
    if grep -q '^E:' "$out/lintian.log"; then status=1; fi
fi
exit $status
