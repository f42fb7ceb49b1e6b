#include "app/OverinkApp.h"

int main(int argc, char* argv[]) { return OverinkApp::main(argc, argv); }
