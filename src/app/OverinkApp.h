#pragma once

// The program's entry: sets up the Qt application on X11 and runs the
// application delegate until the program terminates. No window opens at
// launch; everything hangs off the tray icon.
namespace OverinkApp {
int main(int argc, char** argv);
// Process-wide settings made before anything else runs.
void configureProcess();
} // namespace OverinkApp
