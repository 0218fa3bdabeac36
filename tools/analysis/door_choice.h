// Doors as a planner calls them on the command line (--block NAME|NUMBER):
// by the name plan2mesh wrote in the exit cells' tags (door=NAME), else by
// the door's number in the order of the exit file (door_groups.h). Shared
// by orvik-check and orvik-render so that both take and refuse the same.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Pure: `names` holds each door's name ("" for none), door 1 first. The
// index in `names` of the door `given` calls, by name first (plan2mesh
// never writes a number as a name), then by 1-based number; -1 for none.
int findDoor(const std::vector<std::string>& names, const std::string& given);

// Pure: the one line that refuses `given`: it names no door, and the doors
// are listed by number and name ("none" when there is none).
std::string unknownDoorMessage(const std::vector<std::string>& names, const std::string& given);

// Pure: the name orvik-check --exits-dir gives the exit file of door
// `number` (1-based), whose first exit cell stands at grid column, row:
// "door<number>-c<column>-r<row>.dat".
std::string doorExitFileName(int number, int column, int row);
