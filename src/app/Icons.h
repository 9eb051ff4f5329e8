// The program's icons, drawn in code so they stay sharp at every toolbar size.
#pragma once

#include <QIcon>

namespace vxt {

// The main window's image list: 0 to 22, a null icon outside that range.
QIcon ImageListIcon(int index);
// The "New File" dialog's list: 0 Modbus, 1 Hostlink, 2 DF1 configuration, 3 web site.
QIcon NewFileIcon(int index);

}  // namespace vxt
