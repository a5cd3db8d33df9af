// The 4.00 web services: their descriptions, and where the shipped endpoint
// file sends every state in both environments.
#include "component/autoridade/servicos_autorizacao.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/erro.h"
#include "component/xml/validador_esquema.h"

namespace velant::autoridade {
namespace {

constexpr ServicoNFe kTodos[] = {ServicoNFe::StatusServico, ServicoNFe::Autorizacao,    ServicoNFe::RetAutorizacao,
                                 ServicoNFe::Consulta,      ServicoNFe::RecepcaoEvento, ServicoNFe::Inutilizacao};
constexpr const char* kUfs[] = {"RO", "AC", "AM", "RR", "PA", "AP", "TO", "MA", "PI", "CE", "RN", "PB", "PE", "AL",
                                "SE", "BA", "MG", "ES", "RJ", "SP", "PR", "SC", "RS", "MS", "MT", "GO", "DF"};

TabelaServicos Enviada() {
  return TabelaServicos::Carregar(std::filesystem::path(VELANT_FONTE) / "dados" / "servicos-nfe.ini");
}

bool Contem(const std::string& texto, const std::string& trecho) { return texto.find(trecho) != std::string::npos; }

// Which authority answers each state, as the national portal distributes
// them: ten states of their own, MA at SVAN, the rest at SVRS. The host part
// is common to homologation and production.
TEST(Servicos4, CadaUfNoSeuAutorizador) {
  struct Caso {
    const char* uf;
    const char* host;
  } casos[] = {
      {"AM", "sefaz.am.gov.br/"},     {"BA", "sefaz.ba.gov.br/"},   {"GO", "sefaz.go.gov.br/"},
      {"MG", "fazenda.mg.gov.br/"},   {"MS", "sefaz.ms.gov.br/"},   {"MT", "sefaz.mt.gov.br/"},
      {"PE", "sefaz.pe.gov.br/"},     {"PR", "sefa.pr.gov.br/"},    {"RS", "sefazrs.rs.gov.br/"},
      {"SP", "fazenda.sp.gov.br/"},   {"MA", "sefazvirtual.fazenda.gov.br/"},
      {"AC", "svrs.rs.gov.br/"},      {"AL", "svrs.rs.gov.br/"},    {"AP", "svrs.rs.gov.br/"},
      {"CE", "svrs.rs.gov.br/"},      {"DF", "svrs.rs.gov.br/"},    {"ES", "svrs.rs.gov.br/"},
      {"PA", "svrs.rs.gov.br/"},      {"PB", "svrs.rs.gov.br/"},    {"PI", "svrs.rs.gov.br/"},
      {"RJ", "svrs.rs.gov.br/"},      {"RN", "svrs.rs.gov.br/"},    {"RO", "svrs.rs.gov.br/"},
      {"RR", "svrs.rs.gov.br/"},      {"SC", "svrs.rs.gov.br/"},    {"SE", "svrs.rs.gov.br/"},
      {"TO", "svrs.rs.gov.br/"},
  };
  static_assert(std::size(casos) == std::size(kUfs));
  auto t = Enviada();
  for (const auto& c : casos)
    for (const char* ambiente : {"1", "2"})
      for (ServicoNFe s : kTodos) {
        const std::string url = t.Url(c.uf, ambiente, s, Leiaute::V400);
        SCOPED_TRACE(std::string(c.uf) + "-" + ambiente + " " + url);
        EXPECT_EQ(url.rfind("https://", 0), 0u);
        EXPECT_TRUE(Contem(url, c.host));
        // Every 4.00 address ends in its service's name with the 4.
        EXPECT_TRUE(Contem(url.substr(url.rfind('/')), "4"));
      }
}

// A homologation invoice sent to production would be a real invoice.
TEST(Servicos4, HomologacaoEProducaoNuncaNoMesmoEndereco) {
  auto t = Enviada();
  for (const char* uf : kUfs)
    for (ServicoNFe s : kTodos)
      EXPECT_NE(t.Url(uf, "1", s, Leiaute::V400), t.Url(uf, "2", s, Leiaute::V400))
          << uf << " " << Descricao(s, Leiaute::V400).nome;
}

// The 3.10 part of the file is what it was: no 3.10 lookup lands on a 4.00
// address, and production still has no 3.10 address.
TEST(Servicos4, LeiauteAntigoNaoVeEnderecos4) {
  auto t = Enviada();
  EXPECT_EQ(t.Url("SP", "2", ServicoNFe::Autorizacao),
            "https://homologacao.nfe.fazenda.sp.gov.br/ws/nfeautorizacao.asmx");
  EXPECT_EQ(t.Url("SC", "2", ServicoNFe::Consulta),
            "https://nfe-homologacao.svrs.rs.gov.br/ws/NfeConsulta/NfeConsulta2.asmx");
  for (const char* uf : kUfs)
    for (ServicoNFe s : kTodos) {
      EXPECT_THROW(t.Url(uf, "1", s), ErroExecucao) << uf;
      try {
        EXPECT_FALSE(Contem(t.Url(uf, "2", s), "4.asmx")) << uf;
      } catch (const ErroExecucao&) {
        // a state the 3.10 file never served
      }
    }
}

// Contingency: SVC-RS for the states of its list, SVC-AN for the others;
// neither voids numbers.
TEST(Servicos4, Contingencia) {
  struct Caso {
    const char* uf;
    const char* host;
  } casos[] = {
      {"AM", "svrs.rs.gov.br/"},       {"BA", "svrs.rs.gov.br/"},       {"GO", "svrs.rs.gov.br/"},
      {"MA", "svrs.rs.gov.br/"},       {"MS", "svrs.rs.gov.br/"},       {"MT", "svrs.rs.gov.br/"},
      {"PE", "svrs.rs.gov.br/"},       {"PR", "svrs.rs.gov.br/"},       {"SP", "svc.fazenda.gov.br/"},
      {"RS", "svc.fazenda.gov.br/"},   {"MG", "svc.fazenda.gov.br/"},   {"CE", "svc.fazenda.gov.br/"},
      {"AC", "svc.fazenda.gov.br/"},   {"DF", "svc.fazenda.gov.br/"},   {"TO", "svc.fazenda.gov.br/"},
  };
  auto t = Enviada();
  for (const auto& c : casos)
    for (const char* ambiente : {"1", "2"}) {
      SCOPED_TRACE(std::string(c.uf) + "-" + ambiente);
      for (ServicoNFe s : kTodos) {
        if (s == ServicoNFe::Inutilizacao) continue;
        const std::string url = t.UrlContingencia(c.uf, ambiente, s);
        EXPECT_TRUE(Contem(url, c.host)) << url;
        EXPECT_NE(url, t.Url(c.uf, ambiente, s, Leiaute::V400)) << "contingência no autorizador normal";
      }
      try {
        t.UrlContingencia(c.uf, ambiente, ServicoNFe::Inutilizacao);
        ADD_FAILURE() << "inutilização em contingência";
      } catch (const ErroExecucao& e) {
        EXPECT_TRUE(Contem(e.Descricao(), "NFeInutilizacao4")) << e.Descricao();
      }
    }
  for (const char* uf : kUfs) EXPECT_NO_THROW(t.UrlContingencia(uf, "2", ServicoNFe::Autorizacao)) << uf;
  EXPECT_THROW(t.UrlContingencia("SVRS", "2", ServicoNFe::Autorizacao), ErroExecucao);
}

TEST(Servicos4, EventosNoAmbienteNacional) {
  auto t = Enviada();
  EXPECT_EQ(t.Url("AN", "2", ServicoNFe::RecepcaoEvento, Leiaute::V400),
            "https://hom.nfe.fazenda.gov.br/NFeRecepcaoEvento4/NFeRecepcaoEvento4.asmx");
  EXPECT_EQ(t.Url("AN", "1", ServicoNFe::RecepcaoEvento, Leiaute::V400),
            "https://www.nfe.fazenda.gov.br/NFeRecepcaoEvento4/NFeRecepcaoEvento4.asmx");
  EXPECT_THROW(t.Url("AN", "2", ServicoNFe::Autorizacao, Leiaute::V400), ErroExecucao);
}

// The root element, namespace and version of each description are the ones
// its schema declares: a bare root of the description's version is refused
// for its missing content only, never for its root or its version.
TEST(Descricoes, RaizEVersaoDoEsquema) {
  for (Leiaute leiaute : {Leiaute::V310, Leiaute::V400})
    for (ServicoNFe s : kTodos) {
      const DescricaoServico& d = Descricao(s, leiaute);
      for (auto [raiz, esquema] :
           {std::pair{d.raizPedido, d.esquemaPedido}, std::pair{d.raizResposta, d.esquemaResposta}}) {
        SCOPED_TRACE(std::string(d.nome) + " " + raiz + " " + esquema);
        auto erro = ValidarXml(std::string("<") + raiz + " xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"" +
                                   d.versaoDados + "\"/>",
                               esquema);
        ASSERT_TRUE(erro);
        EXPECT_FALSE(Contem(*erro, "validation root")) << *erro;
        EXPECT_FALSE(Contem(*erro, "versao")) << *erro;
        EXPECT_TRUE(Contem(*erro, "Missing child element")) << *erro;
      }
    }
}

TEST(Descricoes, NomesDosDoisLeiautes) {
  const DescricaoServico& autorizacao = Descricao(ServicoNFe::Autorizacao, Leiaute::V400);
  EXPECT_EQ(AcaoSoap(autorizacao), "http://www.portalfiscal.inf.br/nfe/wsdl/NFeAutorizacao4/nfeAutorizacaoLote");
  EXPECT_EQ(DescricaoPorNome("NFeAutorizacao4"), &autorizacao);
  EXPECT_EQ(DescricaoPorNome("NfeAutorizacao"), &Descricao(ServicoNFe::Autorizacao));
  EXPECT_EQ(DescricaoPorNome("NfeAutorizacao4"), nullptr);
  // The root alone keeps naming the 3.10 service, as peers of 3.10 expect.
  EXPECT_EQ(DescricaoPorRaizPedido("enviNFe"), &Descricao(ServicoNFe::Autorizacao));
  EXPECT_EQ(DescricaoPorRaizPedido("enviNFe", Leiaute::V400), &autorizacao);
  for (ServicoNFe s : kTodos)
    EXPECT_STRNE(Descricao(s, Leiaute::V400).nome, Descricao(s).nome);
}

// The simulator's table answers every name of both layouts for the states
// and the shared authorities; the contingency authorities and the national
// environment answer under paths of their own, in 4.00 and without voiding;
// each state goes into contingency where the shipped file sends it.
TEST(Servicos4, TabelaUnicaTemOsDoisLeiautes) {
  const std::string local = "https://127.0.0.1:9/ws/";
  auto t = TabelaServicos::DeTexto(TabelaServicosUnica("https://127.0.0.1:9"), "t");
  for (const char* uf : {"SP", "MA", "SVRS", "SVAN"})
    for (Leiaute leiaute : {Leiaute::V310, Leiaute::V400})
      for (ServicoNFe s : kTodos)
        EXPECT_EQ(t.Url(uf, "1", s, leiaute), local + Descricao(s, leiaute).nome + ".asmx");
  for (const char* outro : {"SVC-AN", "SVC-RS", "AN"})
    for (ServicoNFe s : kTodos) {
      const std::string prefixo = "https://127.0.0.1:9" + PrefixoAutorizador(outro);
      if (s == ServicoNFe::Inutilizacao) {
        EXPECT_THROW(t.Url(outro, "1", s, Leiaute::V400), ErroExecucao) << outro;
      } else {
        const std::string url = t.Url(outro, "1", s, Leiaute::V400);
        EXPECT_EQ(url, prefixo + "/ws/" + Descricao(s, Leiaute::V400).nome + ".asmx");
        std::string_view caminho = std::string_view(url).substr(std::string("https://127.0.0.1:9").size());
        EXPECT_EQ(AutorizadorDoCaminho(caminho), outro);
        EXPECT_EQ(DescricaoPorCaminho(caminho), &Descricao(s, Leiaute::V400));
      }
      EXPECT_THROW(t.Url(outro, "1", s, Leiaute::V310), ErroExecucao) << outro;
    }
  const std::string unica = TabelaServicosUnica("https://127.0.0.1:9");
  auto enviada = Enviada();
  for (const char* uf : kUfs)
    for (const char* ambiente : {"1", "2"}) {
      SCOPED_TRACE(std::string(uf) + "-" + ambiente);
      const bool rs = Contem(enviada.UrlContingencia(uf, ambiente, ServicoNFe::Autorizacao), "svrs.rs.gov.br");
      EXPECT_TRUE(Contem(unica, "[" + std::string(uf) + "-" + ambiente + "]\nContingenciaSVC=" +
                                    (rs ? "SVC-RS" : "SVC-AN")));
      EXPECT_EQ(t.UrlContingencia(uf, ambiente, ServicoNFe::Autorizacao),
                "https://127.0.0.1:9" + PrefixoAutorizador(rs ? "SVC-RS" : "SVC-AN") + "/ws/NFeAutorizacao4.asmx");
      EXPECT_EQ(t.AutorizadorContingencia(uf, ambiente), rs ? "SVC-RS" : "SVC-AN");
    }
}

}  // namespace
}  // namespace velant::autoridade
