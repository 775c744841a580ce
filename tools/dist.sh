#!/bin/bash
# Makes the release package for panel builders, or checks that one is complete.
#   tools/dist.sh MODULES_DIR DIST_DIR   copy the fourteen Windows modules, the install guide,
#                                        the example panel.cfg section and SHA256SUMS
#   tools/dist.sh --check DIST_DIR       every module there with exactly its two exports and
#                                        only Windows' own libraries; the checksums verify
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
modules=(window_toggle.gau fuel_cutoff_switch.gau baro_altimeter.gau oil_thermometer.dll
         autobrake_selector.gau director_switch.gau gear_panel.gau map_mode_switch.gau brake_flag.gau
         speed_knob.gau heading_knob.gau flap_lever.gau fuel_readout.gau air_temp_readout.gau)
documents=(INSTALL.md panel.cfg)

fail() {
    echo "dist: $*" >&2
    exit 1
}

make_package() {
    local from=$1 to=$2
    local missing=()
    for module in "${modules[@]}"; do
        [ -f "$from/$module" ] || missing+=("$module")
    done
    [ ${#missing[@]} -eq 0 ] || fail "not built in \"$from\": ${missing[*]}"
    rm -rf "$to"
    mkdir -p "$to"
    for module in "${modules[@]}"; do
        cp "$from/$module" "$to/"
    done
    cp "$root/docs/INSTALL.md" "$to/INSTALL.md"
    # The example section is the bench's own panel, taken from its source as it stands.
    sed -n '/R"panel_cfg(/,/)panel_cfg"/p' "$root/host/panel_defaults.cpp" |
        sed -e 's/.*R"panel_cfg(//' -e '/)panel_cfg"/d' >"$to/panel.cfg"
    grep -q '^gauge13=' "$to/panel.cfg" || fail "the example panel.cfg came out incomplete"
    (cd "$to" && sha256sum "${modules[@]}" "${documents[@]}" >SHA256SUMS)
    echo "dist: $to holds ${#modules[@]} modules, ${documents[*]} and SHA256SUMS"
}

check_package() {
    local dist=$1 faults=0
    [ -d "$dist" ] || fail "no package \"$dist\""
    for file in "${modules[@]}" "${documents[@]}" SHA256SUMS; do
        if [ ! -f "$dist/$file" ]; then
            echo "dist: \"$dist\" lacks $file" >&2
            faults=1
        fi
    done
    [ $faults -eq 0 ] || exit 1
    for module in "${modules[@]}"; do
        local dump exports
        dump=$(i686-w64-mingw32-objdump -p "$dist/$module") || fail "$module is not a Windows module"
        exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" |
                      sed -n 's/^\s*\[ *[0-9]*\] \(.*\)$/\1/p' | sort | tr '\n' ' ')
        if [ "$exports" != "ImportTable Linkage " ]; then
            echo "dist: $module exports \"$exports\", not exactly ImportTable and Linkage" >&2
            faults=1
        fi
        local allowed='KERNEL32|USER32|MSVCRT'
        [ "$module" = director_switch.gau ] && allowed="$allowed|DSOUND"
        while read -r library; do
            if ! grep -qE "^($allowed)\.DLL$" <<<"${library^^}"; then
                echo "dist: $module imports $library, which is not one of Windows' own libraries for it" >&2
                faults=1
            fi
        done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
    done
    local listed
    listed=$(awk '{print $2}' "$dist/SHA256SUMS" | sort | tr '\n' ' ')
    [ "$listed" = "$(printf '%s\n' "${modules[@]}" "${documents[@]}" | sort | tr '\n' ' ')" ] ||
        { echo "dist: SHA256SUMS lists \"$listed\", not the package's files" >&2; faults=1; }
    (cd "$dist" && sha256sum --check --quiet SHA256SUMS) || faults=1
    [ $faults -eq 0 ] || exit 1
    echo "dist: $dist is complete: ${#modules[@]} modules with two exports each, Windows libraries only, checksums verify"
}

case "${1:-}" in
--check)
    [ $# -eq 2 ] || fail "usage: tools/dist.sh --check DIST_DIR"
    check_package "$2"
    ;;
*)
    [ $# -eq 2 ] || fail "usage: tools/dist.sh MODULES_DIR DIST_DIR, or tools/dist.sh --check DIST_DIR"
    make_package "$1" "$2"
    ;;
esac
