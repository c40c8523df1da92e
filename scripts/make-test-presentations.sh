#!/usr/bin/env bash
# make-test-presentations.sh FIXTURE OUTDIR: converts the flat ODP fixture into the formats the
# presentation program must open (.ppt, .pps, .pptx, .ppsx, .odp) with an
# office of its own (private profile), so that a user's running office is neither reached nor
# disturbed.
set -euo pipefail

if [[ $# -ne 2 ]]; then
  echo "usage: $0 FIXTURE OUTDIR" >&2
  exit 2
fi
fixture=$1
outdir=$2
name=$(basename "${fixture%.*}")

mkdir -p "$outdir"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT

for format in ppt pps pptx ppsx odp; do
  # A hung conversion must not hang the tests.
  timeout 120 soffice --headless --norestore --nolockcheck \
    "-env:UserInstallation=file://$profile" \
    --convert-to "$format" --outdir "$outdir" "$fixture" >/dev/null 2>&1
  if [[ ! -s "$outdir/$name.$format" ]]; then
    echo "$0: conversion to $format failed" >&2
    exit 1
  fi
done
