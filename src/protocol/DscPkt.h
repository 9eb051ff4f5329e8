// The positional discovery packet of the UDP exchange: NAME(p1,p2,...), no keys, no escaping.
#pragma once

#include <string>

namespace vxt {

std::string DscMakeCommand(const std::string &name);
std::string DscAddParam(const std::string &value, const std::string &packet);
std::string DscGetParam(const std::string &packet, int index);   // 1-based; empty when absent
bool DscIsCommand(const std::string &name, const std::string &packet);
bool DscHasParam(const std::string &packet, int index);

}  // namespace vxt
