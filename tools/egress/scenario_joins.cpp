// What a scenario makes of the stairs and escalators between levels: their
// figures by direction of travel, each running escalator's capacity spread
// over its width, the escalators' wrong ways and the joins out of service.
#include <algorithm>
#include <cmath>

#include "scenario.h"
#include "travel.h"

namespace {

// Going up a stair passes 0.8 of the people going down: the maritime
// evacuation guidance's 0.88 against 1.1 persons per metre per second.
// No source at hand gives an upward speed; it is taken in the same ratio.
constexpr double kUpShare = 0.88 / 1.1;
// A running escalator carries people at its nominal 0.5 m/s along a 30°
// incline, as speed over the plan, and about 100 persons a minute (station
// practice counts 100 to 120 for a 1 m escalator moving).
constexpr double kRideSpeed = 0.5 * 0.8660254037844386;  // m/s over the plan
constexpr double kEscalatorCapacity = 100.0;             // persons a minute

KindFlow overlay(KindFlow base, const KindFlow& given) {
  if (!std::isnan(given.speed)) base.speed = given.speed;
  if (!std::isnan(given.flow)) base.flow = given.flow;
  if (!std::isnan(given.jam)) base.jam = given.jam;
  return base;
}

// The kind's figures as the scenario resolved them, or its defaults where
// the plan has no such cells.
KindFlow baseOf(const PlanGraph& g, const EgressInput& in, const char* word) {
  const auto at = std::find(g.kindWords.begin(), g.kindWords.end(), word);
  if (at != g.kindWords.end()) return in.kinds[static_cast<std::size_t>(at - g.kindWords.begin())];
  KindFlow f{};
  defaultKindFlow(word, f);
  return f;
}

const KindGiven* givenFor(const Scenario& s, const char* word) {
  const KindGiven* found = nullptr;
  for (const KindGiven& k : s.kinds) found = k.word == word ? &k : found;
  return found;
}

// Down: the kind's own figures; up: kUpShare of them; each under what the
// file gives for that direction.
void addDirections(const Scenario& s, const PlanGraph& g, const char* word, EgressInput& in) {
  const KindFlow base = baseOf(g, in, word);
  const KindGiven* given = givenFor(s, word);
  const KindFlow none{NAN, NAN, NAN};
  in.figures.push_back(overlay(KindFlow{base.speed * kUpShare, base.flow * kUpShare, base.jam},
                               given != nullptr ? given->up : none));
  in.figures.push_back(overlay(base, given != nullptr ? given->down : none));
}

std::uint16_t figureIndex(std::size_t i) { return static_cast<std::uint16_t>(i); }

}  // namespace

bool applyJoins(const Scenario& s, const PlanGraph& g, EgressInput& in, std::vector<bool>& out,
                std::string& error) {
  out.assign(g.joinLabels.size(), false);
  for (const JoinGiven& j : s.outOfService) {
    const auto at = std::find(g.joinLabels.begin(), g.joinLabels.end(), j.label);
    if (at == g.joinLabels.end()) {
      std::string labels;
      for (const std::string& l : g.joinLabels) labels += (labels.empty() ? "" : ", ") + l;
      error = s.path + ":" + std::to_string(j.line) + ": joins.out_of_service: no stair or escalator is labelled \"" +
              j.label + "\" (the plan's: " + (labels.empty() ? "none" : labels) + ")";
      return false;
    }
    out[static_cast<std::size_t>(at - g.joinLabels.begin())] = true;
  }
  if (g.joinLabels.empty()) return true;  // a plan of one level keeps its kinds' figures
  in.figures = in.kinds;
  const std::size_t stairUp = in.figures.size();
  addDirections(s, g, "stair", in);
  const std::size_t escalatorUp = in.figures.size();
  addDirections(s, g, "escalator", in);
  const std::size_t riding = in.figures.size();
  const double speed = std::isnan(s.escalators.speed) ? kRideSpeed : s.escalators.speed;
  const double perMinute = std::isnan(s.escalators.capacity) ? kEscalatorCapacity : s.escalators.capacity;
  const double jam = baseOf(g, in, "escalator").jam;
  for (const int width : joinWidths(g)) {
    in.figures.push_back(KindFlow{speed, perMinute / 60.0 / (width * in.cellSide), jam});
  }
  in.cellFigures.resize(g.number.size());
  for (std::size_t c = 0; c < g.number.size(); ++c) {
    const std::uint16_t own = g.kind[c];
    const GraphJoin& j = g.joinOf[c];
    const std::string& word = g.kindWords[own];
    std::array<std::uint16_t, 3>& f = in.cellFigures[c];
    f = {own, own, own};
    if (j.join < 0 || (word != "stair" && word != "escalator")) continue;
    const std::size_t up = word == "stair" ? stairUp : escalatorUp;
    f = {own, figureIndex(up), figureIndex(up + 1)};
    if (word == "stair" || !s.escalators.running || j.runs == Travel::None) continue;
    const std::uint16_t ride = figureIndex(riding + static_cast<std::size_t>(j.join));
    f[0] = ride;
    f[static_cast<std::size_t>(j.runs)] = ride;  // the other way stays walked
  }
  in.moveTravel = moveTravels(g);
  in.closedSides.assign(g.number.size(), 0);
  closeJoinsOut(g, out, in.closedSides);
  if (s.escalators.running && s.escalators.against == Against::Closed) {
    closeAgainstEscalators(g, in.moveTravel, in.closedSides);
  }
  return true;
}
