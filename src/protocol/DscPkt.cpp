#include "DscPkt.h"

#include "StrUtils.h"

#include <algorithm>

namespace vxt {

std::string DscMakeCommand(const std::string &name) { return UpperCase(name) + "()"; }

std::string DscAddParam(const std::string &value, const std::string &packet)
{
    std::string part = Contains(packet, "()") ? value : "," + value;
    std::string head = packet.empty() ? packet : packet.substr(0, packet.size() - 1);
    return head + part + ")";
}

std::string DscGetParam(const std::string &packet, int index)
{
    size_t open = packet.find('(');
    if (Contains(packet, "()") || open == std::string::npos) return std::string();
    if (!Contains(packet, ",")) {
        if (index != 1) return std::string();
        size_t close = packet.find(')');
        if (close == std::string::npos || close < open) return std::string();
        return packet.substr(open + 1, close - open - 1);
    }
    if (index < 1) return std::string();
    // From the "(" up to, not including, the packet's last character.
    std::string body = packet.substr(open, packet.size() - 1 - open);
    size_t pos = 0;
    auto isStop = [](char c) { return c == ',' || c == ')'; };
    for (int pass = 1; pass <= index; ++pass) {
        if (pos >= body.size()) return std::string();
        ++pos;  // the "(" or ","
        if (pass == index) break;
        while (pos < body.size() && !isStop(body[pos])) ++pos;
    }
    size_t end = pos;
    while (end < body.size() && !isStop(body[end])) ++end;
    return body.substr(std::min(pos, body.size()), end - std::min(pos, body.size()));
}

bool DscIsCommand(const std::string &name, const std::string &packet)
{
    return StartsWith(packet, UpperCase(name));
}

bool DscHasParam(const std::string &packet, int index)
{
    if (Contains(packet, "()")) return false;
    if (!Contains(packet, ",")) return index == 1;
    long commas = std::count(packet.begin(), packet.end(), ',');
    return index <= commas + 1;
}

}  // namespace vxt
