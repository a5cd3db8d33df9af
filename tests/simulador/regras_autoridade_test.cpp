// The authority's business rules as the simulator judges them: the example
// invoice broken on purpose, one rule a case (regras_autoridade.tsv), is
// refused with the rule's code and official text and no protocol; the
// boundaries of the tolerances; the check digits against numbers known to
// be sound.
#include "component/regras/regras_autoridade.h"

#include <gtest/gtest.h>

#include <regex>

#include "component/apoio_documento.h"
#include "component/autoridade_apoio.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/regras/regras_digitos.h"
#include "component/regras/regras_valores.h"
#include "content/tabela_tsv.h"
#include "simulador/simulador_apoio.h"

namespace velant::regras {
namespace {

// The example invoice in homologation with the row's changes, signed.
std::string NotaDoCaso(const teste::CasoTsv& caso) {
  VetoresNFe v = teste::NotaExemplo();
  v.gVetorDestinatario[Destinatario::xNome] = teste::kDestinatarioHomologacao;
  for (const teste::SlotTsv& s : teste::SlotsTsv(caso.at("slots"))) teste::VetorDaLetra(v, s.vetor).at(s.slot) = s.texto;
  MapeadorCaminhos caminhos(std::filesystem::temp_directory_path());
  GeradorXmlNFe g(caminhos);
  teste::Emitente400(g);
  g.Leiaute = "3.10", g.IdNFe = "NFe" + teste::ChaveDa(v), g.UltimoItem = 0;
  std::string xml = g.MontaXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                               v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML,
                               "-03:00");
  if (!caso.at("procura").empty()) {
    const std::regex procura(caso.at("procura"));
    EXPECT_TRUE(std::regex_search(xml, procura)) << caso.at("procura");
    xml = std::regex_replace(xml, procura, caso.at("troca"), std::regex_constants::format_first_only);
  }
  return AssinarXml(xml, "infNFe", teste::CertificadoTeste());
}

class RegraQuebrada : public ::testing::TestWithParam<teste::CasoTsv> {};

// The simulator authorises a batch as a real authority: the first broken
// rule rejects the invoice with its code and official text, and no protocol.
TEST_P(RegraQuebrada, NoSimulador) {
  autoridade::ConfiguracaoSimulador configuracao;
  configuracao.consultasEmProcessamento = 0;
  configuracao.leiaute310 = true;
  using namespace std::chrono;   // the example's emission, 15/01/2016 10:30:00 -03:00
  autoridade::SimuladorAutoridade simulador(configuracao, [] { return sys_days(2016y / January / 15) + 13h + 30min; });
  auto pede = [&](autoridade::ServicoNFe servico, const std::string& mensagem) {
    const auto& d = autoridade::Descricao(servico);
    return autoridade::LeResposta(simulador.Atende(teste::PedidoServico(d, mensagem)).corpo);
  };
  const std::string nota = NotaDoCaso(GetParam());
  std::string recibo = teste::Campo(pede(autoridade::ServicoNFe::Autorizacao, teste::Lote("1", {nota})), "nRec");
  std::string retorno = pede(autoridade::ServicoNFe::RetAutorizacao, autoridade::MensagemConsultaRecibo("2", recibo));
  ASSERT_EQ(teste::Campo(retorno, "cStat"), "104") << retorno;
  auto doc = autoridade::DocumentoXml::Ler(retorno, "retorno");
  xmlNode* infProt = autoridade::Procura(doc.Raiz(), "infProt");
  const int codigo = std::stoi(GetParam().at("cStat"));
  const RegraAutoridade* regra = RegraPorCodigo(codigo);
  ASSERT_TRUE(codigo == 100 || regra != nullptr) << codigo;
  EXPECT_EQ(autoridade::TextoFilho(infProt, "cStat") + "|" + autoridade::TextoFilho(infProt, "xMotivo"),
            GetParam().at("cStat") + "|" + (regra ? regra->texto : "Autorizado o uso da NF-e"));
  EXPECT_EQ(autoridade::Filho(infProt, "nProt") != nullptr, codigo == 100);
}

INSTANTIATE_TEST_SUITE_P(Casos, RegraQuebrada,
                         ::testing::ValuesIn(teste::LerCasosTsv("simulador/regras_autoridade.tsv", false)),
                         [](const auto& info) { return info.param.at("caso"); });

// Numbers whose soundness is known from outside this system.
TEST(DigitosVerificadores, NumerosConhecidos) {
  struct Caso { const char* numero; bool (*valido)(std::string_view); bool esperado; } casos[] = {
      {"99999999000191", CnpjValido, true},  {"11222333000181", CnpjValido, true},
      {"11222333000182", CnpjValido, false}, {"00000000000000", CnpjValido, false},
      {"1122233300018", CnpjValido, false},  {"12345678909", CpfValido, true},
      {"12345678900", CpfValido, false},     {"00000000000", CpfValido, false},
      {"96385074", GtinValido, true},        {"036000291452", GtinValido, true},
      {"7891234567895", GtinValido, true},   {"10012345678902", GtinValido, true},
      {"7891234567890", GtinValido, false},  {"789123456789", GtinValido, false},
      {"3550308", MunicipioValido, true},    {"5300108", MunicipioValido, true},
      {"3550307", MunicipioValido, false},   {"9999999", MunicipioValido, false},
      {"4305871", MunicipioValido, true},    // older than the check digit, kept by the IBGE
  };
  for (const auto& c : casos) EXPECT_EQ(c.valido(c.numero), c.esperado) << c.numero;
}

TEST(Valores, DecimaisExatosEDatasComFuso) {
  EXPECT_EQ(Fixo("12", 2), Inteiro(1200));
  EXPECT_EQ(Fixo("-0.5", 2), Inteiro(-50));
  EXPECT_EQ(Fixo("2.4691", 10), Inteiro(24691000000));
  for (const char* ruim : {"", "1.005", "1e3", "1,50", ".", "-"}) EXPECT_FALSE(Fixo(ruim, 2)) << ruim;
  EXPECT_EQ(TextoCentavos(-5), "-0.05");
  EXPECT_EQ(TextoFixo(666667, 4), "66.6667");
  using namespace std::chrono;
  EXPECT_EQ(Instante("2016-01-15T10:30:00-03:00"), sys_days(2016y / January / 15) + 13h + 30min);
  EXPECT_EQ(Instante("2016-01-15T10:30:00Z"), sys_days(2016y / January / 15) + 10h + 30min);
  for (const char* ruim : {"2016-02-30T10:30:00-03:00", "15/01/2016 10:30:00", "2016-01-15T10:30:00-3"})
    EXPECT_FALSE(Instante(ruim)) << ruim;
}

}  // namespace
}  // namespace velant::regras
