#!/usr/bin/env bash
# Formats every C++ source file in place as .clang-format says.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# Tracked files plus new files not yet added (and not ignored); skips files deleted from the tree.
mapfile -d '' files < <(git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h')
existing=()
for f in "${files[@]}"; do
  [[ -f "$f" ]] && existing+=("$f")
done

if [[ ${#existing[@]} -eq 0 ]]; then
  echo "format: no C++ files"
  exit 0
fi

clang-format -i "${existing[@]}"
echo "format: formatted ${#existing[@]} files"
