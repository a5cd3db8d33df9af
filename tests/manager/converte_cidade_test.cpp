// What `velantnfe cidades` (ponta/cidades_ibge.sh: names, accents, the
// apostrophe, a second run, a source it cannot read) does not show: a quote
// in any value, the routine's error codes, and the window's button.
#include "manager/converte_cidade.h"

#include <gtest/gtest.h>

#include "base/regional.h"
#include "data/conexao_nfe.h"
#include "manager/gerenciador_nfe.h"
#include "ambiente_teste.h"

namespace velant {
namespace {

// The root's SQLite database, with one municipality whose state has a quote.
struct BancoCidades {
  BancoCidades() { banco.ExecutaSql("INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('S''', 3550308, 'São Paulo')"); }
  // The boxes' titles, and the error number that ends the routine's box.
  std::string Caixas() {
    std::string s;
    for (const auto& c : a.ui.Caixas()) s += c.titulo + "|";
    const std::string& p = a.ui.Caixas().back().prompt;
    return s + (p.starts_with("ERrO não identificado!\r\n") ? p.substr(p.rfind("\r\n") + 2) : p);
  }
  teste::AmbienteTeste a;
  bool configurado = (data::GarantirConfiguracaoBanco(a.ini), true);   // before the connection opens
  data::CConexaoNfe banco{a.ini, a.caminhos, a.ui};
};

TEST(ConverteCidade, AspasFicamDentroDoLiteralEErrosNaCaixaDaRotina) {
  BancoCidades b;
  b.a.ctx.ConexaoBanco = &b.banco;
  EXPECT_FALSE(ConverteCidade1(b.a.ctx).erro);
  auto rs = b.banco.RsConexao("SELECT Codigo, Nome, UF FROM CidadeIBGE");
  EXPECT_EQ(CStr(rs->Value(0)) + "|" + CStr(rs->Value(1)) + "|" + CStr(rs->Value(2)), "3550308|SAO PAULO|S'");
  // The connection's own box for the failed statement, then the routine's.
  b.banco.ExecutaSql("DROP TABLE CidadeIBGE");
  const ResultadoConverteCidade r = ConverteCidade1(b.a.ctx);
  EXPECT_EQ(std::to_string(r.erro) + std::to_string(r.inseridos) + "|" + b.Caixas(), "10||Rotina: ConverteCidade1|3704");
  EXPECT_NE(b.a.ui.Caixas()[0].prompt.find("CidadeIBGE"), std::string::npos) << b.a.ui.Caixas()[0].prompt;
  b.a.ctx.ConexaoBanco = nullptr;
  EXPECT_TRUE(ConverteCidade1(b.a.ctx).erro);
  EXPECT_EQ(b.Caixas(), "|Rotina: ConverteCidade1|Rotina: ConverteCidade1|91");
}

// The window's button runs the utility once the manager has loaded, and
// no longer after it unloaded.
TEST(ConverteCidade, BotaoSoComOGerenciadorCarregado) {
  teste::AmbienteTeste a;
  a.ini.GravarIni("Local", "IP do Computador a ser processado", "127.0.0.1", a.host.CaminhoIni);
  teste::ManipuladoresTeste m;
  GerenciadorNFe g(a.ctx, a.host, m);
  g.ObterIP = [] { return "10.0.0.5"; };
  ASSERT_TRUE(g.Carrega());
  ASSERT_EQ(a.ctx.ConexaoBanco->ExecutaSql("INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('SP', 3550308, 'São Paulo')"), 1);
  a.ui.PressionarCommand1();
  EXPECT_EQ(CLng(a.ctx.ConexaoBanco->RsConexao("SELECT COUNT(*) FROM CidadeIBGE")->Value(0)), 1);
  g.Descarrega();
  a.ui.PressionarCommand1();   // must not reach the manager that went away
  EXPECT_TRUE(a.ui.Caixas().empty());
}

}  // namespace
}  // namespace velant
