// Parts of the orvik-check command: the plan the options name (two files or
// --plan), plain decimal numbers, and the list file of --list.
#pragma once

#include <string>

#include "check.h"
#include "plain_text.h"

// Checks the plan: `planPath` when given (a folder, or a .plan converted in
// memory), else the two files. False, with the reason on standard error,
// when --plan cannot be used; `report` is then untouched.
bool checkAskedPlan(const std::string& planPath, const std::string& meshPath,
                    const std::string& exitPath, const CheckOptions& options, CheckReport& report);

// With `listPath`: the cells over the limit, written whole and never over a
// file being checked; a failure is noted in report.writeFailure and said on
// standard error. Nothing when an earlier write failed.
void writeOverList(const std::string& listPath, CheckReport& report);
