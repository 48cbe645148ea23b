#!/bin/sh
# Checks every table file of the repository with `orvanix-feed --check` and holds the verdict
# against what xmllint, an independent parser, finds in the feed built from it:
#   - a table without errors always gives a well-formed feed;
#   - a feed that lacks what readers need (channel title, link or description, the channel's own
#     address, an entry's date or link) comes from a table the check reports errors for;
#   - the bundled example has no findings at all.
# Usage: check_tables.sh ORVANIX_FEED SOURCE_FOLDER
set -u
feed_builder=$1
source_folder=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}

# True when the XPath expression holds in the feed.
holds() {
    [ "$(xmllint --xpath "boolean($1)" "$work/feed.xml" 2>/dev/null)" = true ]
}

for table in "$source_folder"/tests/data/*.tbl "$source_folder"/examples/*.tbl; do
    "$feed_builder" --check --stdout "$table" >"$work/feed.xml" 2>"$work/findings.txt"
    status=$?
    if xmllint --noout "$work/feed.xml" 2>"$work/xmllint.txt"; then
        well_formed=yes
    else
        well_formed=no
    fi
    echo "$table: exit $status, well-formed $well_formed, $(wc -l <"$work/findings.txt") findings"
    sed 's/^/    /' "$work/findings.txt"

    case $status in
    0 | 3) ;;
    *) fail "$table: orvanix-feed exited $status" ;;
    esac
    if [ "$status" -eq 0 ] && [ "$well_formed" = no ]; then
        fail "$table: no errors reported, but xmllint rejects the feed: $(cat "$work/xmllint.txt")"
    fi
    if [ "$well_formed" = yes ] && [ "$status" -eq 0 ]; then
        for lack in \
            "//*[local-name()='channel'][not(*[local-name()='title'])]" \
            "//*[local-name()='channel'][not(*[local-name()='link'])]" \
            "//*[local-name()='channel'][not(*[local-name()='description'])]" \
            "//*[local-name()='channel'][not(@*[local-name()='about'])]" \
            "//*[local-name()='item']/*[local-name()='date'][normalize-space()='']" \
            "//*[local-name()='item']/*[local-name()='link'][normalize-space()='']"; do
            if holds "$lack"; then fail "$table: the feed has $lack, but no error was reported"; fi
        done
    fi
done

example="$source_folder/examples/news.tbl"
"$feed_builder" --check --strict --stdout "$example" >/dev/null 2>"$work/findings.txt" ||
    fail "$example: the check fails"
[ -s "$work/findings.txt" ] && fail "$example: has findings: $(cat "$work/findings.txt")"

[ "$failures" -eq 0 ]
