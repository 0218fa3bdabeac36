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

  bench/load_table.py "$out/figures" "$load_at_start" "$repetitions" "$startup_runs" "$max_cell_id" \
    "$(grep -m 1 '^GL renderer' "$out/frame.err" || true)" \
    "$(lscpu | sed -n 's/^Model name: *//p' | head -n 1)"
}
