// The CSV files of orvik-egress: the cells' times, drawable with
// orvik-render --times FILE --column NAME, and people out over time.
#include <cstdio>

#include "egress.h"

namespace {

void appendNumber(std::string& out, double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  out += text;
}

// A time, or nothing for kNever.
void appendTime(std::string& out, double seconds) {
  if (seconds != kNever) appendNumber(out, seconds, 3);
}

}  // namespace

std::string timesCsv(const PlanGraph& g, const EgressInput& in, const EgressOutcome& r) {
  std::string out = "cell,column,row,kind,people,clear_seconds,peak_density,dense_seconds,wait_seconds,walk_seconds\n";
  for (std::size_t c = 0; c < g.number.size(); ++c) {
    out += std::to_string(g.number[c]) + ',' + std::to_string(g.column[c]) + ',' +
           std::to_string(g.row[c]) + ',' + g.kindWords[g.kind[c]] + ',';
    appendNumber(out, in.people[c], 4);
    out += ',';
    appendTime(out, r.clearSeconds[c]);
    out += ',';
    appendNumber(out, r.peakDensity[c], 4);
    out += ',';
    appendNumber(out, r.denseSeconds[c], 3);
    out += ',';
    appendTime(out, r.waitSeconds[c]);
    out += ',';
    appendTime(out, r.walkSeconds[c]);
    out += '\n';
  }
  return out;
}

std::string curveHeader(const ScenarioOnPlan& on) {
  std::string out = "seconds,out";
  for (std::size_t d = 0; d < on.doorBlocked.size(); ++d) out += ",door" + std::to_string(d + 1);
  return out + '\n';
}

std::string curveRow(double seconds, double out, const std::vector<double>& doorOut) {
  std::string row;
  appendNumber(row, seconds, 3);
  row += ',';
  appendNumber(row, out, 3);
  for (const double d : doorOut) {
    row += ',';
    appendNumber(row, d, 3);
  }
  return row + '\n';
}

void addCurveStep(OutCurve& curve, const StepView& step) {
  if (step.step % curve.stride != 0) return;
  curve.seconds.push_back(step.seconds);
  curve.out.push_back(step.out);
  curve.doorOut.push_back(step.doorOut);
  if (curve.seconds.size() < kMostCurveRows) return;
  // Full: keep every other row (the first, time 0, stays) and take every
  // other step from now on.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < curve.seconds.size(); i += 2) {
    curve.seconds[kept] = curve.seconds[i];
    curve.out[kept] = curve.out[i];
    curve.doorOut[kept] = std::move(curve.doorOut[i]);
    ++kept;
  }
  curve.seconds.resize(kept);
  curve.out.resize(kept);
  curve.doorOut.resize(kept);
  curve.stride *= 2;
}
