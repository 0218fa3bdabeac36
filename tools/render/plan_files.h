// orvik-render's --plan: the folders and .plan files that the command line
// names, each checked before any picture, each .plan converted once.
#pragma once

#include <string>
#include <vector>

#include "plan_input.h"
#include "render.h"

// The plans that --plan names, each checked, and each .plan file converted
// once into a private temporary folder.
struct RenderPlans {
  std::vector<PlanInput> opened;  // one for each distinct --plan, in command-line order
};

// Before any picture: every --plan of `request` must name a folder or a
// .plan file; each .plan is read, converted by plan2mesh's library, and
// the jobs' paths that stand for it are pointed at its files. 0 when all
// could; else, with one line in `error` and nothing left behind, 2 for a
// name that is neither a folder nor a .plan file, 1 for a plan that cannot
// be read or converted.
int openRenderPlans(RenderRequest& request, RenderPlans& plans, std::string& error);

// Removes what openRenderPlans converted; safe to call twice.
void closeRenderPlans(RenderPlans& plans);
