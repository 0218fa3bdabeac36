# Section "pictures" of scripts/bench: plan to PNG, whole process, side by
# side: orvik-render, the script a user would write (bench/map_script.py)
# and the former way through the window (bench/snapshot_via_window.sh); 20
# exit files in one orvik-render call; orvik-render's steps one by one.

section_pictures() {
  build_targets "$dir" orvik orvik-render orvik_write_plan orvik_render_steps
  local plans="$out/plans" i k
  mkdir -p "$plans/exits"
  "$dir/orvik_write_plan" 33000 "$plans/station33k" >"$plans/station33k.cells"
  local names=(sample station33k)
  local folders=("$PWD/in" "$plans/station33k")
  local cells=("$(($(wc -l <in/Mesh.csv) - 3))" "$(cut -d' ' -f1 "$plans/station33k.cells")")
  : >"$out/pictures"
  for i in 0 1; do
    echo "timing plan to PNG on ${names[$i]} ($runs runs each)..." >&2
    record "$out/pictures" render "${names[$i]}" "${headless[@]}" "$dir/orvik-render" \
      --plan "${folders[$i]}" "$out/render.png"
    record "$out/pictures" script "${names[$i]}" "${headless[@]}" /usr/bin/python3 \
      bench/map_script.py "${folders[$i]}" "$out/script.png"
    record "$out/pictures" window "${names[$i]}" bench/snapshot_via_window.sh \
      --program "$dir/orvik" --plan "${folders[$i]}" --wait 0 "$out/window.png"
  done

  # What-ifs: each exit file is the sample's without every 20th exit, from
  # the k-th on.
  local batch=()
  for k in $(seq 0 19); do
    awk -v k="$k" 'NR % 20 != k' in/ExitGrid.dat >"$plans/exits/$k.dat"
    batch+=(--exits "$plans/exits/$k.dat" "$out/batch-$k.png")
  done
  echo "timing 20 exit files in one orvik-render call..." >&2
  record "$out/pictures" batch sample "${headless[@]}" "$dir/orvik-render" --plan in "${batch[@]}"

  echo "timing orvik-render's steps..." >&2
  for _ in $(seq "$runs"); do "${headless[@]}" "$dir/orvik_render_steps" in "$out"; done \
    >"$out/steps.raw"
  step_medians "$out/steps.raw" >"$out/steps"

  awk -v c0="${cells[0]}" -v c1="${cells[1]}" -v runs="$runs" '
    FILENAME ~ /pictures$/ { t[$1, $2] = $3; lo[$1, $2] = $4; hi[$1, $2] = $5; next }
    { s[$1] = $2; b[$1] = $3 }
    function cell(what, plan) { return sprintf(" %8.0f (%4.0f-%4.0f)", t[what, plan], lo[what, plan], hi[what, plan]) }
    function ratio(what, plan) { return sprintf(" %21.1fx", t[what, plan] / t["render", plan]) }
    END {
      printf "\nplan to PNG, whole process from start to PNG written: wall ms, median (min-max) of %d\n", runs
      printf "%-44s %21s %21s\n", "", "sample", "station33k"
      printf "%-44s %21d %21d\n", "cells", c0, c1
      printf "%-44s%s%s\n", "orvik-render (no X server)", cell("render", "sample"), cell("render", "station33k")
      printf "%-44s%s%s\n", "bench/map_script.py (numpy, scipy, matplotlib)", cell("script", "sample"), cell("script", "station33k")
      printf "%-44s%s%s\n", "bench/snapshot_via_window.sh --wait 0", cell("window", "sample"), cell("window", "station33k")
      printf "%-44s%s%s\n", "script / orvik-render (goal: 8x on the sample)", ratio("script", "sample"), ratio("script", "station33k")
      printf "%-44s%s%s\n", "window / orvik-render", ratio("window", "sample"), ratio("window", "station33k")
      printf "\n%-44s%s  (goal: under 1000 ms)\n", "20 exit files of the sample, one call", cell("batch", "sample")
      printf "%-44s %8.0f\n", "  ms a picture after the first", (t["batch", "sample"] - t["render", "sample"]) / 19
      printf "\norvik-render step by step on the sample, once in a fresh process: ms, median of %d\n", runs
      split("context readMesh fillQuadVertices walk fillQuadColors draw:first readBack:first png:first draw:again readBack:again png:again", order, " ")
      for (i = 1; i <= 11; ++i) printf "  %-42s %8.2f\n", order[i], s[order[i]]
      printf "  PNG of the sample packed another way (ms, bytes):\n"
      split("png:z1/none png:z1/sub png:z1/all png:z6/none png:z6/none+sub png:z6/all png:z9/all", packs, " ")
      for (i = 1; i <= 7; ++i) printf "    %-40s %8.2f %9d\n", substr(packs[i], 5), s[packs[i]], b[packs[i]]
      printf "    %-40s %8s %9d\n", "as written (z6/none)", "", b["png:again"]
    }' "$out/pictures" "$out/steps"
}
