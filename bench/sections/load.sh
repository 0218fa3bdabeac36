# Section "load" of scripts/bench: loadScene and its four steps on the
# sample and on generated plans against a baseline that only reads the mesh
# file and splits it into fields; the checker's geodesic times beside the
# side-move walk; the colour scale per call; one frame in a real window;
# the program's start-up to its first complete picture.

section_load() {
  build_targets "$dir" orvik orvik_scene_bench orvik_frame_bench orvik_cold_load
  load_at_start=$(cut -d' ' -f1-3 /proc/loadavg)
  echo "running the start-up benchmarks ($repetitions repetitions each)..." >&2
  # Repetitions in random order, so that a busy spell of the machine hits
  # every benchmark alike instead of all repetitions of one.
  (cd "$dir" && ./orvik_scene_bench --benchmark_repetitions="$repetitions" --benchmark_min_time=0.1 \
    --benchmark_enable_random_interleaving=true --benchmark_format=json >"$out/scene.json")
  echo "running loadScene once in fresh processes ($startup_runs times)..." >&2
  for _ in $(seq "$startup_runs"); do
    (cd "$dir" && ./orvik_cold_load && ./orvik_cold_load baseline && ./orvik_cold_load faults)
  done >"$out/cold.txt"
  echo "running the frame benchmarks..." >&2
  (cd "$dir" && with_display ./orvik_frame_bench --benchmark_format=json >"$out/frame.json" \
    2>"$out/frame.err")
  echo "timing the program's start-up ($startup_runs runs)..." >&2
  scripts/startup-time "$dir/orvik" "$startup_runs" >"$out/startup.txt"

  {
    bench/bench_json.py "$out/scene.json"
    bench/bench_json.py "$out/frame.json"
    # Cold runs: "cold <what> <ms> ..." lines, one value per run; medians below.
    awk '/^cold loadScene/ { print "cold loadScene", $3; print "cold faults", $5
                             print "cold readMeshFile", $9; print "cold fillQuadVertices", $11
                             print "cold computeTravelTimes", $13; print "cold fillQuadColors", $15 }
         /^cold baseline/  { print "cold baseline", $3; print "cold baselineFaults", $5 }
         /^page fault/     { print "cold faultUs", $3 }' "$out/cold.txt" |
      sort -k1,2 -k3,3n |
      awk '{ key = $1 " " $2; vals[key] = vals[key] " " $3; n[key]++ }
           END { for (k in vals) { split(substr(vals[k], 2), a, " "); print k, "median", a[int((n[k] + 1) / 2)] } }'
    sed -n 's/^median of [0-9]* runs: window after \([0-9.]*\) ms, first complete picture after \([0-9.]*\) ms$/startup window \1\nstartup picture \2/p' \
      "$out/startup.txt"
  } >"$out/figures"

  awk -v load="$load_at_start" -v reps="$repetitions" -v runs="$startup_runs" -v slots="$max_cell_id" \
      -v renderer="$(grep -m 1 '^GL renderer' "$out/frame.err" || true)" \
      -v cpu="$(lscpu | sed -n 's/^Model name: *//p' | head -n 1)" '
    # Fastest repetition of a time, last value of anything else.
    $3 == "median" { v[$1, $2] = $4; next }
    { key = $1 SUBSEP $2
      if ($2 == "cpu_time" || $2 == "real_time") {
        if (!(key in v) || $3 + 0 < v[key]) v[key] = $3 + 0
      } else v[key] = $3 }
    function get(name, what) { return (name SUBSEP what) in v ? v[name, what] : "" }
    function ms(us) { return us == "" ? "-" : sprintf("%.3f", us / 1000) }
    function row(label, step,    i, p) {
      printf "%-36s", label
      for (i = 1; i <= n; ++i) { p = plan[i]; printf " %11s", ms(get(step "/" p, "cpu_time")) }
      printf "\n"
    }
    function perCell(label, step,    i, p, t, c) {
      printf "%-36s", label
      for (i = 1; i <= n; ++i) {
        p = plan[i]; t = get(step "/" p, "cpu_time"); c = get(step "/" p, "cells")
        printf " %11s", (t == "" || c == "" || c == 0) ? "-" : sprintf("%.1f", t * 1000 / c)
      }
      printf "\n"
    }
    function counter(label, name, fmt,    i, p, c) {
      printf "%-36s", label
      for (i = 1; i <= n; ++i) {
        p = plan[i]; c = get("walkCounts/" p "/iterations:1", name)
        printf " %11s", c == "" ? "-" : sprintf(fmt, c)
      }
      printf "\n"
    }
    END {
      split("sample station1k station10k station33k openMiddle openCorner", all, " ")
      for (i = 1; i <= 6; ++i) if (get("loadScene/" all[i], "cpu_time") != "") plan[++n] = all[i]
      printf "ORVIK benchmarks: %s, load average at start %s\n", cpu, load
      printf "start-up: CPU ms, fastest of %d repetitions\n\n", reps
      printf "%-36s", "plan"; for (i = 1; i <= n; ++i) printf " %11s", plan[i]; printf "\n"
      printf "%-36s", "cells"
      for (i = 1; i <= n; ++i) printf " %11d", get("loadScene/" plan[i], "cells")
      printf "\n"
      row("baseline: read + split mesh file", "baseline")
      row("loadScene", "loadScene")
      row("  readMeshFile", "readMeshFile")
      row("  fillQuadVertices", "fillQuadVertices")
      row("  computeTravelTimes", "computeTravelTimes")
      row("  fillQuadColors", "fillQuadColors")
      row("readMeshText (bytes in memory)", "readMeshText")
      row("computeTravelTimes (text in memory)", "computeTravelTimesText")
      row("geodesic times (tools/analysis)", "geodesic")
      printf "%-36s", "geodesic / side-move walk"
      for (i = 1; i <= n; ++i) {
        g = get("geodesic/" plan[i], "cpu_time"); w = get("computeTravelTimesText/" plan[i], "cpu_time")
        printf " %11s", (g == "" || w == "" || w == 0) ? "-" : sprintf("%.2fx", g / w)
      }
      printf "\n"
      row("baseline on bytes in memory", "baselineText")
      row("breadth-first walk (comparison only)", "breadthFirst")
      printf "%-36s", "loadScene / baseline (goal: 3x)"
      for (i = 1; i <= n; ++i) {
        b = get("baseline/" plan[i], "cpu_time"); l = get("loadScene/" plan[i], "cpu_time")
        printf " %10.2fx", l / b
      }
      printf "\n"
      perCell("ns per cell: baseline", "baseline")
      perCell("ns per cell: loadScene", "loadScene")
      perCell("ns per cell: readMeshText", "readMeshText")
      perCell("ns per cell: computeTravelTimes", "computeTravelTimesText")
      perCell("ns per cell: geodesic times", "geodesic")
      counter("walk: cells reached", "reached", "%d")
      counter("walk: stores per reached cell", "storesPerReached", "%.1f")
      counter("walk: most stores into one cell", "mostStoresInOneCell", "%d")
      printf "(fillQuadVertices and fillQuadColors always cover all %d slots, whatever the plan)\n", slots
      printf "\nsample, once in a fresh process as the program runs it: wall ms, median of %d\n", runs
      printf "  %-34s %11.3f  (%d page faults)\n", "loadScene", get("cold", "loadScene"), get("cold", "faults")
      split("readMeshFile fillQuadVertices computeTravelTimes fillQuadColors", cs, " ")
      for (i = 1; i <= 4; ++i) printf "    %-32s %11.3f\n", cs[i], get("cold", cs[i])
      printf "  %-34s %11.3f  (%d page faults)\n", "baseline", get("cold", "baseline"), get("cold", "baselineFaults")
      printf "  %-34s %10.2fx\n", "loadScene / baseline", get("cold", "loadScene") / get("cold", "baseline")
      printf "  %-34s %11.3f\n", "one page fault on this machine, us", get("cold", "faultUs")
      printf "\n%-36s %11.2f\n", "timeToColor, ns per call", get("timeToColor", "cpu_time")

      f = ""
      for (k in v) { split(k, parts, SUBSEP); if (parts[1] ~ /^frame\//) { f = parts[1]; break } }
      split(f, fp, "/"); scene = fp[2]
      printf "\nframe in an 800x600 window, %s: wall ms per frame over 300 frames\n", scene
      printf "%s\n", renderer
      printf "  %-34s %11s %11s %11s\n", "", "mean", "median", "fastest"
      split("frame onDisplay drawCells drawWalls drawLegend", fr, " ")
      split("drawing of onDisplay + glFinish|onDisplay (swap first) + glFinish|drawCells + glFinish|drawWalls + glFinish|drawLegend + glFinish", fl, "|")
      for (i = 1; i <= 5; ++i) {
        name = fr[i] "/" scene "/iterations:300/manual_time"
        printf "  %-34s %11.3f %11.3f %11.3f\n", fl[i], get(name, "real_time"), get(name, "medianMs"),
          get(name, "fastestMs")
      }
      a = "frameAllocations/" scene "/iterations:300"
      printf "  %-34s %11.1f\n", "heap allocations per frame, all", get(a, "allocsPerFrame")
      printf "  %-34s %11.1f\n", "  of them by this program", get(a, "ownAllocsPerFrame")
      printf "  %-34s swap %.1f, drawLegend %.1f, setMapView %.1f, drawCells %.1f, drawWalls %.1f\n",
        "  in each step (all in the driver)", get(a, "inSwap"), get(a, "inDrawLegend"),
        get(a, "inSetMapView"), get(a, "inDrawCells"), get(a, "inDrawWalls")

      printf "\nprogram start-up on the sample, median of %d runs (wall ms)\n", runs
      printf "  %-34s %11s\n", "window exists", get("startup", "window")
      printf "  %-34s %11s\n", "first complete picture written", get("startup", "picture")
    }' "$out/figures"
}
