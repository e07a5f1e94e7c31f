#!/bin/bash
# Checks that the includes inside ui/ run one way: each file has a rank, and a file includes only
# headers of its own rank or lower. Also lists any file of ui/ over 350 lines. Prints each
# include with its ranks; exits non-zero on a violation.
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {
    case $1 in
        ui/model/* | ui/resources.* | ui/text_render.* | ui/skin.*) echo 0 ;;
        ui/pictures.* | ui/binding.h) echo 1 ;;
        ui/window_host.h) echo 2 ;;
        ui/component.*) echo 3 ;;
        ui/controls/*) echo 4 ;;
        ui/loaded_window.* | ui/window_scale.cpp | ui/full_screen.cpp | ui/screen_cover.* | \
            ui/paint_at_once.*) echo 5 ;;
        ui/window_registry.*) echo 6 ;;
        ui/window.*) echo 7 ;;
        ui/property_access.*) echo 8 ;;
        *) echo "unranked: $1" >&2 && echo 99 ;;
    esac
}

bad=0
while IFS=: read -r file header; do
    from=$(rank "$file") to=$(rank "$header")
    verdict=ok
    if ((to > from)); then verdict=UPWARD && bad=1; fi
    printf '%-32s %s -> %-28s %s  %s\n' "$file" "$from" "$header" "$to" "$verdict"
done < <(grep -ro '^#include "ui/[^"]*"' ui | sed 's/#include "\(.*\)"/\1/' | sort)

while read -r lines file; do
    [[ $file == total ]] && continue
    if ((lines > 350)); then echo "$file has $lines lines" && bad=1; fi
done < <(find ui \( -name '*.cpp' -o -name '*.h' \) -exec wc -l {} +)
exit $bad
