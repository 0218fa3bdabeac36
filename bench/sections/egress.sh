# Section "egress" of scripts/bench: orvik-egress as a whole process on the
# sample with its scenario (in/station.toml, thousands of people until all
# are out) and on a generated 33,000-cell station with every room full,
# each with the quickest route (the default) and the nearest; --blocked on
# the sample's 8 doors; and bench/egress_script.py, the same model in numpy
# and plain Python, timed beside it and compared with it cell by cell.

# A limit that fails gives status 1, which is an answer, not a failure.
egress_ok() { "$@"; [ $? -le 1 ]; }

section_egress() {
  build_targets "$dir" orvik-egress orvik_write_plan
  local plans="$out/egress" file="$out/egress.txt" name folder scenario route load_start
  load_start=$(cut -d' ' -f1-3 /proc/loadavg)
  mkdir -p "$plans"
  "$dir/orvik_write_plan" 33000 "$plans/station33k" >/dev/null
  # The generated station's cells are all of kind FLOOR, rooms and corridors.
  printf '%s\n' 'cell_side = 0.5' '[kinds.FLOOR]' 'speed = 1.33' 'flow = 1.365' 'jam = 5.4' \
    '[people.density]' 'FLOOR = 1.0' >"$plans/station33k/station.toml"
  : >"$file"
  for name in sample station33k; do
    if [ "$name" = sample ]; then folder=$PWD/in; else folder=$plans/station33k; fi
    scenario=$folder/station.toml
    for route in quickest nearest; do
      { "$dir/orvik-egress" --plan "$folder" --route "$route" --json || [ $? -le 1 ]; } |
        python3 -c 'import json, sys
r = json.load(sys.stdin)
print(r["cells"], r["steps"], r["people"], r["everyoneOutSeconds"])' |
        awk -v p="$name" -v r="$route" '{ print "facts", p, r, $1, $2, $3, $4 }' >>"$file"
      echo "timing orvik-egress on $name, $route route ($runs runs)..." >&2
      record "$file" "egress-$route" "$name" bash -c "$(declare -f egress_ok); egress_ok \"\$@\"" _ \
        "$dir/orvik-egress" --plan "$folder" --route "$route" --times "$plans/$name-$route.csv"
    done
  done
  echo "timing orvik-egress --blocked on the sample ($runs runs)..." >&2
  record "$file" blocked sample bash -c "$(declare -f egress_ok); egress_ok \"\$@\"" _ \
    "$dir/orvik-egress" --plan "$PWD/in" --blocked
  # The script: the nearest route a few times, the quickest once (its route
  # walk is plain Python, about half a minute on the sample).
  local script_runs=${SCRIPT_RUNS:-3}
  for name in sample station33k; do
    if [ "$name" = sample ]; then folder=$PWD/in; else folder=$plans/station33k; fi
    echo "timing bench/egress_script.py on $name ($script_runs runs, nearest; 1, quickest)..." >&2
    runs=$script_runs record "$file" script-nearest "$name" /usr/bin/python3 bench/egress_script.py \
      "$folder" "$folder/station.toml" "$plans/script.csv" --route nearest
    /usr/bin/python3 bench/egress_script.py "$folder" "$folder/station.toml" "$plans/script.csv" \
      --route nearest --against "$plans/$name-nearest.csv" 2>/dev/null |
      sed "s|^$plans/$name-nearest.csv: |agree $name nearest |" >>"$file"
    runs=1 record "$file" script-quickest "$name" /usr/bin/python3 bench/egress_script.py \
      "$folder" "$folder/station.toml" "$plans/script.csv"
    /usr/bin/python3 bench/egress_script.py "$folder" "$folder/station.toml" "$plans/script.csv" \
      --against "$plans/$name-quickest.csv" 2>/dev/null |
      sed "s|^$plans/$name-quickest.csv: |agree $name quickest |" >>"$file"
  done

  awk -v runs="$runs" -v sruns="$script_runs" -v load="$load_start" \
      -v load_end="$(cut -d' ' -f1-3 /proc/loadavg)" '
    $1 == "facts" { cells[$2] = $4; steps[$2, $3] = $5; people[$2] = $6; outs[$2, $3] = $7; next }
    $1 == "agree" { line = $0; sub(/^agree [^ ]+ [^ ]+ /, "", line); ag[$2, $3] = line; next }
    { t[$1, $2] = $3; lo[$1, $2] = $4; hi[$1, $2] = $5 }
    function cell(what, plan) { return sprintf(" %9.0f (%5.0f-%5.0f)", t[what, plan], lo[what, plan], hi[what, plan]) }
    function ns(route, plan) { return sprintf(" %23.1f", t["egress-" route, plan] * 1e6 / (cells[plan] * steps[plan, route])) }
    END {
      printf "\norvik-egress (load average at start %s, at end %s)\n", load, load_end
      printf "whole processes: wall ms, median (min-max) of %d (the script: of %d for the nearest route, 1 for the quickest)\n", runs, sruns
      printf "%-44s %23s %23s\n", "", "sample", "station33k"
      printf "%-44s %23d %23d\n", "cells", cells["sample"], cells["station33k"]
      printf "%-44s %23.0f %23.0f\n", "people", people["sample"], people["station33k"]
      for (r = 1; r <= 2; ++r) {
        route = r == 1 ? "quickest" : "nearest"
        printf "%s route\n", route
        printf "%-44s %23.1f %23.1f\n", "  everyone out, s", outs["sample", route], outs["station33k", route]
        printf "%-44s %23d %23d\n", "  steps", steps["sample", route], steps["station33k", route]
        printf "%-44s%s%s\n", "  orvik-egress" (r == 1 ? " (goal: sample < 1000)" : ""), cell("egress-" route, "sample"), cell("egress-" route, "station33k")
        printf "%-44s%s%s\n", "  bench/egress_script.py", cell("script-" route, "sample"), cell("script-" route, "station33k")
        printf "%-44s %22.0fx %22.0fx\n", "  script / orvik-egress (goal: 20x)", t["script-" route, "sample"] / t["egress-" route, "sample"], t["script-" route, "station33k"] / t["egress-" route, "station33k"]
        printf "%-44s%s%s\n", "  ns per cell and step, whole process", ns(route, "sample"), ns(route, "station33k")
        for (p = 1; p <= 2; ++p) { plan = p == 1 ? "sample" : "station33k"; printf "  the script against orvik-egress on %s: %s\n", plan, ag[plan, route] }
      }
      printf "%-44s%s\n", "orvik-egress --blocked, 8 doors (goal: < 5000)", cell("blocked", "sample")
    }' "$file"
}
