#!/usr/bin/env bash
# Rebuilds the workbooks under tests/data from their committed sources with
# LibreOffice (package libreoffice-calc-nogui): each .fods becomes an .xlsx,
# and that .xlsx becomes the .xls and the .ods. The tests only read the results, so
# LibreOffice is needed only to change a fixture.
set -euo pipefail
cd "$(dirname "$0")"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# Recalculate formulas on load, so that every cached result is written.
mkdir -p "$out/profile/user"
cat > "$out/profile/user/registrymodifications.xcu" <<'XCU'
<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode" oor:op="fuse"><value>0</value></prop></item>
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="ODFRecalcMode" oor:op="fuse"><value>0</value></prop></item>
</oor:items>
XCU
convert() {  # FORMAT FILE
  soffice --headless --norestore -env:UserInstallation=file://"$out"/profile \
    --convert-to "$1" --outdir "$out" "$2" >/dev/null 2>&1
}
for source in *.fods; do
  base=${source%.fods}
  convert xlsx "$source"
  convert xls "$out/$base.xlsx"
  convert ods "$out/$base.xlsx"
  cp "$out/$base.xlsx" "$out/$base.xls" "$out/$base.ods" .
done
ls -l ./*.xlsx ./*.xls ./*.ods
