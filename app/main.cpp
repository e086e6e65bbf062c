#include "app/bridge.h"

int main(int argc, char** argv) { return runBridge(argc, argv); }
