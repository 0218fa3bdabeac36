#include "img2plan.h"

int main(int argc, char** argv) { return runImg2plan(argc, argv); }
