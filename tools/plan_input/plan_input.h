// The plan a companion program is pointed at with --plan: a folder that
// holds Mesh.csv and ExitGrid.dat, or a plan file (.plan) that plan2mesh's
// own library converts, either in memory or into a private temporary
// folder that closePlanInput removes.
#pragma once

#include <string>

enum class PlanForm {
  InMemory,  // a .plan's mesh and exit texts kept in PlanInput
  Files,     // a .plan's files written into a private temporary folder
};

struct PlanInput {
  std::string given;       // the --plan argument as given
  bool converted = false;  // a plan file converted by plan2mesh
  std::string meshPath;    // the mesh file to read; for InMemory its name only
  std::string exitPath;    // the exit file to read; for InMemory its name only
  std::string meshText;    // InMemory: the converted mesh file
  std::string exitText;    // InMemory: the converted exit file
  std::string scratchDir;  // Files: the temporary folder to remove; "" none
};

// Pure: true for a path that names a plan file rather than a folder: it
// ends in ".plan".
bool isPlanFilePath(const std::string& path);

// Pure: a plan file's name without its folders and ".plan" (a title's
// default); `path` as isPlanFilePath accepts.
std::string planFileStem(const std::string& path);

// `given` a folder or a .plan file: fills `input`. A folder is only named
// (its files are read, and explained when missing, by the caller); a plan
// file is read and converted. False, with a one-line `error` naming the
// file (and the plan's line:column where plan2mesh refuses it), when the
// plan cannot be read or converted, the temporary folder cannot be written,
// or `given` is neither a folder nor a .plan file.
bool openPlanInput(const std::string& given, PlanForm form, PlanInput& input, std::string& error);

// Removes the temporary folder of a Files conversion, if any; safe to call
// twice.
void closePlanInput(PlanInput& input);
