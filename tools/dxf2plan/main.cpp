#include "dxf2plan.h"

int main(int argc, char** argv) { return runDxf2plan(argc, argv); }
