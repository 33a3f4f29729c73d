// The addresses a host shows the player who would join it: only the ones
// another machine could reach.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "net/local_addresses.h"

namespace {

struct Interface {
  const char* name;
  int family;
  const char* address;
  unsigned flags;
};

// A list as getifaddrs gives it, held in `entries` and `addresses`.
ifaddrs* listOf(const std::vector<Interface>& interfaces, std::deque<ifaddrs>& entries,
                std::deque<sockaddr_storage>& addresses) {
  ifaddrs* head = nullptr;
  for (auto i = interfaces.rbegin(); i != interfaces.rend(); ++i) {
    ifaddrs& e = entries.emplace_back();
    std::memset(&e, 0, sizeof e);
    e.ifa_name = const_cast<char*>(i->name);
    e.ifa_flags = i->flags;
    if (i->family != AF_UNSPEC) {
      sockaddr_storage& a = addresses.emplace_back();
      std::memset(&a, 0, sizeof a);
      a.ss_family = static_cast<sa_family_t>(i->family);
      if (i->family == AF_INET) {
        sockaddr_in in{};
        in.sin_family = AF_INET;
        inet_pton(AF_INET, i->address, &in.sin_addr);
        std::memcpy(&a, &in, sizeof in);
      } else {
        sockaddr_in6 in6{};
        in6.sin6_family = AF_INET6;
        inet_pton(AF_INET6, i->address, &in6.sin6_addr);
        std::memcpy(&a, &in6, sizeof in6);
      }
      e.ifa_addr = reinterpret_cast<sockaddr*>(&a);
    }
    e.ifa_next = head;
    head = &e;
  }
  return head;
}

TEST(LocalAddresses, OnlyUpIpv4InterfacesOtherThanLoopbackEachOnceInTheSystemsOrder) {
  const unsigned up = IFF_UP;
  const struct Case {
    const char* name;
    std::vector<Interface> interfaces;
    std::vector<std::string> shown;
  } cases[] = {
      {"a LAN and a VPN",
       {{"lo", AF_INET, "127.0.0.1", up | IFF_LOOPBACK},
        {"eth0", AF_INET, "192.168.1.20", up},
        {"eth0", AF_INET6, "fe80::1", up},
        {"wlan0", AF_INET, "172.16.0.9", 0},
        {"tun0", AF_INET, "10.0.0.5", up},
        {"eth0", AF_INET, "192.168.1.20", up},
        {"dummy", AF_UNSPEC, "", up},
        {"odd", AF_INET, "127.0.1.1", up}},
       {"192.168.1.20", "10.0.0.5"}},
      {"only loopback", {{"lo", AF_INET, "127.0.0.1", up | IFF_LOOPBACK}}, {"127.0.0.1"}},
      {"nothing up", {{"eth0", AF_INET, "192.168.1.20", 0}}, {"127.0.0.1"}},
      {"no interfaces", {}, {"127.0.0.1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::deque<ifaddrs> entries;
    std::deque<sockaddr_storage> addresses;
    EXPECT_EQ(net::addressesOf(listOf(c.interfaces, entries, addresses)), c.shown);
  }
}

TEST(LocalAddresses, ThisMachinesAreDottedAndTheSameEachTime) {
  const std::vector<std::string> shown = net::localAddresses();
  ASSERT_FALSE(shown.empty());
  for (const std::string& a : shown) {
    in_addr parsed;
    EXPECT_EQ(inet_pton(AF_INET, a.c_str(), &parsed), 1) << a;
    if (shown.size() > 1) {
      EXPECT_NE(a.rfind("127.", 0), 0u) << a;
    }
  }
  EXPECT_EQ(net::localAddresses(), shown);
}

}  // namespace
