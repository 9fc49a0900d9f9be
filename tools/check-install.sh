#!/usr/bin/env bash
# Installs a build folder into a temporary DESTDIR and checks the staged tree the way a desktop
# and a packager see it: every file in place, desktop entry and AppStream metadata valid, the
# manual pages free of troff warnings, the completion answering as bash asks it.
# Usage: tools/check-install.sh BUILD_DIR GUI(ON|OFF)
set -euo pipefail
shopt -s nullglob

build=$1
gui=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
usr="$stage/usr"
id=org.example.FolderInventory

expected=(
    bin/folderinventory-cli
    share/man/man1/folderinventory-cli.1.gz
    share/bash-completion/completions/folderinventory-cli
    share/doc/folderinventory/copyright
    share/doc/folderinventory/changelog.gz
)
if [ "$gui" = ON ]; then
    expected+=(
        bin/folderinventory
        share/man/man1/folderinventory.1.gz
        "share/applications/$id.desktop"
        "share/metainfo/$id.metainfo.xml"
        "share/icons/hicolor/scalable/apps/$id.svg"
    )
    for size in 48 128 256; do
        expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
    done
fi
status=0
for file in "${expected[@]}"; do
    if [ ! -s "$usr/$file" ]; then
        echo "missing from the installed tree: $file" >&2
        status=1
    fi
done

if [ "$gui" = ON ]; then
    desktop-file-validate "$usr/share/applications/$id.desktop" || status=1
    # The tree, not only the file: the metadata must find its desktop entry and icon.
    appstreamcli validate-tree --no-net "$usr" >/dev/null || { appstreamcli validate-tree --no-net --explain "$usr"; status=1; }
    for size in 48 128 256; do
        if ! file -b "$usr/share/icons/hicolor/${size}x${size}/apps/$id.png" |
                grep -q "PNG image data, $size x $size,"; then
            echo "the ${size} px icon is not a ${size} x ${size} PNG" >&2
            status=1
        fi
    done
fi

for page in "$usr"/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        echo "$(basename "$page"): $warnings" >&2
        status=1
    fi
done

# The completion as bash runs it: option names, file names after -o, --compare and --to, folder
# names otherwise.
completion="$usr/share/bash-completion/completions/folderinventory-cli"
mkdir -p "$stage/tree/sub dir" && touch "$stage/tree/a list.txt"
complete_line() {
    (cd "$stage/tree" && source "$completion" && COMP_WORDS=("$@") &&
        COMP_CWORD=$(($# - 1)) && _folderinventory_cli &&
        if [ ${#COMPREPLY[@]} -gt 0 ]; then printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' '|'; fi)
}
expect_completion() {
    local expected=$1 got
    shift
    got=$(complete_line "$@")
    if [ "$got" != "$expected" ]; then
        echo "completion of '$*': got '$got', expected '$expected'" >&2
        status=1
    fi
}
expect_completion "--output|" folderinventory-cli -s --outp
expect_completion "a list.txt|sub dir|" folderinventory-cli -o ""
expect_completion "a list.txt|sub dir|" folderinventory-cli --output = ""
expect_completion "a list.txt|sub dir|" folderinventory-cli --compare ""
expect_completion "a list.txt|sub dir|" folderinventory-cli --compare alt.txt --to ""
expect_completion "sub dir|" folderinventory-cli -s ""
expect_completion "" folderinventory-cli -m ""

exit $status
