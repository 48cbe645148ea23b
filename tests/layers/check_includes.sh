#!/usr/bin/env bash
# Every include of the program's own headers names its layer ("document/TableFile.h"), and a layer
# includes only itself and the layers below it:
#   text <- document <- publish <- app, cli;  text <- widgets, dialogs <- app.
set -u
src=${1:?usage: check_includes.sh SOURCE_FOLDER/src}
declare -A allowed=(
    [text]="text"
    [document]="text document"
    [publish]="text document publish"
    [widgets]="text widgets"
    [dialogs]="text dialogs"
    [cli]="text document publish"
    [app]="text document publish widgets dialogs app"
)
status=0
for layer in "${!allowed[@]}"; do
    while IFS=: read -r file line include; do
        header=${include#*\"}
        header=${header%%\"*}
        case $header in
        */*)
            used=${header%%/*}
            [[ " ${allowed[$layer]} " == *" $used "* ]] && continue
            echo "$file:$line: the $layer layer may not include $header"
            ;;
        *)
            compgen -G "$src/*/$header" >/dev/null || continue
            echo "$file:$line: $header is included without its layer"
            ;;
        esac
        status=1
    done < <(grep -n -H '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$src/$layer"/*.cpp "$src/$layer"/*.h 2>/dev/null |
        sed -E 's/^([^:]*):([0-9]+):(.*)$/\1:\2:\3/')
done
[ "$status" = 0 ] && echo "every include names its layer, and each layer includes only those below it"
exit "$status"
