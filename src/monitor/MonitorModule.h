// What the tag-monitor library offers the program at start-up.
#pragma once

namespace vxt {

class TMainForm;

// Hooks the tag monitor into the main window's Tools menu.
void RegisterMonitor(TMainForm *mainForm);

}  // namespace vxt
