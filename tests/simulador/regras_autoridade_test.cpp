// The authority's business rules as the simulator judges them: the example
// invoice broken on purpose, one rule a case (regras_autoridade.tsv), is
// refused with the rule's code and official text and no protocol.
#include "component/regras/regras_autoridade.h"

#include <gtest/gtest.h>

#include <regex>

#include "component/apoio_documento.h"
#include "component/autoridade_apoio.h"
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

class RegraQuebrada : public teste::SimuladorDoTeste, public ::testing::WithParamInterface<teste::CasoTsv> {};

// The simulator authorises a batch as a real authority: the first broken
// rule rejects the invoice with its code and official text, and no protocol.
TEST_P(RegraQuebrada, NoSimulador) {
  using namespace std::chrono;   // the example's emission, 15/01/2016 10:30:00 -03:00
  Cria(true, 0, {}, [] { return sys_days(2016y / January / 15) + 13h + 30min; });
  const teste::Resposta r = Processa(NotaDoCaso(GetParam()));
  const int codigo = std::stoi(GetParam().at("cStat"));
  const RegraAutoridade* regra = RegraPorCodigo(codigo);
  ASSERT_TRUE(codigo == 100 || regra != nullptr) << codigo;
  EXPECT_EQ(r.cStat + "|" + r.xMotivo + "|" + std::to_string(r.nProt.size()),
            GetParam().at("cStat") + "|" + (regra ? regra->texto : "Autorizado o uso da NF-e") + "|" +
                (codigo == 100 ? "15" : "0"));
}

INSTANTIATE_TEST_SUITE_P(Casos, RegraQuebrada,
                         ::testing::ValuesIn(teste::LerCasosTsv("simulador/regras_autoridade.tsv", false)),
                         [](const auto& info) { return info.param.at("caso"); });

}  // namespace
}  // namespace velant::regras
