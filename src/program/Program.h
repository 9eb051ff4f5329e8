// The program's start, shared by main() and the start-up measurement: the splash, the main window
// and every dialog created once, in their order.
#pragma once

namespace vxt {

class TMainForm;

// Takes the decimal separator from the locale, shows the splash for `splashMs`, creates the main
// window (whose accepted close ends the program) and every dialog, and closes the splash. The main
// window is not shown yet.
TMainForm *StartWindows(int splashMs);

// Shows the main window maximised.
void ShowMainWindow(TMainForm *mainForm);

}  // namespace vxt
