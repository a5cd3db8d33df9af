// The business rules of layout 4.00 and of the tax reform: one 4.00 invoice
// broken on purpose per case, refused by the local check with the rule's
// official code; the sound invoice keeps them all, and a 3.10 invoice is not
// judged by them. Then the reform's arithmetic on worked
// figures and the shipped table of its rates.
#include <gtest/gtest.h>

#include <regex>

#include "apoio_documento.h"
#include "apoio_regras.h"
#include "autoridade_apoio.h"
#include "component/regras/reforma_tributaria.h"
#include "component/regras/regras_autoridade.h"

namespace velant::regras {
namespace {

using namespace std::chrono;

// The example invoice in homologation, layout 4.00, changed by the case's
// columns from the fifth, written, its first match of the regular
// expression of the third column replaced by the fourth (for what the
// generator never writes), and signed.
std::string Assinada(const std::vector<std::string>& c) {
  teste::Gerador ger("4.00", c, 4);
  std::string xml = ger.Gera();
  if (!c[2].empty()) {
    const std::regex de(c[2]);
    EXPECT_TRUE(std::regex_search(xml, de)) << c[2];
    xml = std::regex_replace(xml, de, c[3], std::regex_constants::format_first_only);
  }
  return AssinarXml(xml, "infNFe", teste::CertificadoTeste());
}

// One 4.00 invoice broken on purpose per row of regras_leiaute400.tsv.
class Regra400 : public ::testing::TestWithParam<std::vector<std::string>> {};

// Received on 05/01/2027: every emission of the cases is before it.
TEST_P(Regra400, NaConferenciaLocal) {
  teste::ConfereRegraLocal(Assinada(GetParam()), std::stoi(GetParam()[1]), "",
                           sys_days(2027y / January / 5) + 15h);
}

INSTANTIATE_TEST_SUITE_P(Leiaute400, Regra400,
                         ::testing::ValuesIn(teste::LerTabela("component/regras_leiaute400.tsv")),
                         [](const auto& info) { return info.param[0]; });

// A 3.10 invoice carries neither payment nor fund: the 4.00 rules leave it
// alone, and its old payment rule still holds.
TEST(Regra400, Nota310NaoEJulgadaPelasRegras400) {
  teste::ConfereRegraLocal(teste::NotaAssinada(), 0);
  std::string comPag = std::regex_replace(teste::NotaSemAssinatura(), std::regex("</transp>"),
                                          "</transp><pag><detPag><tPag>01</tPag><vPag>100.00</vPag></detPag></pag>");
  teste::ConfereRegraLocal(AssinarXml(comPag, "infNFe", teste::CertificadoTeste()), 768);
}

// Worked figures of the arithmetic (reforma_contas.tsv): percentages at 4 decimals, cents.
TEST(ContaReforma, ArredondaMetadeParaCimaReduzEDifere) {
  for (const auto& c : teste::LerTabela("component/reforma_contas.tsv")) {
    auto n = [&](size_t i) { return static_cast<Inteiro>(std::stoll(c[i])); };
    auto t = reforma::CalculaTributo(n(0), n(1), n(2), n(3));
    EXPECT_EQ(std::tuple(t.pAliqEfet, t.vDif, t.v), std::tuple(n(4), n(5), n(6))) << c[7];
  }
}

// The shipped table holds the test year and refuses what it cannot read.
TEST(TabelaReforma, AnoDeTesteELinhasRuins) {
  const auto& t = reforma::Tabela::Padrao();
  ASSERT_TRUE(t.DoAno(2026));
  EXPECT_EQ(std::tuple(t.DoAno(2026)->pIBSUF, t.DoAno(2026)->pIBSMun, t.DoAno(2026)->pCBS), std::tuple(1000, 0, 9000));
  EXPECT_FALSE(t.DoAno(2016));
  teste::PastaTemporaria pasta;
  for (const char* ruim : {"ALIQUOTAS;2026;0.1;0;101\n", "CST;000;1;2;0\n", "CLASSTRIB;12345;0\n", "IBS;2026\n"}) {
    teste::GravarTudo(pasta.Caminho() / "t.txt", std::string("# comentário\n") + ruim);
    const std::string erro = teste::ErroDoComponente([&] { reforma::Tabela::Carregar(pasta.Caminho() / "t.txt"); });
    EXPECT_NE(erro.find("linha 2"), std::string::npos) << ruim << erro;
  }
}

}  // namespace
}  // namespace velant::regras
