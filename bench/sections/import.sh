# Section "import" of scripts/bench: dxf2plan on a drawing of a concourse
# 100 by 200 m (double walls, 312 columns, 800 rooms with doors as blocks,
# names, a floor hatch; bench/import_inputs.py) at 1 m and 0.5 m cells, and
# img2plan on a painted picture of 1,000 by 1,000 pixels: whole processes.

section_import() {
  echo "timing dxf2plan and img2plan on generated drawings and pictures..." >&2
  build_targets "$dir" dxf2plan img2plan
  /usr/bin/python3 bench/import_inputs.py "$out/import"
  : >"$out/import.txt"
  record "$out/import.txt" dxf2plan 1.0 "$dir/dxf2plan" --cell 1 "$out/import/concourse.dxf" "$out/import/c1.plan"
  record "$out/import.txt" dxf2plan 0.5 "$dir/dxf2plan" --cell 0.5 "$out/import/concourse.dxf" "$out/import/c05.plan"
  record "$out/import.txt" img2plan 1000x1000 "$dir/img2plan" "$out/import/painted.png" "$out/import/p.plan"
  local bytes
  bytes=$(stat -c %s "$out/import/concourse.dxf")
  awk -v runs="$runs" -v bytes="$bytes" '
    BEGIN { printf "\nPlans from drawings and pictures (whole process, ms: median min max of %d)\n", runs
            printf "drawing: %.1f MB of DXF, 100 by 200 m\n", bytes / 1e6 }
    $1 == "dxf2plan" { printf "  dxf2plan --cell %-5s %9.1f %9.1f %9.1f\n", $2, $3, $4, $5 }
    $1 == "img2plan" { printf "  img2plan %-12s %9.1f %9.1f %9.1f\n", $2, $3, $4, $5 }' "$out/import.txt"
}
