// What the web-site library offers the program at start-up.
#pragma once

namespace vxt {

// Makes the web-site document kind known to the main window.
void RegisterSiteDocuments();

}  // namespace vxt
