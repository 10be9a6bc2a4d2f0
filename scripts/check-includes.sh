#!/usr/bin/env bash
# Holds every folder to its include rule: a layer includes only the layers
# below it (docs/development.md draws them). Prints each broken rule as
# FILE:LINE and exits 1 when there is any.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
    [codec]=""
    [platform]=""
    [image]="codec platform"
    [link]="codec platform"
    [transfer]="codec platform image link"
    [backup]="codec platform image link transfer"
    [dialog]="codec platform image link transfer backup"
    [cli]="codec platform image link transfer backup"
    [sim]="codec platform link"
)

broken=0
for folder in "${!allowed[@]}"; do
    [ -d "$folder" ] || continue
    while IFS=: read -r file line text; do
        target=${text#*\"}
        target=${target%%/*}
        [ "$target" = "$folder" ] && continue
        case " ${allowed[$folder]} " in
            *" $target "*) ;;
            *)
                echo "$file:$line: $folder/ may not include ${text#*#include }"
                broken=1
                ;;
        esac
    done < <(grep -rn --include='*.h' --include='*.cpp' -E '^#include "[a-z]+/' "$folder" || true)
done
if [ "$broken" -ne 0 ]; then
    echo "check-includes: a layer includes one above it or beside it (docs/development.md)" >&2
    exit 1
fi
echo "check-includes: every layer includes only what its rule allows"
