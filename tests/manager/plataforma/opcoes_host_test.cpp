#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "apoio_plataforma.h"
#include "manager/ambiente_host.h"
#include "ui/interface_headless.h"

namespace velant {
namespace {

struct CasoOpcoes {
  std::vector<std::string> argumentos;
  std::string raiz;
  std::string registro;
  bool umaVez;
  bool janela;
  std::vector<std::string> resto;
};

class OpcoesHostTest : public ::testing::TestWithParam<CasoOpcoes> {};

TEST_P(OpcoesHostTest, KnownOptionsAreTakenTheRestKept) {
  OpcoesHost o = OpcoesHost::Ler(GetParam().argumentos);
  EXPECT_EQ(o.raiz, GetParam().raiz);
  EXPECT_EQ(o.registro, GetParam().registro);
  EXPECT_EQ(o.umaVez, GetParam().umaVez);
  EXPECT_EQ(o.janela, GetParam().janela);
  EXPECT_EQ(o.resto, GetParam().resto);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, OpcoesHostTest,
    ::testing::Values(CasoOpcoes{{}, "", "", false, false, {}},
                      CasoOpcoes{{"--raiz", "/r", "--registro", "/x.reg", "--uma-vez", "--janela"},
                                 "/r", "/x.reg", true, true, {}},
                      CasoOpcoes{{"pedido.txt", "--raiz=/r", "--outra", "--registro=a b.reg"},
                                 "/r", "a b.reg", false, false, {"pedido.txt", "--outra"}},
                      // A value that looks like an option is still the value.
                      CasoOpcoes{{"--raiz", "--uma-vez"}, "--uma-vez", "", false, false, {}}));

TEST(OpcoesHostTest, AnOptionWithoutItsValueIsRefused) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--raiz"}, {"--uma-vez", "--registro"}, {"--raiz="}}) {
    EXPECT_THROW(OpcoesHost::Ler(args), std::invalid_argument) << args.back();
  }
}

TEST(AmbienteHostTest, WiresTheRootTheRegistryAndTheLogIntoTheContext) {
  teste::PastaTemporaria pasta;
  OpcoesHost opcoes = OpcoesHost::Ler({"--raiz", pasta.Caminho().string(), "--registro",
                                       (pasta.Caminho() / "r.reg").string()});
  auto ui = std::make_unique<InterfaceHeadless>(true);
  InterfaceHeadless& tela = *ui;
  AmbienteHost ambiente(opcoes, std::move(ui));
  Contexto& ctx = ambiente.Ctx();

  EXPECT_EQ(&ctx.ui, &tela);
  EXPECT_EQ(ctx.caminhos.Raiz(), pasta.Caminho());
  EXPECT_EQ(ctx.registro.Arquivo(), pasta.Caminho() / "r.reg");
  EXPECT_EQ(ctx.ConexaoBanco, nullptr);
  EXPECT_EQ(ctx.Solicitacao, nullptr);

  teste::GravarTudo(pasta.Caminho() / "r.reg", "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"CNPJ\"=\"11222333000181\"\n");
  EXPECT_EQ(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "CNPJ"), "11222333000181");

  ctx.ini.GravarIni("Local", "IP do Computador a ser processado", "127.0.0.1", ctx.estado.CaminhoIni);
  EXPECT_TRUE(std::filesystem::exists(pasta.Caminho() / "C/KorvanePafEcf/NFe/VelantNFe/VelantNFe.ini"));

  ctx.log.RegistraEvento("linha", true, false);
  EXPECT_EQ(tela.Eventos().back(), "linha");
  EXPECT_TRUE(std::filesystem::is_directory(pasta.Caminho() / "C/KorvanePafEcf/NFe/VelantNFe/Log"));
}

}  // namespace
}  // namespace velant
