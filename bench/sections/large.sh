# Section "large" of scripts/bench: orvik-render on generated stations of
# 33,000 to 1,000,000 cells, in a build of its own whose table holds
# 1,000,000 cells (-DORVIK_MAX_CELL_ID=1000000, in BUILD_DIR-1m).

section_large() {
  local big="${dir}-1m" sizes=(33000 100000 330000 1000000) n
  echo "building orvik-render with ORVIK_MAX_CELL_ID=1000000 in $big..." >&2
  cmake -S . -B "$big" -DCMAKE_BUILD_TYPE=Release -DORVIK_BENCH=ON -DBUILD_TESTING=OFF \
    -DORVIK_MAX_CELL_ID=1000000 >/dev/null
  build_targets "$big" orvik-render orvik_write_plan orvik_render_steps
  build_targets "$dir" orvik-render orvik_write_plan
  mkdir -p "$big/pictures"
  : >"$out/large.txt"
  for n in "${sizes[@]}"; do
    echo "timing orvik-render on a generated station of $n cells..." >&2
    "$big/orvik_write_plan" "$n" "$out/large/$n" >"$out/large-$n.cells"
    echo "$n cells $(cut -d' ' -f1 "$out/large-$n.cells")" >>"$out/large.txt"
    record "$out/large.txt" "$n" whole "${headless[@]}" "$big/orvik-render" --plan "$out/large/$n" \
      "$big/pictures/station$n.png"
    for _ in $(seq 3); do "${headless[@]}" "$big/orvik_render_steps" "$out/large/$n" "$out"; done \
      >"$out/steps-$n"
    step_medians "$out/steps-$n" | sed "s/^/$n step /" >>"$out/large.txt"
    ls -l "$big/pictures/station$n.png" | awk -v n="$n" '{ print n, "bytes", $5 }' >>"$out/large.txt"
  done
  record "$out/large.txt" 33000 default "${headless[@]}" "$dir/orvik-render" --plan "$out/large/33000" \
    "$out/d.png"

  awk -v runs="$runs" -v pictures="$big/pictures" -v slots="$max_cell_id" '
    $2 == "cells" { c[$1] = $3 } $2 == "whole" || $2 == "default" { t[$1, $2] = $3 }
    $2 == "step" { s[$1, $3] = $4 } $2 == "bytes" { b[$1] = $3 }
    END {
      split("33000 100000 330000 1000000", n, " ")
      printf "\norvik-render built with ORVIK_MAX_CELL_ID=1000000, generated stations: wall ms\n"
      printf "%-36s", "plan"; for (i = 1; i <= 4; ++i) printf " %11s", n[i]; printf "\n"
      printf "%-36s", "cells"; for (i = 1; i <= 4; ++i) printf " %11d", c[n[i]]; printf "\n"
      printf "%-36s", "whole process, median of " runs; for (i = 1; i <= 4; ++i) printf " %11.0f", t[n[i], "whole"]; printf "\n"
      printf "%-36s", "  per 1000 cells"; for (i = 1; i <= 4; ++i) printf " %11.2f", t[n[i], "whole"] * 1000 / c[n[i]]; printf "\n"
      split("context readMesh fillQuadVertices walk fillQuadColors draw:first readBack:first png:first draw:again", st, " ")
      for (j = 1; j <= 9; ++j) {
        printf "  %-34s", st[j]; for (i = 1; i <= 4; ++i) printf " %11.2f", s[n[i], st[j]]; printf "\n"
      }
      printf "%-36s", "PNG bytes"; for (i = 1; i <= 4; ++i) printf " %11d", b[n[i]]; printf "\n"
      printf "%-36s %11.0f  (table of %d slots)\n", "33000 in the default build", t[33000, "default"], slots
      printf "pictures in %s\n", pictures
    }' "$out/large.txt"
}
