#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "apoio/arquivos_teste.h"
#include "manager/ambiente_host.h"
#include "ui/interface_headless.h"

namespace velant {
namespace {

TEST(OpcoesHostTest, KnownOptionsAreTakenTheRestKept) {
  const struct {
    std::vector<std::string> argumentos;
    std::string raiz, registro;
    bool umaVez, janela;
    std::vector<std::string> resto;
  } casos[] = {
      {{}, "", "", false, false, {}},
      {{"--raiz", "/r", "--registro", "/x.reg", "--uma-vez", "--janela"}, "/r", "/x.reg", true, true, {}},
      {{"pedido.txt", "--raiz=/r", "--outra", "--registro=a b.reg"}, "/r", "a b.reg", false, false,
       {"pedido.txt", "--outra"}},
      // A value that looks like an option is still the value.
      {{"--raiz", "--uma-vez"}, "--uma-vez", "", false, false, {}},
  };
  for (const auto& c : casos) {
    const OpcoesHost o = OpcoesHost::Ler(c.argumentos);
    EXPECT_EQ(o.raiz, c.raiz);
    EXPECT_EQ(o.registro, c.registro);
    EXPECT_EQ(o.umaVez, c.umaVez);
    EXPECT_EQ(o.janela, c.janela);
    EXPECT_EQ(o.resto, c.resto);
  }
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--raiz"}, {"--uma-vez", "--registro"}, {"--raiz="}}) {
    EXPECT_THROW(OpcoesHost::Ler(args), std::invalid_argument) << args.back();
  }
}

TEST(AmbienteHostTest, WiresTheRootTheRegistryAndTheLogIntoTheContext) {
  teste::PastaTemporaria pasta;
  const auto raiz = pasta.Caminho();
  OpcoesHost opcoes = OpcoesHost::Ler({"--raiz", raiz.string(), "--registro", (raiz / "r.reg").string()});
  auto ui = std::make_unique<InterfaceHeadless>(true);
  InterfaceHeadless& tela = *ui;
  AmbienteHost ambiente(opcoes, std::move(ui));
  Contexto& ctx = ambiente.Ctx();

  EXPECT_EQ(&ctx.ui, &tela);
  EXPECT_EQ(ctx.caminhos.Raiz(), raiz);

  teste::GravarTudo(raiz / "r.reg", "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"CNPJ\"=\"11222333000181\"\n");
  EXPECT_EQ(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "CNPJ"), "11222333000181");

  ctx.ini.GravarIni("Local", "IP do Computador a ser processado", "127.0.0.1", ctx.host.CaminhoIni);
  EXPECT_TRUE(std::filesystem::exists(raiz / "C/KorvanePafEcf/NFe/VelantNFe/VelantNFe.ini"));

  ctx.log.RegistraEvento("linha", true, false);
  EXPECT_EQ(tela.Eventos().back(), "linha");

  // A registry file that cannot be read is in the log.
  std::filesystem::remove(raiz / "r.reg");
  std::filesystem::create_directory(raiz / "r.reg");
  EXPECT_EQ(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "CNPJ"), "");
  EXPECT_EQ(tela.Eventos().back(),
            "     ** Erro na Rotina: LerRegistro - " + (raiz / "r.reg").string() + " não lido: não é um arquivo comum");
  EXPECT_TRUE(std::filesystem::is_directory(raiz / "C/KorvanePafEcf/NFe/VelantNFe/Log"));
}

}  // namespace
}  // namespace velant
