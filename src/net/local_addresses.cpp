// The host's own addresses, told to the player who waits; see local_addresses.h.
#include "net/local_addresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstddef>

namespace net {

std::vector<std::string> addressesOf(const ifaddrs* list) {
  std::vector<std::string> out;
  for (const ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
    if (!(i->ifa_flags & IFF_UP) || (i->ifa_flags & IFF_LOOPBACK)) continue;
    in_addr address;
    // Copied out: sockaddr_in's alignment is not promised by a sockaddr*.
    const char* raw = reinterpret_cast<const char*>(i->ifa_addr);
    std::copy(raw + offsetof(sockaddr_in, sin_addr), raw + offsetof(sockaddr_in, sin_addr) + sizeof address,
              reinterpret_cast<char*>(&address));
    // A loopback address on an interface not marked as loopback reaches no
    // other machine either.
    if ((ntohl(address.s_addr) >> 24) == 127) continue;
    char text[INET_ADDRSTRLEN];
    if (!inet_ntop(AF_INET, &address, text, sizeof text)) continue;
    if (std::find(out.begin(), out.end(), text) == out.end()) out.emplace_back(text);
  }
  if (out.empty()) out.emplace_back("127.0.0.1");
  return out;
}

std::vector<std::string> localAddresses() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return {"127.0.0.1"};
  std::vector<std::string> out = addressesOf(list);
  freeifaddrs(list);
  return out;
}

}  // namespace net
