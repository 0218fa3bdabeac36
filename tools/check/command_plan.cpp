// The plan as the command line names it, and the list file of --list.
#include "command_plan.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "files/output_file.h"
#include "plan_input.h"

bool checkAskedPlan(const std::string& planPath, const std::string& meshPath,
                    const std::string& exitPath, const CheckOptions& options, CheckReport& report) {
  if (planPath.empty()) {
    report = checkPlanFiles(meshPath, exitPath, options);
    return true;
  }
  PlanInput input;
  std::string error;
  if (!openPlanInput(planPath, PlanForm::InMemory, input, error)) {
    std::fprintf(stderr, "orvik-check: %s\n", error.c_str());
    return false;
  }
  report = input.converted
               ? checkConvertedPlan(input.given, input.meshText, input.exitText, options)
               : checkPlanFiles(input.meshPath, input.exitPath, options);
  closePlanInput(input);
  return true;
}

void writeOverList(const std::string& listPath, CheckReport& report) {
  if (listPath.empty() || !report.writeFailure.empty()) return;
  if (replacesInput(report, listPath)) {
    report.writeFailure = "the list file " + listPath + " is a file being checked; it is not written";
  } else if (!writeWholeFile(listPath.c_str(), formatOverCsv(report))) {
    report.writeFailure =
        "the list file " + listPath + " could not be written: " + std::strerror(errno);
  } else {
    return;
  }
  std::fprintf(stderr, "orvik-check: %s\n", report.writeFailure.c_str());
}
