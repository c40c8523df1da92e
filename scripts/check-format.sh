#!/usr/bin/env bash
# Fails when a C++ source file is not formatted as .clang-format says.
# Fix with: bash scripts/format.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# Tracked files plus new files not yet added (and not ignored); skips files deleted from the tree.
mapfile -d '' files < <(git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h')
existing=()
for f in "${files[@]}"; do
  [[ -f "$f" ]] && existing+=("$f")
done

if [[ ${#existing[@]} -eq 0 ]]; then
  echo "check-format: no C++ files"
  exit 0
fi

clang-format --dry-run --Werror "${existing[@]}"
echo "check-format: ${#existing[@]} files are formatted"
