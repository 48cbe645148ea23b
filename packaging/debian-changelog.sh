#!/bin/sh
# Writes the Debian changelog of the package, gzipped as Debian wants it, from CHANGELOG.md:
#   debian-changelog.sh CHANGELOG.md VERSION MAINTAINER OUTPUT.gz
# Each released section ("## 1.00 - 2026-12-07") becomes one entry and its "- " items the
# entry's "*" items; "Unreleased" is left out. Fails when the newest release is not VERSION, so
# the package and the changelog cannot tell different versions.

set -eu

changelog=$1
version=$2
maintainer=$3
output=$4

newest=$(sed -n 's/^## \([^ ]*\) - .*/\1/p' "$changelog" | head -n 1)
[ "$newest" = "$version" ] || {
    echo "$changelog: the newest release is '$newest', the program's version is $version" >&2
    exit 1
}

# Blocks of "release<TAB>date" header lines, item lines and continuation lines; the date is
# turned into the RFC 2822 form by date(1) below.
awk -v maintainer="$maintainer" '
    function close_entry() {
        if (open) printf "\n -- %s  @DATE:%s@\n\n", maintainer, date
        open = 0
    }
    /^## / {
        close_entry()
        if ($2 == "Unreleased") next
        date = $4
        printf "orvanix (%s) unstable; urgency=medium\n\n", $2
        open = 1
        next
    }
    !open { next }
    /^- / { sub(/^- /, ""); printf "  * %s\n", $0; next }
    /^  [^ ]/ { sub(/^  /, ""); printf "    %s\n", $0; next }
    END { close_entry() }
' "$changelog" | while IFS= read -r line; do
    case "$line" in
    *@DATE:*@) day=${line#*@DATE:}; day=${day%@}
        printf '%s%s\n' "${line%%@DATE:*}" "$(LC_ALL=C date -u -R -d "$day")" ;;
    *) printf '%s\n' "$line" ;;
    esac
done | sed '$d' | gzip -9n >"$output"
