// What the gateway-configuration library offers the program at start-up.
#pragma once

namespace vxt {

// Makes the three configuration document kinds known to the main window.
void RegisterGatewayDocuments();

}  // namespace vxt
