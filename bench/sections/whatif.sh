# Section "whatif" of scripts/bench: orvik-check's what-if analyses as whole
# processes (plain, --blocked, --geodesic, both) on the sample and on a
# generated 33,000-cell station, with each plan's doors and the time per
# door; the geodesic times in process beside the side-move walk; the same
# geodesic times from a numpy/scipy script (bench/geodesic_script.py), held
# against orvik-check's and timed beside it; --blocked on checkerboards of
# exits, where every exit cell is a door of its own.

# Median of field FIELD over the lines of FILE.
median_of() {
  awk -v f="$1" '{ print $f }' "$2" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

section_whatif() {
  build_targets "$dir" orvik-check orvik_write_plan orvik_scene_bench plan2mesh
  local plans="$out/whatif" many_runs=${MANY_DOOR_RUNS:-3} i n name mesh exits method
  local load_start
  load_start=$(cut -d' ' -f1-3 /proc/loadavg)
  mkdir -p "$plans"
  "$dir/orvik_write_plan" 33000 "$plans/station33k" >/dev/null
  local names=(sample station33k)
  local folders=("$PWD/in" "$plans/station33k")
  local file="$out/whatif.txt"
  : >"$file"
  for i in 0 1; do
    name=${names[$i]}
    mesh="${folders[$i]}/Mesh.csv"
    exits="${folders[$i]}/ExitGrid.dat"
    "$dir/orvik-check" "$mesh" "$exits" --blocked --json |
      python3 -c 'import json, sys
r = json.load(sys.stdin)
print(r["mesh"]["cellsStored"], sum(d["exitCells"] for d in r["blocked"]["doors"]), len(r["blocked"]["doors"]))' |
      awk -v p="$name" '{ print "cells", p, $1; print "exitCells", p, $2; print "doors", p, $3 }' >>"$file"
    echo "timing orvik-check on $name ($runs runs each)..." >&2
    record "$file" plain "$name" "$dir/orvik-check" "$mesh" "$exits"
    record "$file" blocked "$name" "$dir/orvik-check" "$mesh" "$exits" --blocked
    record "$file" geodesic "$name" "$dir/orvik-check" "$mesh" "$exits" --geodesic
    record "$file" both "$name" "$dir/orvik-check" "$mesh" "$exits" --blocked --geodesic
    record "$file" geodesicCsv "$name" "$dir/orvik-check" "$mesh" "$exits" --geodesic \
      --times "$plans/check-$name.csv"

    echo "timing bench/geodesic_script.py on $name ($runs runs each)..." >&2
    record "$file" script "$name" /usr/bin/python3 bench/geodesic_script.py "${folders[$i]}" \
      "$plans/script-$name.csv"
    record "$file" grid16 "$name" /usr/bin/python3 bench/geodesic_script.py "${folders[$i]}" \
      "$plans/grid16-$name.csv" --method grid16
    for _ in $(seq "$runs"); do
      /usr/bin/python3 bench/geodesic_script.py "${folders[$i]}" "$plans/script-$name.csv" --timing
    done >"$plans/timing-$name"
    echo "scriptSteps $name $(median_of 3 "$plans/timing-$name") $(median_of 5 "$plans/timing-$name")" \
      >>"$file"
    # The exact visibility-graph times once; every method against the
    # checker's times and against them. Lines: "agree PLAN METHOD AGAINST text".
    echo "finding the exact geodesic times of $name once..." >&2
    /usr/bin/python3 bench/geodesic_script.py "${folders[$i]}" "$plans/exact-$name.csv" \
      --method exact --timing --against "$plans/check-$name.csv" >"$plans/exact-$name"
    awk -v p="$name" 'NR == 1 { print "exactSearch", p, $5 }' "$plans/exact-$name" >>"$file"
    sed -n "s|^$plans/check-$name.csv: |agree $name exact check |p" "$plans/exact-$name" >>"$file"
    for method in anyangle grid16; do
      /usr/bin/python3 bench/geodesic_script.py "${folders[$i]}" "$plans/again.csv" --method "$method" \
        --against "$plans/check-$name.csv" --against "$plans/exact-$name.csv" |
        sed "s|^$plans/check-$name.csv: |agree $name $method check |
             s|^$plans/exact-$name.csv: |agree $name $method exact |" >>"$file"
    done
  done

  echo "timing the geodesic times in process ($repetitions repetitions)..." >&2
  (cd "$dir" && ./orvik_scene_bench --benchmark_filter='^(geodesic|computeTravelTimesText)/(sample|station33k)$' \
    --benchmark_repetitions="$repetitions" --benchmark_min_time=0.1 \
    --benchmark_enable_random_interleaving=true --benchmark_format=json >"$plans/scene.json")
  bench/bench_json.py "$plans/scene.json" |
    awk '$2 == "cpu_time" { split($1, p, "/"); k = p[1] " " p[2]
                            if (!(k in best) || $3 + 0 < best[k]) best[k] = $3 + 0 }
         END { for (k in best) print "inproc", k, best[k] / 1000 }' >>"$file"

  # A room of n by n cells with an exit on every other cell, so that no two
  # exits are joined: n * n / 2 doors.
  for n in 40 60 90; do
    echo "timing orvik-check --blocked on a checkerboard of $n by $n ($many_runs runs)..." >&2
    mkdir -p "$plans/checker$n"
    awk -v n="$n" 'BEGIN { for (r = 0; r < n; ++r) { s = ""
                             for (c = 0; c < n; ++c) s = s ((r + c) % 2 ? "." : "E"); print s } }' \
      >"$plans/checker$n/plan"
    "$dir/plan2mesh" "$plans/checker$n/plan" "$plans/checker$n/Mesh.csv" "$plans/checker$n/ExitGrid.dat"
    echo "checker $n $((n * n)) $(((n * n + 1) / 2))" >>"$file"
    runs=$many_runs record "$file" plainChecker "$n" "$dir/orvik-check" "$plans/checker$n/Mesh.csv" \
      "$plans/checker$n/ExitGrid.dat"
    runs=$many_runs record "$file" blockedChecker "$n" "$dir/orvik-check" "$plans/checker$n/Mesh.csv" \
      "$plans/checker$n/ExitGrid.dat" --blocked
  done

  awk -v runs="$runs" -v reps="$repetitions" -v many="$many_runs" -v load="$load_start" \
      -v load_end="$(cut -d' ' -f1-3 /proc/loadavg)" '
    $1 == "cells" || $1 == "exitCells" || $1 == "doors" { v[$1, $2] = $3; next }
    $1 == "scriptSteps" { readMs[$2] = $3; searchMs[$2] = $4; next }
    $1 == "exactSearch" { exact[$2] = $3; next }
    $1 == "inproc" { ip[$2, $3] = $4; next }
    $1 == "agree" { line = $0; sub(/^agree [^ ]+ [^ ]+ [^ ]+ /, "", line); ag[$2, $3, $4, ++na[$2, $3, $4]] = line; next }
    $1 == "checker" { cn[++nc] = $2; cc[$2] = $3; cd[$2] = $4; next }
    { t[$1, $2] = $3; lo[$1, $2] = $4; hi[$1, $2] = $5 }
    function cell(what, plan) { return sprintf(" %8.0f (%4.0f-%4.0f)", t[what, plan], lo[what, plan], hi[what, plan]) }
    function perDoor(what, base, plan) { return sprintf(" %21.2f", (t[what, plan] - t[base, plan]) / v["doors", plan]) }
    END {
      printf "\nwhat-if analyses (load average at start %s, at end %s)\n", load, load_end
      printf "orvik-check as a whole process: wall ms, median (min-max) of %d\n", runs
      printf "%-44s %21s %21s\n", "", "sample", "station33k"
      printf "%-44s %21d %21d\n", "cells", v["cells", "sample"], v["cells", "station33k"]
      printf "%-44s %21d %21d\n", "exit cells", v["exitCells", "sample"], v["exitCells", "station33k"]
      printf "%-44s %21d %21d\n", "doors (exit cells a move joins count as one)", v["doors", "sample"], v["doors", "station33k"]
      printf "%-44s%s%s\n", "orvik-check", cell("plain", "sample"), cell("plain", "station33k")
      printf "%-44s%s%s\n", "orvik-check --blocked (goal: sample < 500)", cell("blocked", "sample"), cell("blocked", "station33k")
      printf "%-44s%s%s\n", "orvik-check --geodesic", cell("geodesic", "sample"), cell("geodesic", "station33k")
      printf "%-44s%s%s\n", "orvik-check --blocked --geodesic", cell("both", "sample"), cell("both", "station33k")
      printf "%-44s%s%s\n", "  ms a door, --blocked (over plain)", perDoor("blocked", "plain", "sample"), perDoor("blocked", "plain", "station33k")
      printf "%-44s%s%s\n", "  ms a door, both (over --geodesic)", perDoor("both", "geodesic", "sample"), perDoor("both", "geodesic", "station33k")

      printf "\ngeodesic times in process (orvik_scene_bench): CPU ms, fastest of %d repetitions\n", reps
      printf "%-44s %21s %21s\n", "", "sample", "station33k"
      printf "%-44s %21.3f %21.3f\n", "side-move walk (computeTravelTimesText)", ip["computeTravelTimesText", "sample"], ip["computeTravelTimesText", "station33k"]
      printf "%-44s %21.3f %21.3f\n", "geodesic (goal: sample < 20)", ip["geodesic", "sample"], ip["geodesic", "station33k"]
      printf "%-44s %20.2fx %20.2fx\n", "geodesic / side-move walk", ip["geodesic", "sample"] / ip["computeTravelTimesText", "sample"], ip["geodesic", "station33k"] / ip["computeTravelTimesText", "station33k"]
      printf "%-44s %21.1f %21.1f\n", "  ns per cell, geodesic", ip["geodesic", "sample"] * 1e6 / v["cells", "sample"], ip["geodesic", "station33k"] * 1e6 / v["cells", "station33k"]

      printf "\ngeodesic times: orvik-check against bench/geodesic_script.py (numpy, scipy): wall ms, median (min-max) of %d\n", runs
      printf "%-44s %21s %21s\n", "", "sample", "station33k"
      printf "%-44s%s%s\n", "orvik-check --geodesic --times FILE", cell("geodesicCsv", "sample"), cell("geodesicCsv", "station33k")
      printf "%-44s%s%s\n", "script, same method (any angle, heapq)", cell("script", "sample"), cell("script", "station33k")
      printf "%-44s %21.1f %21.1f\n", "  of it: reading, ms", readMs["sample"], readMs["station33k"]
      printf "%-44s %21.1f %21.1f\n", "  of it: the search, ms", searchMs["sample"], searchMs["station33k"]
      printf "%-44s %20.1fx %20.1fx\n", "script / orvik-check (whole processes)", t["script", "sample"] / t["geodesicCsv", "sample"], t["script", "station33k"] / t["geodesicCsv", "station33k"]
      printf "%-44s %20.0fx %20.0fx\n", "script search / in-process geodesic", searchMs["sample"] / ip["geodesic", "sample"], searchMs["station33k"] / ip["geodesic", "station33k"]
      printf "%-44s%s%s\n", "script --method grid16 (other method)", cell("grid16", "sample"), cell("grid16", "station33k")
      printf "%-44s %21.0f %21.0f\n", "script --method exact (once), search ms", exact["sample"], exact["station33k"]
      split("sample station33k", pl, " ")
      split("anyangle grid16 exact", me, " ")
      split("the script (same method)|grid16 (16-neighbour dijkstra, less exact)|exact (visibility graph)", ml, "|")
      for (p = 1; p <= 2; ++p) {
        printf "\nagreement on %s (\"here\": the method named; \"check\": orvik-check --geodesic; \"exact\": the exact times)\n", pl[p]
        for (m = 1; m <= 3; ++m) {
          for (against = 1; against <= 2; ++against) {
            a = against == 1 ? "check" : "exact"
            if ((me[m] == "exact" && a == "exact") || (me[m] == "grid16" && a == "check")) continue
            printf "  %s against %s\n", ml[m], a
            for (k = 1; k <= na[pl[p], me[m], a]; ++k) printf "    %s\n", ag[pl[p], me[m], a, k]
          }
        }
      }

      printf "\norvik-check --blocked on an n by n room with an exit on every other cell: wall ms, median (min-max) of %d\n", many
      printf "  %-6s %8s %8s %23s %23s %12s %14s\n", "n", "cells", "doors", "orvik-check", "--blocked", "ms a door", "ns a door-cell"
      for (i = 1; i <= nc; ++i) {
        n = cn[i]; per = (t["blockedChecker", n] - t["plainChecker", n]) / cd[n]
        printf "  %-6s %8d %8d %s %s %12.2f %14.1f\n", n, cc[n], cd[n], cell("plainChecker", n) "   ", cell("blockedChecker", n) "   ", per, per * 1e6 / cc[n]
      }
    }' "$file"
}
