// The steps of the flow model (see model.h): release the people who have
// crossed their cell, let every cell send them on, accept what the
// receiving cells have room for, record, re-estimate the routes.
#include <algorithm>
#include <cmath>

#include "flow_state.h"

namespace {

void prepareKinds(FlowState& s, const PlanGraph& g, const EgressInput& in) {
  const std::vector<KindFlow>& sets = figureSets(in);
  const std::size_t kinds = sets.size();
  double fastest = 0.0;
  for (const KindFlow& k : sets) fastest = std::max(fastest, k.speed);
  s.dwellWhole.resize(kinds);
  s.dwellPart.resize(kinds);
  s.flowStep.resize(kinds);
  s.maxPeople.resize(kinds);
  s.crossSeconds.resize(kinds);
  int longest = 1;
  for (std::size_t k = 0; k < kinds; ++k) {
    // Steps to cross a cell: fastest / speed, at least 1.
    const double dwell = std::max(1.0, fastest / sets[k].speed);
    s.dwellWhole[k] = static_cast<int>(std::floor(dwell));
    s.dwellPart[k] = dwell - s.dwellWhole[k];
    s.flowStep[k] = sets[k].flow * in.cellSide * s.dt;
    s.maxPeople[k] = sets[k].jam * s.area;
    s.crossSeconds[k] = dwell * s.dt;
    longest = std::max(longest, s.dwellWhole[k]);
  }
  s.ringSize = longest + 2;
  (void)g;
}

void prepareCells(FlowState& s, const PlanGraph& g, const EgressInput& in) {
  const std::size_t n = g.number.size();
  s.people.assign(n, 0.0);
  s.ready.assign(n, 0.0);
  s.ring.assign(n * static_cast<std::size_t>(s.ringSize), 0.0);
  s.send.assign(n * kGraphSides, 0.0);
  s.demand.assign(n, 0.0);
  s.arrive.assign(n, 0.0);
  s.outNow.assign(n, 0.0);
  s.exitDoor.assign(n, -1);
  for (std::size_t i = 0; i < in.exits.size(); ++i) {
    s.exitDoor[static_cast<std::size_t>(in.exits[i])] = in.doorOfExit[i];
  }
  s.lastHeld.assign(n, -1);
  s.peak.assign(n, 0.0);
  s.denseSteps.assign(n, 0);
  s.live.assign((n + 63) / 64, 0);
  s.targets.clear();
  s.doorOut.assign(static_cast<std::size_t>(std::max(in.doorCount, 0)), 0.0);
  s.out = 0.0;
}

// `persons` enter cell c in the step whose slot of the ring is `now`
// (step % ringSize): they have crossed it after its dwell, at the speed of
// the way they will leave it. A dwell is shorter than the ring by at least
// two steps, so a slot wraps round once at most.
void enter(FlowState& s, std::size_t c, double persons, int now) {
  const std::size_t k = leavingFigure(s, c);
  const std::size_t base = c * static_cast<std::size_t>(s.ringSize);
  const auto wrap = [&](int slot) { return static_cast<std::size_t>(slot < s.ringSize ? slot : slot - s.ringSize); };
  const int whole = now + s.dwellWhole[k];
  const double part = s.dwellPart[k];
  s.ring[base + wrap(whole)] += persons * (1.0 - part);
  if (part > 0.0) s.ring[base + wrap(whole + 1)] += persons * part;
  s.people[c] += persons;
  setLive(s, c);
}

// A live cell that holds nobody and has nobody due leaves the live cells,
// as a cell that the steps need not visit: it sends nothing and its
// outflow in the step is nought.
bool stillLive(FlowState& s, std::size_t c) {
  if (s.people[c] > 0.0 || s.ready[c] > 0.0) return true;
  const double* due = &s.ring[c * static_cast<std::size_t>(s.ringSize)];
  for (int i = 0; i < s.ringSize; ++i) {
    if (due[i] != 0.0) return true;
  }
  s.live[c / 64] &= ~(std::uint64_t{1} << (c % 64));
  return false;
}

double sideCapacity(const FlowState& s, std::size_t from, int k, std::size_t to) {
  const Travel way = travelAcross(s, from, k);
  return std::min(s.flowStep[figureOf(s, from, way)], s.flowStep[figureOf(s, to, way)]);
}

// Everything a cell wants to send in step t, from the state at its start:
// all who have crossed it, up to the summed capacity of its ways, shared
// among them by capacity.
void gatherSends(FlowState& s, int t) {
  const auto slot = static_cast<std::size_t>(t % s.ringSize);
  forLiveCells(s, [&](std::size_t c) {
    ++s.visits;
    double& due = s.ring[c * static_cast<std::size_t>(s.ringSize) + slot];
    s.ready[c] += due;
    due = 0.0;
    s.outNow[c] = 0.0;
    double* send = &s.send[c * kGraphSides];
    std::fill(send, send + kGraphSides, 0.0);
    const std::uint8_t ways = s.ways[c];
    if (!stillLive(s, c) || s.ready[c] <= 0.0 || ways == kLeaveWay || ways == 0) return;
    double capacity = 0.0;
    for (int k = 0; k < kGraphSides; ++k) {
      if ((ways & (1 << k)) == 0) continue;
      send[k] = sideCapacity(s, c, k, static_cast<std::size_t>(s.graph.move[c][static_cast<std::size_t>(k)]));
      capacity += send[k];
    }
    const double share = std::min(s.ready[c], capacity) / capacity;
    for (int k = 0; k < kGraphSides; ++k) {
      if (send[k] <= 0.0) continue;
      send[k] *= share;
      const auto to = static_cast<std::size_t>(s.graph.move[c][static_cast<std::size_t>(k)]);
      // A share can round a send to nought; such a cell is no target yet.
      if (send[k] > 0.0 && s.demand[to] == 0.0) s.targets.push_back(static_cast<std::int32_t>(to));
      s.demand[to] += send[k];
    }
  });
}

// The share of what is sent into each cell that it has room for, left in
// `demand` (1 where nothing is sent).
void shareRoom(FlowState& s) {
  for (const std::int32_t target : s.targets) {
    const auto c = static_cast<std::size_t>(target);
    const double wanted = s.demand[c];
    const double room = std::max(0.0, s.maxPeople[figureOf(s, c, Travel::None)] - s.people[c]);
    s.demand[c] = wanted <= room ? 1.0 : room / wanted;
  }
}

// Everyone sent leaves first; then the arrivals, summed per cell in the
// order of their senders, enter: no result depends on which cell is taken
// first.
void moveSends(FlowState& s, int t) {
  forLiveCells(s, [&](std::size_t c) {
    if (s.ready[c] <= 0.0) return;
    double moved = 0.0;
    if (s.ways[c] == kLeaveWay) {
      moved = std::min(s.ready[c], s.flowStep[figureOf(s, c, Travel::None)]);
      s.doorOut[static_cast<std::size_t>(s.exitDoor[c])] += moved;
      s.out += moved;
    }
    for (int k = 0; k < kGraphSides; ++k) {
      const double sent = s.send[c * kGraphSides + static_cast<std::size_t>(k)];
      if (sent <= 0.0) continue;
      const auto to = static_cast<std::size_t>(s.graph.move[c][static_cast<std::size_t>(k)]);
      const double entered = sent * s.demand[to];
      s.arrive[to] += entered;
      moved += entered;
    }
    s.ready[c] = std::max(0.0, s.ready[c] - moved);
    s.people[c] = std::max(0.0, s.people[c] - moved);
    s.outNow[c] = moved;
  });
  const int now = t % s.ringSize;
  for (const std::int32_t target : s.targets) {
    const auto c = static_cast<std::size_t>(target);
    if (s.arrive[c] > 0.0) enter(s, c, s.arrive[c], now);
    s.arrive[c] = 0.0;
    s.demand[c] = 0.0;
  }
  s.targets.clear();
}

void noteCells(FlowState& s, int t) {
  const double dense = kDenseCrowd * s.area;
  forLiveCells(s, [&](std::size_t c) {
    if (s.people[c] < kPersonTrace) return;
    s.lastHeld[c] = t;
    s.peak[c] = std::max(s.peak[c], s.people[c]);
    if (t > 0 && s.people[c] >= dense) ++s.denseSteps[c];
  });
}

double onPlan(const FlowState& s) {
  double sum = 0.0;
  for (const double p : s.people) sum += p;
  return sum;
}

// People in cells from which no exit is reached; they never leave.
double withoutWayOut(const FlowState& s) {
  double sum = 0.0;
  for (std::size_t c = 0; c < s.people.size(); ++c) {
    if (s.nearest.toward[c] == kNoStep) sum += s.input.people[c];
  }
  return sum;
}

void noteDoors(const FlowState& s, const std::vector<double>& before, double seconds,
               std::vector<DoorOutcome>& doors) {
  for (std::size_t d = 0; d < doors.size(); ++d) {
    const double now = s.doorOut[d] - before[d];
    if (now < kPersonTrace) continue;
    DoorOutcome& door = doors[d];
    if (door.firstOut == kNever) door.firstOut = seconds;
    door.lastOut = seconds;
    door.peakFlow = std::max(door.peakFlow, now / s.dt);
  }
}

// Per cell and per kind, once the run has ended after `steps`.
void finishCells(const FlowState& s, int steps, EgressOutcome& r) {
  const std::size_t n = s.graph.number.size();
  const double start = s.input.preMovementSeconds;
  const std::vector<double> free = freeClearSeconds(s);
  r.clearSeconds.assign(n, kNever);
  r.peakDensity.assign(n, 0.0);
  r.waitSeconds.assign(n, kNever);
  r.walkSeconds.assign(n, kNever);
  r.denseSeconds.assign(n, 0.0);
  r.kindCleared.assign(s.graph.kindWords.size(), 0.0);
  std::vector<bool> kindLeft(s.graph.kindWords.size(), false);
  for (std::size_t c = 0; c < n; ++c) {
    r.peakDensity[c] = s.peak[c] / s.area;
    r.denseSeconds[c] = s.denseSteps[c] * s.dt;
    if (s.nearest.toward[c] != kNoStep) r.walkSeconds[c] = s.nearest.cost[c];
    if (s.lastHeld[c] < 0) continue;
    const std::size_t k = s.graph.kind[c];
    if (s.lastHeld[c] == steps) {  // still holds someone
      kindLeft[k] = true;
      continue;
    }
    const double clear = start + (s.lastHeld[c] + 1) * s.dt;
    r.clearSeconds[c] = clear;
    r.waitSeconds[c] = std::max(0.0, clear - start - std::max(free[c], 0.0));
    r.kindCleared[k] = std::max(r.kindCleared[k], clear);
  }
  for (std::size_t k = 0; k < kindLeft.size(); ++k) {
    if (kindLeft[k]) r.kindCleared[k] = kNever;
  }
}

}  // namespace

double stepSeconds(const PlanGraph& graph, const EgressInput& input) {
  double fastest = 0.0;
  for (std::size_t k = 0; k < graph.kindWords.size() && k < input.kinds.size(); ++k) {
    fastest = std::max(fastest, input.kinds[k].speed);
  }
  for (const KindFlow& f : input.figures) fastest = std::max(fastest, f.speed);
  return input.cellSide / fastest;
}


PlanGraph openPlan(const PlanGraph& graph, const EgressInput& input) {
  PlanGraph open = graph;
  for (std::size_t c = 0; c < input.closedSides.size() && c < open.move.size(); ++c) {
    for (int k = 0; k < kGraphSides; ++k) {
      if ((input.closedSides[c] & (1 << k)) != 0) open.move[c][static_cast<std::size_t>(k)] = kNoIndex;
    }
  }
  return open;
}

namespace {

EgressOutcome runOpen(const PlanGraph& graph, const EgressInput& input, const StepObserver& observe) {
  FlowState s{graph, input};
  s.dt = stepSeconds(graph, input);
  s.area = input.cellSide * input.cellSide;
  prepareKinds(s, graph, input);
  prepareCells(s, graph, input);
  s.into = movesInto(graph);
  planNearestRoutes(s);
  for (std::size_t c = 0; c < graph.number.size(); ++c) {
    if (input.people[c] > 0.0) enter(s, c, input.people[c], 0);
  }
  noteCells(s, 0);
  if (input.route == RouteChoice::Quickest) estimateRoutes(s);  // the crowd is seen from the start

  EgressOutcome r{};
  r.step = s.dt;
  r.placed = onPlan(s);
  r.noWayOut = withoutWayOut(s);
  r.everyoneOut = kNever;
  r.doors.assign(s.doorOut.size(), DoorOutcome{0.0, kNever, kNever, 0.0});
  const int lastStep = static_cast<int>(std::ceil(input.maxSeconds / s.dt));
  const int reroute = std::max(1, static_cast<int>(std::lround(input.rerouteSeconds / s.dt)));
  std::vector<double> before(s.doorOut.size());
  int t = 0;
  while (t < lastStep && r.placed - s.out - r.noWayOut >= kPersonTrace) {
    ++t;
    before = s.doorOut;
    gatherSends(s, t);
    shareRoom(s);
    moveSends(s, t);
    noteCells(s, t);
    const double seconds = input.preMovementSeconds + t * s.dt;
    noteDoors(s, before, seconds, r.doors);
    if (input.route == RouteChoice::Quickest) {
      rememberOutflow(s);
      if (t % reroute == 0) estimateRoutes(s);
    }
    if (observe) observe(StepView{t, seconds, s.out, s.doorOut, s.people});
  }
  r.steps = t;
  r.out = s.out;
  r.cellVisits = s.visits;
  const double left = onPlan(s);
  if (left < kPersonTrace) r.everyoneOut = input.preMovementSeconds + t * s.dt;
  for (std::size_t d = 0; d < r.doors.size(); ++d) r.doors[d].people = s.doorOut[d];
  finishCells(s, t, r);
  return r;
}

}  // namespace

EgressOutcome runEgress(const PlanGraph& graph, const EgressInput& input, const StepObserver& observe) {
  if (input.closedSides.empty()) return runOpen(graph, input, observe);
  const PlanGraph open = openPlan(graph, input);
  return runOpen(open, input, observe);
}
