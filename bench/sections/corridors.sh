# Section "corridors" of scripts/bench: orvik-check --geodesic as a whole
# process on one-cell corridors as long as the table allows: straight (an
# exit at each end, also with --blocked), a zig-zag of legs of three cells
# and a diagonal staircase of 4,000 cells. Where every cell of a long path
# is a node of it, the search's cost grows with cells times the nodes of a
# path. BASELINE_CHECK=PATH times another orvik-check (an earlier build)
# beside it; CORRIDOR_RUNS=3 sets the runs.

# Plan lines of a corridor: straight CELLS, zigzag CELLS LEG, stair CELLS.
corridor_plan() {
  awk -v kind="$1" -v n="$2" -v leg="${3:-3}" 'BEGIN {
    if (kind == "straight") { s = "E"; for (i = 2; i < n; ++i) s = s "."; print s "E"; exit }
    if (kind == "zigzag") {
      for (done = 0; done < n; ) {
        k = n - done < leg ? n - done : leg; s = ""
        for (i = 0; i < k; ++i) s = s (done == 0 && i == 0 ? "E" : ".")
        while (length(s) < leg) s = s " "
        if (row % 2) { r = ""; for (i = leg; i > 0; --i) r = r substr(s, i, 1); s = r }
        sub(/ +$/, "", s); print s; done += k
        if (done >= n) break
        s = ""; for (i = 1; i <= leg; ++i) s = s ((row % 2 == 0 ? i == leg : i == 1) ? "." : " ")
        sub(/ +$/, "", s); print s; ++done; ++row
      }
      exit
    }
    rows = int((n + 1) / 2)
    for (r = rows - 1; r >= 0; --r) {
      s = ""; for (i = 0; i < r; ++i) s = s " "
      k = n - 2 * r < 2 ? n - 2 * r : 2
      print s substr(r == 0 ? "E." : "..", 1, k)
    }
  }'
}

section_corridors() {
  build_targets "$dir" orvik-check plan2mesh
  local plans="$out/corridors" file="$out/corridors.txt" name checker
  local corridor_runs=${CORRIDOR_RUNS:-3}
  local max=$max_cell_id
  mkdir -p "$plans"
  : >"$file"
  local names=(straight zigzag stair)
  local args=("straight $max" "zigzag $((max - 2)) 3" "stair 4000")
  for i in 0 1 2; do
    name=${names[$i]}
    mkdir -p "$plans/$name"
    # shellcheck disable=SC2086
    corridor_plan ${args[$i]} >"$plans/$name.plan"
    "$dir/plan2mesh" "$plans/$name.plan" "$plans/$name/Mesh.csv" "$plans/$name/ExitGrid.dat"
    echo "cells $name $(grep -c '^[0-9]' "$plans/$name/Mesh.csv")" >>"$file"
  done
  for checker in "$dir/orvik-check" ${BASELINE_CHECK:+"$BASELINE_CHECK"}; do
    local who=now
    [ "$checker" = "$dir/orvik-check" ] || who=baseline
    for name in "${names[@]}"; do
      echo "timing $who orvik-check --geodesic on the $name corridor ($corridor_runs runs)..." >&2
      runs=$corridor_runs record "$file" "$who-geodesic" "$name" "$checker" \
        "$plans/$name/Mesh.csv" "$plans/$name/ExitGrid.dat" --geodesic
    done
    echo "timing $who orvik-check --geodesic --blocked on the straight corridor..." >&2
    runs=$corridor_runs record "$file" "$who-both" straight "$checker" \
      "$plans/straight/Mesh.csv" "$plans/straight/ExitGrid.dat" --geodesic --blocked
  done

  awk -v runs="$corridor_runs" '
    $1 == "cells" { cells[$2] = $3; next }
    { t[$1, $2] = $3; lo[$1, $2] = $4; hi[$1, $2] = $5; if ($1 ~ /^baseline/) base = 1 }
    function cell(k, p) { return (k, p) in t ? sprintf("%9.0f (%.0f-%.0f)", t[k, p], lo[k, p], hi[k, p]) : "" }
    END {
      printf "\norvik-check on one-cell corridors: wall ms, median (min-max) of %d\n", runs
      printf "%-34s %8s %26s", "plan", "cells", "now"
      if (base) printf " %26s %7s", "baseline", "ratio"
      printf "\n"
      split("straight zigzag stair", p, " ")
      for (i = 1; i <= 3; ++i) {
        printf "%-34s %8d %26s", "--geodesic, " p[i], cells[p[i]], cell("now-geodesic", p[i])
        if (base) printf " %26s %7.1f", cell("baseline-geodesic", p[i]), t["baseline-geodesic", p[i]] / t["now-geodesic", p[i]]
        printf "\n"
      }
      printf "%-34s %8d %26s", "--geodesic --blocked, straight", cells["straight"], cell("now-both", "straight")
      if (base) printf " %26s %7.1f", cell("baseline-both", "straight"), t["baseline-both", "straight"] / t["now-both", "straight"]
      printf "\n"
    }' "$file"
}
