// This machine's addresses as another machine on the network would type
// them to join a match hosted here.
#pragma once

#include <string>
#include <vector>

struct ifaddrs;

namespace net {

// The IPv4 addresses of the interfaces that are up, loopback left out, in
// the order the system lists its interfaces (the same from call to call),
// each once; "127.0.0.1" when there is none.
std::vector<std::string> localAddresses();

// The same choice made from a list as getifaddrs gives it.
std::vector<std::string> addressesOf(const ifaddrs* list);

}  // namespace net
