#include "MonitorModule.h"

namespace vxt {

void RegisterMonitor(TMainForm *) {}

}  // namespace vxt
