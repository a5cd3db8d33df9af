// The web services of both layouts: their names, and where the shipped
// endpoint file sends every state in both environments.
#include "component/autoridade/servicos_autorizacao.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "base/erro.h"
#include "component/autoridade_apoio.h"

namespace velant::autoridade {
namespace {

TabelaServicos Enviada() {
  return TabelaServicos::Carregar(std::filesystem::path(VELANT_FONTE) / "dados" / "servicos-nfe.ini");
}
bool Contem(const std::string& texto, const std::string& trecho) { return texto.find(trecho) != std::string::npos; }

// Every 4.00 address is https, on the state's authorizer as the national
// portal distributes them (ten states of their own, MA at SVAN, the rest at
// SVRS), ends in its service's name with the 4, and homologation and
// production never share one (a homologation invoice sent to production
// would be a real invoice). Contingency goes to SVC-RS for its list of
// states and SVC-AN for the others, never the normal authorizer, and voids
// nothing. Production has no 3.10 address.
TEST(Servicos, CadaUfNoSeuAutorizador) {
  const std::map<std::string, std::string> proprios = {
      {"AM", "sefaz.am.gov.br/"}, {"BA", "sefaz.ba.gov.br/"}, {"GO", "sefaz.go.gov.br/"}, {"MG", "fazenda.mg.gov.br/"},
      {"MS", "sefaz.ms.gov.br/"}, {"MT", "sefaz.mt.gov.br/"}, {"PE", "sefaz.pe.gov.br/"}, {"PR", "sefa.pr.gov.br/"},
      {"RS", "sefazrs.rs.gov.br/"}, {"SP", "fazenda.sp.gov.br/"}, {"MA", "sefazvirtual.fazenda.gov.br/"}};
  const std::string svcRs = "AM BA GO MA MS MT PE PR";
  auto t = Enviada();
  for (const char* uf : {"RO", "AC", "AM", "RR", "PA", "AP", "TO", "MA", "PI", "CE", "RN", "PB", "PE", "AL", "SE", "BA",
                         "MG", "ES", "RJ", "SP", "PR", "SC", "RS", "MS", "MT", "GO", "DF"})
    for (ServicoNFe s : {ServicoNFe::StatusServico, ServicoNFe::Autorizacao, ServicoNFe::RetAutorizacao,
                         ServicoNFe::Consulta, ServicoNFe::RecepcaoEvento, ServicoNFe::Inutilizacao}) {
      SCOPED_TRACE(std::string(uf) + " " + Descricao(s, Leiaute::V400).nome);
      const std::string host = proprios.contains(uf) ? proprios.at(uf) : "svrs.rs.gov.br/";
      for (const char* ambiente : {"1", "2"}) {
        const std::string url = t.Url(uf, ambiente, s, Leiaute::V400);
        EXPECT_TRUE(url.starts_with("https://") && Contem(url, host) && Contem(url.substr(url.rfind('/')), "4")) << url;
        if (s == ServicoNFe::Inutilizacao) {
          EXPECT_THROW(t.UrlContingencia(uf, ambiente, s), ErroExecucao);
          continue;
        }
        const std::string contingencia = t.UrlContingencia(uf, ambiente, s);
        EXPECT_TRUE(Contem(contingencia, Contem(svcRs, uf) ? "svrs.rs.gov.br/" : "svc.fazenda.gov.br/")) << contingencia;
        EXPECT_NE(contingencia, url);
      }
      EXPECT_NE(t.Url(uf, "1", s, Leiaute::V400), t.Url(uf, "2", s, Leiaute::V400));
      EXPECT_THROW(t.Url(uf, "1", s), ErroExecucao);
    }
}

TEST(Servicos, EnderecosExatos) {
  auto enviada = Enviada();
  auto comentada = TabelaServicos::DeTexto("; c\r\n [ mg-2 ] \r\n nfestatusservico2 = https://x/y \r\n# fim\n", "t");
  auto unica = TabelaServicos::DeTexto(TabelaServicosUnica("https://127.0.0.1:9"), "t");
  const std::string sp = "https://homologacao.nfe.fazenda.sp.gov.br/ws/";
  const std::string svrs = "https://nfe-homologacao.svrs.rs.gov.br/ws/";
  const std::string local = "https://127.0.0.1:9/ws/";
  struct Caso {
    const TabelaServicos* tabela; const char *uf, *ambiente; ServicoNFe servico; Leiaute leiaute; std::string url;
  } casos[] = {
      {&enviada, "sp", "2", ServicoNFe::StatusServico, Leiaute::V310, sp + "nfestatusservico2.asmx"},
      {&enviada, "SC", "2", ServicoNFe::Consulta, Leiaute::V310, svrs + "NfeConsulta/NfeConsulta2.asmx"},
      {&enviada, "AN", "2", ServicoNFe::RecepcaoEvento, Leiaute::V400,
       "https://hom.nfe.fazenda.gov.br/NFeRecepcaoEvento4/NFeRecepcaoEvento4.asmx"},
      {&comentada, "MG", "2", ServicoNFe::StatusServico, Leiaute::V310, "https://x/y"},
      {&unica, "GO", "1", ServicoNFe::Consulta, Leiaute::V310, local + "NfeConsulta2.asmx"},
      {&unica, "SVC-AN", "1", ServicoNFe::Autorizacao, Leiaute::V400,
       "https://127.0.0.1:9/svc-an/ws/NFeAutorizacao4.asmx"},
  };
  for (const auto& c : casos) EXPECT_EQ(c.tabela->Url(c.uf, c.ambiente, c.servico, c.leiaute), c.url) << c.uf;
}

// Each row must be refused as a component error whose text names what went wrong.
TEST(Servicos, Recusas) {
  auto t = Enviada();
  struct Caso { std::function<void()> chamar; const char* trecho; } casos[] = {
      {[&] { t.Url("SP", "1", ServicoNFe::Autorizacao); }, "Sem endereço do serviço NfeAutorizacao na seção [SP-1]"},
      {[&] { t.Url("XX", "2", ServicoNFe::Autorizacao); }, "Sem endereço da autoridade para XX ambiente 2"},
      {[&] { t.Url("SP", "3", ServicoNFe::Autorizacao); }, "Ambiente inválido na configuração: \"3\""},
      {[] { TabelaServicos::Carregar("/nao/existe.ini"); }, "/nao/existe.ini"},
      {[&] { t.Url("AN", "2", ServicoNFe::Autorizacao, Leiaute::V400); }, "NFeAutorizacao4"},
      {[&] { t.UrlContingencia("SVRS", "2", ServicoNFe::Autorizacao); }, "Sem autorizador de contingência"},
      {[&] { t.UrlContingencia("SP", "2", ServicoNFe::Inutilizacao); }, "NFeInutilizacao4"},
  };
  for (const auto& c : casos) EXPECT_TRUE(Contem(teste::ErroDoComponente(c.chamar), c.trecho)) << c.trecho;
}

TEST(Servicos, VariavelDeAmbienteVenceORegistro) {
  std::optional<teste::VariavelAmbiente> v(std::in_place, "VELANT_SERVICOS", std::nullopt);
  EXPECT_EQ(ArquivoServicos("/etc/servicos.ini"), "/etc/servicos.ini");
  EXPECT_TRUE(std::filesystem::exists(ArquivoServicos("")));
  v.emplace("VELANT_SERVICOS", "/tmp/outro.ini");
  EXPECT_EQ(ArquivoServicos("/etc/servicos.ini"), "/tmp/outro.ini");
}

TEST(Descricoes, NomesDosDoisLeiautes) {
  const DescricaoServico *v400 = &Descricao(ServicoNFe::Autorizacao, Leiaute::V400),
                         *v310 = &Descricao(ServicoNFe::Autorizacao);
  EXPECT_EQ(AcaoSoap(*v400), "http://www.portalfiscal.inf.br/nfe/wsdl/NFeAutorizacao4/nfeAutorizacaoLote");
  // The root alone keeps naming the 3.10 service, as peers of 3.10 expect.
  EXPECT_EQ((std::vector{DescricaoPorNome("NFeAutorizacao4"), DescricaoPorNome("NfeAutorizacao"),
                         DescricaoPorNome("NfeAutorizacao4"), DescricaoPorRaizPedido("enviNFe"),
                         DescricaoPorRaizPedido("enviNFe", Leiaute::V400), DescricaoPorRaizPedido("outro")}),
            (std::vector<const DescricaoServico*>{v400, v310, nullptr, v310, v400, nullptr}));
}

}  // namespace
}  // namespace velant::autoridade
