#include "kivjava.h"

int main(int argc, char** argv) { return kiv::runLauncher(argc, argv); }
