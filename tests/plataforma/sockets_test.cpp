#include "plataforma/sockets.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <string>
#include <vector>

#include "ui/interface_headless.h"

namespace velant {
namespace {

TEST(EscolheIPv4Test, SkipsLoopbackUnlessThereIsNothingElse) {
  const struct { std::vector<std::string> doHost, dasInterfaces; std::string esperado; } casos[] = {
      {{"10.0.0.5", "10.0.0.6"}, {"192.168.0.2"}, "10.0.0.5"},
      {{"127.0.1.1"}, {"127.0.0.1", "192.168.0.2", "10.0.0.9"}, "192.168.0.2"},
      {{"127.0.1.1", "10.1.1.1"}, {"192.168.0.2"}, "10.1.1.1"},
      {{"127.0.1.1"}, {"127.0.0.1"}, "127.0.1.1"},
      {{}, {"127.0.0.1"}, "127.0.0.1"},
      {{}, {"127.0.0.1", "172.17.0.3"}, "172.17.0.3"},
      {{"128.0.0.1"}, {}, "128.0.0.1"},
      {{}, {}, ""},
  };
  for (const auto& c : casos) EXPECT_EQ(EscolheIPv4(c.doHost, c.dasInterfaces), c.esperado);
}

bool TemInterfaceForaDoLoopback() {
  ifaddrs* lista = nullptr;
  if (getifaddrs(&lista) != 0) return false;
  bool tem = false;
  for (ifaddrs* i = lista; i != nullptr; i = i->ifa_next) {
    if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET) continue;
    const auto* endereco = reinterpret_cast<sockaddr_in*>(i->ifa_addr);
    tem = tem || (ntohl(endereco->sin_addr.s_addr) >> 24) != 127;
  }
  freeifaddrs(lista);
  return tem;
}

TEST(ObterIPLocalTest, GivesADottedAddressOfThisMachineWithoutBoxes) {
  InterfaceHeadless ui(true);
  std::string ip = ObterIPLocal(ui);
  EXPECT_TRUE(ui.Caixas().empty());
  in_addr endereco{};
  ASSERT_EQ(inet_pton(AF_INET, ip.c_str(), &endereco), 1) << ip;
  // With a network interface up, loopback is never the answer.
  if (TemInterfaceForaDoLoopback()) {
    EXPECT_NE(ip.rfind("127.", 0), 0u) << ip;
  }
}

}  // namespace
}  // namespace velant
