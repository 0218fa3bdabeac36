// --plan DIR or --plan FILE.plan for orvik-render: each plan checked before
// any picture, each .plan converted once, whatever number of outputs use it.
#include <string>

#include "plan_files.h"

namespace {

constexpr int kBadArgumentStatus = 2;  // as for any wrong argument
constexpr int kBadPlanStatus = 1;      // as for a times CSV that cannot be used

const PlanInput* findOpened(const RenderPlans& plans, const std::string& given) {
  for (const PlanInput& input : plans.opened) {
    if (input.given == given) return &input;
  }
  return nullptr;
}

// The job's paths that stand for its .plan, pointed at the converted files
// (or, for a folder whose name ends in .plan, at the files in it).
void pointAtFiles(RenderJob& job, const PlanInput& input) {
  if (job.meshPath == input.given) {
    job.meshPath = input.meshPath;
    job.meshFromPlan = input.converted;
  }
  if (job.exitPath == input.given) {
    job.exitPath = input.exitPath;
    job.exitsFromPlan = input.converted;
  }
  if (job.planExitPath == input.given) job.planExitPath = input.exitPath;
}

}  // namespace

int openRenderPlans(RenderRequest& request, RenderPlans& plans, std::string& error) {
  for (RenderJob& job : request.jobs) {
    if (job.planPath.empty()) continue;
    const PlanInput* input = findOpened(plans, job.planPath);
    if (input == nullptr) {
      PlanInput opened;
      if (!openPlanInput(job.planPath, PlanForm::Files, opened, error)) {
        closeRenderPlans(plans);
        return isPlanFilePath(job.planPath) ? kBadPlanStatus : kBadArgumentStatus;
      }
      plans.opened.push_back(opened);
      input = &plans.opened.back();
    }
    pointAtFiles(job, *input);
  }
  return 0;
}

void closeRenderPlans(RenderPlans& plans) {
  for (PlanInput& input : plans.opened) closePlanInput(input);
  plans.opened.clear();
}
