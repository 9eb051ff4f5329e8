// The tag-list download and the monitor use the request channel as it is, each with clients of its
// own: a failure is left to them to report, and a settings file that cannot be read leaves the
// remote client without a proxy, unreported.
#pragma once

#include "RequestChannel.h"

namespace vxt {

using TSilentChannel = TRequestChannel;

}  // namespace vxt
