#!/usr/bin/env bash
# docs/DESIGN.md is the map of the sources, so it must name every unit and no unit that is gone.
#   - Every src/<layer>/<Unit>.h or .cpp is named, in backticks, as `<layer>/<Unit>` (with or
#     without .h or .cpp) or as `<Unit>.h` / `<Unit>.cpp`; one name covers both files of a pair.
#   - Every name in backticks that points into the sources (`<layer>/<Unit>`) or the test and
#     benchmark folders (`tests/…`, `bench/…`, `fuzz/…`) names something that exists.
set -u
root=${1:?usage: check_design_map.sh SOURCE_FOLDER}
map=$root/docs/DESIGN.md
layers="text document publish widgets dialogs app cli"
declare -A named=()
while IFS= read -r name; do
    named[$name]=1
done < <(grep -o '`[^`]*`' "$map" | tr -d '`')

status=0
declare -A unnamed=()
for file in "$root"/src/*/*.h "$root"/src/*/*.cpp; do
    relative=${file#"$root"/src/}
    layer=${relative%%/*}
    base=${relative#*/}
    unit=${base%.*}
    for name in "$layer/$unit" "$layer/$unit.h" "$layer/$unit.cpp" "$unit.h" "$unit.cpp"; do
        [ -n "${named[$name]:-}" ] && continue 2
    done
    unnamed[$layer/$unit]=1
done
for unit in "${!unnamed[@]}"; do
    echo "src/$unit is not in docs/DESIGN.md: name \`$unit\` in the table of its layer"
    status=1
done

for name in "${!named[@]}"; do
    case $name in
    tests/* | bench/* | fuzz/*)
        [ -e "$root/${name%/}" ] && continue
        ;;
    */*)
        layer=${name%%/*}
        [[ " $layers " == *" $layer "* && $name != *[[:space:]]* ]] || continue
        [ -e "$root/src/$name" ] || [ -e "$root/src/$name.h" ] || [ -e "$root/src/$name.cpp" ] &&
            continue
        ;;
    *) continue ;;
    esac
    echo "docs/DESIGN.md names \`$name\`, which does not exist"
    status=1
done
[ "$status" = 0 ] && echo "docs/DESIGN.md names every source file, and only files that exist"
exit "$status"
