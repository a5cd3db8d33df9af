#include "manager/plataforma/sockets.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <string>
#include <vector>

#include "ui/interface_headless.h"

namespace velant {
namespace {

struct CasoEscolha {
  std::vector<std::string> doHost;
  std::vector<std::string> dasInterfaces;
  std::string esperado;
};

class EscolheIPv4Test : public ::testing::TestWithParam<CasoEscolha> {};

TEST_P(EscolheIPv4Test, SkipsLoopbackUnlessThereIsNothingElse) {
  EXPECT_EQ(EscolheIPv4(GetParam().doHost, GetParam().dasInterfaces), GetParam().esperado);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, EscolheIPv4Test,
    ::testing::Values(CasoEscolha{{"10.0.0.5", "10.0.0.6"}, {"192.168.0.2"}, "10.0.0.5"},
                      CasoEscolha{{"127.0.1.1"}, {"127.0.0.1", "192.168.0.2", "10.0.0.9"}, "192.168.0.2"},
                      CasoEscolha{{"127.0.1.1", "10.1.1.1"}, {"192.168.0.2"}, "10.1.1.1"},
                      CasoEscolha{{"127.0.1.1"}, {"127.0.0.1"}, "127.0.1.1"},
                      CasoEscolha{{}, {"127.0.0.1"}, "127.0.0.1"},
                      CasoEscolha{{}, {"127.0.0.1", "172.17.0.3"}, "172.17.0.3"},
                      CasoEscolha{{"128.0.0.1"}, {}, "128.0.0.1"},
                      CasoEscolha{{}, {}, ""}));

std::vector<std::string> InterfacesNaoLoopback() {
  std::vector<std::string> ips;
  ifaddrs* lista = nullptr;
  if (getifaddrs(&lista) != 0) return ips;
  for (ifaddrs* i = lista; i != nullptr; i = i->ifa_next) {
    if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET) continue;
    char texto[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr, texto, sizeof texto);
    if (std::string(texto).rfind("127.", 0) != 0) ips.push_back(texto);
  }
  freeifaddrs(lista);
  return ips;
}

TEST(ObterIPLocalTest, GivesADottedAddressOfThisMachineWithoutBoxes) {
  InterfaceHeadless ui(true);
  std::string ip = ObterIPLocal(ui);
  EXPECT_TRUE(ui.Caixas().empty());
  in_addr endereco{};
  ASSERT_EQ(inet_pton(AF_INET, ip.c_str(), &endereco), 1) << ip;
  // With a network interface up, loopback is never the answer.
  if (!InterfacesNaoLoopback().empty()) {
    EXPECT_NE(ip.rfind("127.", 0), 0u) << ip;
  }
}

TEST(ObterIPLocalTest, SocketsStartOnThisMachine) {
  InterfaceHeadless ui(true);
  EXPECT_TRUE(IniciarSockets(ui));
  EncerrarSockets(ui);
  EXPECT_TRUE(ui.Caixas().empty());
}

}  // namespace
}  // namespace velant
