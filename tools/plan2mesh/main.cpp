#include "plan2mesh.h"

int main(int argc, char** argv) { return runPlan2mesh(argc, argv); }
