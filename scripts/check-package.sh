#!/usr/bin/env bash
# Packaging check: builds the Debian package from a configured and built tree, unpacks it into
# a fresh folder and runs the installed programs from there, with the source tree's forms
# hidden (where a mount namespace is allowed), so that they can only use what was installed.
# Also validates the desktop entry, the MIME type, the icon, the manual pages and the bash
# completion. Usage: scripts/check-package.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=$(cd "${1:-build}" && pwd)

fail() {
    echo "check-package: $*" >&2
    exit 1
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

echo "== Debian package"
rm -f "$build"/keltora_*.deb
(cd "$build" && cpack -G DEB >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; fail "cpack failed"; }
deb=$(ls "$build"/keltora_*.deb)
echo "$(basename "$deb")"
fields=$(dpkg-deb -f "$deb" Package Version Section Maintainer Depends)
echo "$fields"
grep -q '^Section: science$' <<<"$fields" || fail "section is not science"
grep -q '^Depends:.*fonts-ipafont-gothic' <<<"$fields" || fail "no dependency on fonts-ipafont-gothic"
grep -q '^Depends:.*libqt6widgets6' <<<"$fields" || fail "no dependency on the Qt 6 widgets library"
grep -q '^Depends:.*libc6' <<<"$fields" || fail "no library dependencies (dpkg-shlibdeps did not run)"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
prefix=$root/usr
expected_files=()
if [ -x "$build/keltora-gui" ]; then
    expected_files=(bin/keltora-gui share/man/man1/keltora-gui.1
                    share/bash-completion/completions/keltora-gui share/applications/keltora.desktop
                    share/icons/hicolor/scalable/apps/keltora.svg share/mime/packages/keltora.xml)
fi
for f in "${expected_files[@]}" bin/keltora bin/keltora-plotter bin/keltora-report-viewer \
         libexec/keltora/keltora-render \
         share/keltora/forms/SB_CHK00.PFM share/keltora/examples/embankment.SDW \
         share/doc/keltora/manual/index.html share/doc/keltora/manual/manual.css \
         share/doc/keltora/verification.html share/doc/keltora/verification.md \
         share/doc/keltora/verification/acads_1a.png \
         share/man/man1/keltora.1 share/man/man1/keltora-plotter.1 \
         share/man/man1/keltora-report-viewer.1 share/bash-completion/completions/keltora \
         share/bash-completion/completions/keltora-report-viewer; do
    [ -e "$prefix/$f" ] || fail "the package lacks /usr/$f"
done
# Programs that run the same on any machine with the package's dependencies.
if find "$prefix" -name '*.so*' | grep -q .; then fail "the package ships shared libraries"; fi

echo "== installed programs, run from a scratch folder"
work=$scratch/work
mkdir -p "$work"
cat >"$scratch/run-installed.sh" <<EOF
set -euo pipefail
# Hide the source tree's forms: the programs must find the installed ones.
if [ "\${HIDE_FORMS:-0}" = 1 ]; then mount -t tmpfs none "$source_dir/forms"; fi
export QT_QPA_PLATFORM=offscreen PATH="$prefix/bin:\$PATH"
cd "$work"
example="$prefix/share/keltora/examples/embankment.SDW"
keltora --version
status=0
keltora calc "\$example" --workdir calc --quiet >calc.txt || status=\$?
[ \$status -le 1 ] || { cat calc.txt; echo "keltora calc failed (\$status)" >&2; exit 1; }
grep -q '判定' calc.txt || { cat calc.txt; echo "keltora calc printed no verdict" >&2; exit 1; }
status=0
keltora report "\$example" --workdir report -o report.pdf >report.txt 2>report.err || status=\$?
[ \$status -le 1 ] || { cat report.err; echo "keltora report failed (\$status)" >&2; exit 1; }
status=0
keltora plot "\$example" --workdir plot -o plot.png >/dev/null 2>plot.err || status=\$?
[ \$status -le 1 ] || { cat plot.err; echo "keltora plot failed (\$status)" >&2; exit 1; }
keltora-report-viewer --pdf viewer.pdf report 2>viewer.err ||
    { cat viewer.err; echo "keltora-report-viewer --pdf failed" >&2; exit 1; }
if grep -q 'PFM' report.err viewer.err; then
    cat report.err viewer.err; echo "forms were not found" >&2; exit 1
fi
EOF
if unshare -m true 2>/dev/null; then
    HIDE_FORMS=1 unshare -m bash "$scratch/run-installed.sh" || fail "the installed programs failed"
else
    echo "(no mount namespace here: the source tree's forms stay visible)"
    bash "$scratch/run-installed.sh" || fail "the installed programs failed"
fi
head -c 4 "$work/report.pdf" | grep -q '%PDF' || fail "report.pdf is not a PDF"
head -c 4 "$work/viewer.pdf" | grep -q '%PDF' || fail "viewer.pdf is not a PDF"
head -c 8 "$work/plot.png" | grep -q 'PNG' || fail "plot.png is not a PNG"
report_pages=$(pdfinfo "$work/report.pdf" | sed -n 's/^Pages: *//p')
viewer_pages=$(pdfinfo "$work/viewer.pdf" | sed -n 's/^Pages: *//p')
[ "${report_pages:-0}" -gt 0 ] || fail "report.pdf has no pages"
[ "$report_pages" = "$viewer_pages" ] ||
    fail "the report has $report_pages pages from keltora, $viewer_pages from the viewer"
echo "report: $report_pages pages; plot: $(stat -c %s "$work/plot.png") bytes"

echo "== desktop entry, MIME type, icon"
# The installed ones, or the sources when this build has no main window to install them for.
desktop=$prefix/share/applications/keltora.desktop
mime_xml=$prefix/share/mime/packages/keltora.xml
icon=$prefix/share/icons/hicolor/scalable/apps/keltora.svg
if [ ! -e "$desktop" ]; then
    desktop=packaging/keltora.desktop mime_xml=packaging/keltora.xml icon=packaging/keltora.svg
fi
desktop-file-validate "$desktop"
xmllint --noout "$mime_xml" "$icon"
mime=$scratch/mime
mkdir -p "$mime/packages"
cp "$mime_xml" "$mime/packages/"
update-mime-database "$mime" 2>/dev/null
grep -q '^application/x-keltora-section$' "$mime/types" || fail "the MIME type is not registered"
grep -qi '^[0-9]*:application/x-keltora-section:\*\.sdw$' "$mime/globs2" ||
    fail "*.SDW files are not of the section type"
grep -q '^MimeType=application/x-keltora-section;$' "$desktop" ||
    fail "the desktop entry does not open section files"

echo "== manual pages and completion"
for page in "$prefix"/share/man/man1/*.1; do
    warnings=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>&1) || fail "groff failed on $page"
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
commands=$("$prefix/bin/keltora" --help | sed -n 's/^  \([a-z][a-z0-9-]*\)\( .*\)\{0,1\}$/\1/p')
for c in $commands; do
    grep -q "^\.SS $c\$" "$prefix/share/man/man1/keltora.1" || fail "keltora.1 lacks the command $c"
done
# The completion, with the two helpers of the bash-completion package reduced to what it uses.
completion_result=$(PATH="$prefix/bin:$PATH" bash -c '
    _init_completion() { words=("${COMP_WORDS[@]}"); cword=$COMP_CWORD; cur=${words[cword]};
                         prev=${words[cword-1]}; }
    _filedir() { COMPREPLY+=("<files:$*>"); }
    source "$1"
    COMP_WORDS=(keltora ca); COMP_CWORD=1; COMPREPLY=(); _keltora; echo "${COMPREPLY[*]}"
    COMP_WORDS=(keltora calc x.SDW --); COMP_CWORD=3; COMPREPLY=(); _keltora; echo "${COMPREPLY[*]}"
    COMP_WORDS=(keltora import-dxf a.SDW ""); COMP_CWORD=3; COMPREPLY=(); _keltora; echo "${COMPREPLY[*]}"
    COMP_WORDS=(keltora-gui ""); COMP_CWORD=1; COMPREPLY=(); _keltora_gui; echo "${COMPREPLY[*]}"
' _ "$prefix/share/bash-completion/completions/keltora-report-viewer")
mapfile -t completed <<<"$completion_result"
[[ " ${completed[0]} " == *" calc "* ]] || fail "completion of commands: '${completed[0]}'"
[[ " ${completed[1]} " == *" --workdir "* && " ${completed[1]} " == *" --threads "* ]] ||
    fail "completion of the options of calc: '${completed[1]}'"
[ "${completed[2]}" = "<files:dxf>" ] || fail "completion of the drawing of import-dxf: '${completed[2]}'"
[ "${completed[3]}" = "<files:sdw>" ] || fail "completion of keltora-gui: '${completed[3]}'"
echo "check-package: OK"
