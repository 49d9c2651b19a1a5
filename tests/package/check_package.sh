#!/usr/bin/env bash
# usage: check_package.sh BUILD_DIR
# Installs the build into a scratch root, builds the Debian package from it, and compares the two.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

prefix=/usr
DESTDIR="$work/root" cmake --install "$build" --prefix "$prefix" >/dev/null
(cd "$work/root" && find . -type f -o -type l | sort) >"$work/installed"

cpack --config "$build/CPackConfig.cmake" -B "$work/package" -D CPACK_PACKAGING_INSTALL_PREFIX="$prefix" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(find "$work/package" -maxdepth 1 -name '*.deb')
[ -n "$deb" ] || { echo "cpack made no .deb"; cat "$work/cpack.log"; exit 1; }
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >"$work/packaged"

status=0
if ! diff -u "$work/installed" "$work/packaged"; then
  echo "the package and cmake --install differ (- installed only, + packaged only)"
  status=1
fi
for wanted in ./usr/bin/quovi ./usr/bin/quovi-service ./usr/bin/quovi-catalogue \
  ./usr/share/applications/org.talvex.Quovi.desktop \
  ./usr/share/icons/hicolor/scalable/apps/org.talvex.Quovi.svg \
  ./usr/share/metainfo/org.talvex.Quovi.metainfo.xml \
  ./usr/share/dbus-1/services/org.talvex.Quovi.service \
  ./usr/share/quovi/demo/channels.dat ./usr/share/quovi/demo/media/tone.ogg ./usr/share/quovi/demo/media/testcard.webm \
  ./usr/lib/systemd/user/quovi-service.service ./usr/lib/systemd/system/quovi-service@.service; do
  grep -qxF "$wanted" "$work/packaged" || { echo "the package lacks $wanted"; status=1; }
done
desktop-file-validate "$work/root/usr/share/applications/org.talvex.Quovi.desktop" || status=1
# A file manager opens playlists with the program only when the desktop file names their types.
mime_types=$(sed -n 's/^MimeType=//p' "$work/root/usr/share/applications/org.talvex.Quovi.desktop" | tr ';' '\n')
for mime in audio/x-mpegurl audio/mpegurl application/vnd.apple.mpegurl audio/x-scpls; do
  grep -qxF "$mime" <<<"$mime_types" || { echo "the desktop file does not declare $mime"; status=1; }
done
# A desktop that starts the program by D-Bus finds it where it was installed.
grep -qxF "Exec=$prefix/bin/quovi" "$work/root/usr/share/dbus-1/services/org.talvex.Quovi.service" ||
  { echo "the D-Bus service file does not start $prefix/bin/quovi"; status=1; }
appstreamcli validate --no-net --pedantic "$work/root/usr/share/metainfo/org.talvex.Quovi.metainfo.xml" >"$work/appstream.log" ||
  { cat "$work/appstream.log"; status=1; }

# Every shared library the packaged programs need comes from a package the .deb depends on.
depends=$(dpkg-deb -f "$deb" Depends)
dpkg-deb -x "$deb" "$work/unpacked"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for program in "$work"/unpacked/usr/bin/*; do
  for soname in $(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    owner=$(dpkg -S "*/$multiarch/$soname" 2>/dev/null | head -n1 | cut -d: -f1)
    [ -n "$owner" ] || { echo "no installed package provides $soname"; status=1; continue; }
    [[ ", $depends," == *", $owner "* || ", $depends," == *", $owner,"* ]] ||
      { echo "$(basename "$program") needs $soname from $owner, which Depends lacks: $depends"; status=1; }
  done
done
# The player opens libmpv at run time, so no program names it; the package must.
[[ ", $depends" == *", libmpv2 "* ]] || { echo "Depends lacks libmpv2 (the player opens it at run time): $depends"; status=1; }
# Names from playlists in other scripts need fonts that a fresh system may lack.
recommends=$(dpkg-deb -f "$deb" Recommends)
for font in fonts-noto-core fonts-noto-cjk; do
  [[ ", $recommends," == *", $font,"* ]] || { echo "Recommends lacks $font: $recommends"; status=1; }
done
# The SVG image plugins that draw the program's pictures and icon come with the SVG library.
[[ ", $depends" == *", libqt6svg6 "* ]] || { echo "Depends lacks libqt6svg6 (the pictures are SVG): $depends"; status=1; }
exit $status
