#!/usr/bin/env bash
# The Debian package installs into a clean root and its programs run from
# there: builds the .deb from BUILD (as make package does) into a fresh
# folder, unpacks it with dpkg, and runs what it installed.
set -euo pipefail
build=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/aisfw-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "package test: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(find "$work/out" -maxdepth 1 -name 'aisfw_*.deb' | head -1)
[ -n "$deb" ] || fail "no .deb was built"

# Dependencies are Debian's runtime packages, as dpkg-shlibdeps found them.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libstdc++6 libfmt9; do
  [[ "$depends" == *"$package"* ]] || fail "Depends lacks $package: $depends"
done

root="$work/root"
dpkg -x "$deb" "$root"
version=$("$root/usr/bin/aisfw" --version)
[[ "$version" == "aisfw "[0-9]* ]] || fail "aisfw --version said: $version"
"$root/usr/bin/aisfw-sim" --help >/dev/null || fail "aisfw-sim does not run"
# The sample firmware is installed whole, and its images are valid.
"$root/usr/bin/aisfw" validate "$root"/usr/share/aisfw/Bin/App_70[0-4].SBIN >/dev/null ||
  fail "the installed sample images do not validate"
grep -q '^Bin/App_702.SBIN,' "$root/usr/share/aisfw/Bin/Firmware.csv" || fail "no catalogue"
# Each manual page has the sections a reader looks for; aisfw's gives each
# command's exit codes from its own help.
pages=(aisfw aisfw-sim)
[ -e "$build/bin/aisfw-gui" ] && pages+=(aisfw-gui)
for page in "${pages[@]}"; do
  text=$(zcat "$root/usr/share/man/man1/$page.1.gz") || fail "no manual page of $page"
  for section in NAME SYNOPSIS OPTIONS "EXIT STATUS" EXAMPLES FILES; do
    grep -qx "\.SH $section" <<<"$text" || fail "the manual page of $page lacks $section"
  done
  grep -qx "$page \[OPTIONS\].*" <<<"$text" || fail "the manual page of $page lacks its usage"
done
zcat "$root/usr/share/man/man1/aisfw.1.gz" | grep -q '^  130  interrupted' ||
  fail "the manual page of aisfw lacks the exit codes"
# Completion for both programs, where bash-completion looks for it.
for program in aisfw aisfw-sim; do
  grep -q '^complete -F _aisfw aisfw aisfw-sim$' \
    "$root/usr/share/bash-completion/completions/$program" ||
    fail "no bash completion for $program"
done
echo "package test: $(basename "$deb") installs and runs ($version; Depends: $depends)"
