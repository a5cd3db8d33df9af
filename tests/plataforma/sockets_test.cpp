#include "plataforma/sockets.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/tabela_tsv_teste.h"
#include "ui/interface_headless.h"

namespace velant {
namespace {

TEST(EscolheIPv4Test, SkipsLoopbackUnlessThereIsNothingElse) {
  for (const auto& c : teste::LerTabelaTsv("plataforma/escolhe_ipv4.tsv"))
    EXPECT_EQ(EscolheIPv4(teste::CelulasTsv(c[0], ','), teste::CelulasTsv(c[1], ',')), c[2]) << "escolhe_ipv4.tsv:" << c.numero;
}

bool TemInterfaceForaDoLoopback() {
  ifaddrs* lista = nullptr;
  bool tem = false;
  for (ifaddrs* i = getifaddrs(&lista) == 0 ? lista : nullptr; i != nullptr; i = i->ifa_next)
    tem = tem || (i->ifa_addr != nullptr && i->ifa_addr->sa_family == AF_INET &&
                  (ntohl(reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr) >> 24) != 127);
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
  EXPECT_TRUE(!TemInterfaceForaDoLoopback() || ip.rfind("127.", 0) != 0) << ip;
}

}  // namespace
}  // namespace velant
