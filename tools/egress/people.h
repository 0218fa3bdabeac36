// The people CSV of a scenario: a header naming the columns `cell` (the
// mesh cell number) and `people` (persons, a real number from 0 up), in
// any order beside others, then one row per cell; commas, no quoting, LF
// or CR LF. Read a line at a time, so its size costs no memory.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "plan_graph.h"

constexpr std::size_t kPeopleLineBytes = 4096;  // longest line read

// Adds each row's persons to people[index of its cell] (sized to the
// graph). False, with "name:line: message" in `error`, for a missing
// column, a row with another number of fields, a number that is not one,
// negative or not finite, a cell the plan does not have or a cell listed
// twice, a line longer than kPeopleLineBytes, or a cell then above
// `maxPeople` of its kind (persons, one per kind word).
bool addPeopleCsv(const std::string& path, const PlanGraph& graph,
                  const std::vector<double>& maxPeople, std::vector<double>& people,
                  std::string& error);

// addPeopleCsv on text in memory, which messages call `name`.
bool addPeopleCsvText(std::string_view text, const std::string& name, const PlanGraph& graph,
                      const std::vector<double>& maxPeople, std::vector<double>& people,
                      std::string& error);
