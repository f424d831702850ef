#!/bin/sh
# Photographs each page of the real corvane.exe under Wine on a virtual display and saves the
# pictures in docs/images/. Wine's virtual desktop draws the window's frame and caption; the
# per-user error-reporting key is created first, so the sheet has all four pages.
. "$(dirname "$0")/common.sh"
# fonts-wine: Wine's Marlett, which draws the caption buttons.
PACKAGES="$PACKAGES fonts-wine"
install_missing_packages
configure_and_build

export WINEPREFIX="$BUILD/wineprefix-shots" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
OUT="$ROOT/docs/images"
mkdir -p "$OUT"

xvfb-run -a -s "-screen 0 1024x768x24" sh -eu -c '
    BIN=$1 OUT=$2
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # Debian keeps Wine'"'"'s own fonts out of its search path; the prefix gets Marlett itself.
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    # Every program of this prefix runs in one virtual desktop named Corvane.
    wine reg add "HKCU\\Software\\Wine\\Explorer" /v Desktop /d Corvane /f >/dev/null 2>&1
    wine reg add "HKCU\\Software\\Wine\\Explorer\\Desktops" /v Corvane /d 640x480 /f >/dev/null 2>&1
    wine reg add "HKCU\\Software\\Microsoft\\Windows\\Windows Error Reporting" /f >/dev/null 2>&1
    # Local dumps on, full dumps of one program kept in a folder of their own.
    dumps="HKLM\\SOFTWARE\\Microsoft\\Windows\\Windows Error Reporting\\LocalDumps"
    wine reg add "$dumps" /v DumpCount /t REG_DWORD /d 10 /f >/dev/null 2>&1
    wine reg add "$dumps\\myapp.exe" /v DumpFolder /t REG_EXPAND_SZ /d "D:\\dumps" /f >/dev/null 2>&1
    wine reg add "$dumps\\myapp.exe" /v DumpType /t REG_DWORD /d 2 /f >/dev/null 2>&1
    # Wine'"'"'s light theme makes the link colour (COLOR_HOTLIGHT) a pale grey; Windows'"'"' is blue.
    wine reg add "HKCU\\Control Panel\\Colors" /v HotTrackingColor /d "0 102 204" /f >/dev/null 2>&1

    wine "$BIN/corvane.exe" >/dev/null 2>&1 &
    page=0
    for name in debugger error-reporting crash-dumps about; do
        wine "$BIN/sheetpage.exe" $page || { echo "page $page did not show" >&2; exit 1; }
        sleep 1
        # The sheet is the X window named by its caption; its absolute geometry is the crop.
        geometry=$(xwininfo -name Corvane | awk "
            /Absolute upper-left X/ {x=\$NF} /Absolute upper-left Y/ {y=\$NF}
            /Width:/ {w=\$NF} /Height:/ {h=\$NF} END {print w \"x\" h \"+\" x \"+\" y}")
        import -window root -crop "$geometry" +repage -strip "$OUT/$name.png"
        echo "$OUT/$name.png: $geometry"
        page=$((page + 1))
    done
    wineserver -k
' sh "$BUILD/bin" "$OUT"
