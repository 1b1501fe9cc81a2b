#!/usr/bin/env bash
# Checks of the Debian package that build_package.cmake made and unpacked:
#   check_package.sh CHECK PACKAGE.deb ROOT [VERSION]
# CHECK is one of contents, lintian, desktop, metainfo, mime, manpages, completion. A check whose
# validator is not installed exits with 77 (the test is reported as skipped).
set -euo pipefail
check=$1 deb=$2 root=$3 version=${4:-}
app=org.carexa.Carexa
share=$root/usr/share

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
need() {
    command -v "$1" >/dev/null 2>&1 || { echo "SKIP: $1 is not installed" >&2; exit 77; }
}

case $check in
contents)
    need dpkg-deb
    listing=$(dpkg-deb -c "$deb")
    expected=(
        ./usr/bin/carexa
        ./usr/bin/carexa-sim
        ./usr/share/carexa/prebackground.bmp
        ./usr/share/carexa/Version4.bmp
        ./usr/share/carexa/prebackground@2x.bmp
        ./usr/share/carexa/Version4@2x.bmp
        ./usr/share/carexa/examples/cold_climate_bed.mdl
        ./usr/share/carexa/examples/warm_climate_bed.mdl
        ./usr/share/applications/$app.desktop
        ./usr/share/metainfo/$app.metainfo.xml
        ./usr/share/mime/packages/carexa.xml
        ./usr/share/icons/hicolor/scalable/apps/$app.svg
        ./usr/share/icons/hicolor/scalable/mimetypes/application-x-carexa-project.svg
        ./usr/share/man/man1/carexa.1.gz
        ./usr/share/man/man1/carexa-sim.1.gz
        ./usr/share/bash-completion/completions/carexa-sim
        ./usr/share/doc/carexa/copyright
        ./usr/share/doc/carexa/changelog.gz
    )
    for size in 16 22 24 32 48 64 128 256 512; do
        expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/$app.png")
        expected+=("./usr/share/icons/hicolor/${size}x${size}/mimetypes/application-x-carexa-project.png")
    done
    for path in "${expected[@]}"; do
        grep -q -- " $path\$" <<<"$listing" || fail "the package lacks $path"
    done
    # Nothing outside /usr, and nothing from the build (tests, tools, static libraries).
    if grep -v -- ' \./usr/\| \./$' <<<"$listing"; then fail "files outside /usr"; fi
    if grep -E -- '\.a$|carexa-make|_tests|/include/' <<<"$listing"; then fail "build files"; fi
    # Owned by root; programs 0755, everything else 0644, folders 0755.
    if grep -v -- '^[-dl][rwx-]\{9\} root/root ' <<<"$listing"; then fail "not owned by root"; fi
    while read -r mode _ _ _ _ path; do
        case $mode:$path in
        d*:*) [ "$mode" = drwxr-xr-x ] || fail "$path has mode $mode" ;;
        *:./usr/bin/*) [ "$mode" = -rwxr-xr-x ] || fail "$path has mode $mode" ;;
        *) [ "$mode" = -rw-r--r-- ] || fail "$path has mode $mode" ;;
        esac
    done <<<"$listing"

    # The control fields, with the dependencies dpkg-shlibdeps computed.
    [ "$(dpkg-deb -f "$deb" Package)" = carexa ] || fail "the package is not named carexa"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version), not $version"
    [ "$(dpkg-deb -f "$deb" Section)" = science ] || fail "section $(dpkg-deb -f "$deb" Section)"
    [ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"
    depends=$(dpkg-deb -f "$deb" Depends)
    for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 \
        libqt6charts6 libqt6printsupport6 libnlopt0 libcsv3 libxlsxwriter4; do
        grep -q "\\b$library" <<<"$depends" || fail "Depends lacks $library: $depends"
    done
    [ -n "$(dpkg-deb -f "$deb" Description | sed -n 2p)" ] || fail "no long description"

    # The programs are stripped and can be run from the unpacked tree.
    need file
    for program in carexa carexa-sim; do
        file -b "$root/usr/bin/$program" | grep -q 'ELF.*, stripped' || fail "$program is not stripped"
    done
    [ "$("$root/usr/bin/carexa-sim" --version)" = "carexa-sim $version" ] || fail "carexa-sim --version"
    [ "$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/carexa" --version)" = "carexa $version" ] \
        || fail "carexa --version"
    # The changelog reads as Debian's tools read it.
    zcat "$share/doc/carexa/changelog.gz" | head -1 | grep -q "^carexa ($version) " \
        || fail "the changelog is not about version $version"
    ;;

lintian)
    need lintian
    # Errors fail; warnings and notes are shown for the record.
    lintian --fail-on error --display-info "$deb"
    ;;

desktop)
    need desktop-file-validate
    entry=$share/applications/$app.desktop
    desktop-file-validate "$entry"
    out=$(desktop-file-validate "$entry" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
    # What it names is in the package: the program, the icon, the file type.
    grep -qx 'Exec=carexa %f' "$entry" || fail "Exec is not 'carexa %f'"
    [ -x "$root/usr/bin/carexa" ] || fail "no carexa for Exec"
    grep -qx "Icon=$app" "$entry" || fail "Icon is not $app"
    grep -qx 'MimeType=application/x-carexa-project;' "$entry" || fail "MimeType"
    ;;

metainfo)
    need appstreamcli
    appstreamcli validate --no-net --strict --explain "$share/metainfo/$app.metainfo.xml"
    # The metainfo, its desktop entry and the icons together, as a software centre reads them.
    appstreamcli validate-tree --no-net --strict --explain "$root"
    grep -q "<release version=\"$version\"" "$share/metainfo/$app.metainfo.xml" \
        || fail "the metainfo does not name release $version"
    ;;

mime)
    need update-mime-database
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    mkdir -p "$work/mime/packages"
    cp "$share/mime/packages/carexa.xml" "$work/mime/packages/"
    out=$(update-mime-database "$work/mime" 2>&1 | grep -v -e '^Note that' -e 'in the search path' \
        -e 'set by the XDG' -e 'environment variables' -e 'be able to find it' \
        -e 'directories currently searched' -e '^- ' -e '^$' || true)
    [ -z "$out" ] || fail "update-mime-database: $out"
    grep -qx 'application/x-carexa-project:\*\.mdl' <(cut -d: -f2- "$work/mime/globs2") \
        || fail "*.mdl is not application/x-carexa-project"
    grep -qx 'application/x-carexa-project text/plain' "$work/mime/subclasses" \
        || fail "a project is not text"
    grep -q 'MimeType=.*application/x-carexa-project;' "$share/applications/$app.desktop" \
        || fail "the desktop entry does not open projects"
    ;;

manpages)
    need man
    for page in carexa carexa-sim; do
        file=$share/man/man1/$page.1.gz
        # As lintian renders them: no message from groff.
        messages=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
            "$file" 2>&1 >/dev/null)
        [ -z "$messages" ] || fail "$page(1): $messages"
        text=$(MANWIDTH=200 man -l "$file" 2>/dev/null | col -b)
        for section in NAME SYNOPSIS DESCRIPTION "SEE ALSO"; do
            grep -q "^$section" <<<"$text" || fail "$page(1) has no $section"
        done
    done
    # carexa-sim(1) has every command and every option --help names, and carexa(1) the window's
    # options.
    sim=$(MANWIDTH=200 man -l "$share/man/man1/carexa-sim.1.gz" 2>/dev/null | col -b)
    help=$("$root/usr/bin/carexa-sim" --help)
    for command in $(sed -n 's/^\(Usage:\)\? *carexa-sim \([a-z][a-z-]*\) .*/\2/p' <<<"$help"); do
        grep -q "^ *carexa-sim $command " <<<"$sim" || fail "carexa-sim(1) lacks $command"
    done
    for option in $(grep -o '^  --[a-z-]*' <<<"$help" | sort -u); do
        grep -q -- "$option" <<<"$sim" || fail "carexa-sim(1) lacks $option"
    done
    window=$(MANWIDTH=200 man -l "$share/man/man1/carexa.1.gz" 2>/dev/null | col -b)
    for option in --help --version PROJECT.mdl; do
        grep -q -- "$option" <<<"$window" || fail "carexa(1) lacks $option"
    done
    ;;

*)
    echo "unknown check $check" >&2
    exit 2
    ;;
esac
echo "PASS: $check"
