// The web services of both layouts: their descriptions, where the shipped
// endpoint file sends every state in both environments, and the simulator's
// single table.
#include "component/autoridade/servicos_autorizacao.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/erro.h"
#include "component/autoridade_apoio.h"
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

// Which authority answers each state in 4.00, as the national portal
// distributes them: ten states of their own, MA at SVAN, the rest at SVRS.
std::string HostDoAutorizador(const std::string& uf) {
  static const std::map<std::string, std::string> proprios = {
      {"AM", "sefaz.am.gov.br/"}, {"BA", "sefaz.ba.gov.br/"}, {"GO", "sefaz.go.gov.br/"}, {"MG", "fazenda.mg.gov.br/"},
      {"MS", "sefaz.ms.gov.br/"}, {"MT", "sefaz.mt.gov.br/"}, {"PE", "sefaz.pe.gov.br/"}, {"PR", "sefa.pr.gov.br/"},
      {"RS", "sefazrs.rs.gov.br/"}, {"SP", "fazenda.sp.gov.br/"}, {"MA", "sefazvirtual.fazenda.gov.br/"}};
  auto it = proprios.find(uf);
  return it == proprios.end() ? "svrs.rs.gov.br/" : it->second;
}

// Every 4.00 address is https, on its authorizer's host, ends in its
// service's name with the 4, and homologation and production never share
// one (a homologation invoice sent to production would be a real invoice).
// The 3.10 part of the file is what it was: no 3.10 lookup lands on a 4.00
// address, and production has no 3.10 address.
TEST(Servicos, CadaUfNoSeuAutorizador) {
  auto t = Enviada();
  for (const char* uf : kUfs)
    for (ServicoNFe s : kTodos) {
      SCOPED_TRACE(std::string(uf) + " " + Descricao(s, Leiaute::V400).nome);
      for (const char* ambiente : {"1", "2"}) {
        const std::string url = t.Url(uf, ambiente, s, Leiaute::V400);
        EXPECT_EQ(url.rfind("https://", 0), 0u) << url;
        EXPECT_TRUE(Contem(url, HostDoAutorizador(uf))) << url;
        EXPECT_TRUE(Contem(url.substr(url.rfind('/')), "4")) << url;
      }
      EXPECT_NE(t.Url(uf, "1", s, Leiaute::V400), t.Url(uf, "2", s, Leiaute::V400));
      EXPECT_THROW(t.Url(uf, "1", s), ErroExecucao);
      try {
        EXPECT_FALSE(Contem(t.Url(uf, "2", s), "4.asmx"));
      } catch (const ErroExecucao&) {
        // a state the 3.10 file never served
      }
    }
}

TEST(Servicos, EnderecosExatos) {
  auto enviada = Enviada();
  auto comentada = TabelaServicos::DeTexto("; c\r\n [ mg-2 ] \r\n nfestatusservico2 = https://x/y \r\n# fim\n", "t");
  auto unica = TabelaServicos::DeTexto(TabelaServicosUnica("https://127.0.0.1:9"), "t");
  const std::string sp = "https://homologacao.nfe.fazenda.sp.gov.br/ws/";
  const std::string rs = "https://nfe-homologacao.sefazrs.rs.gov.br/ws/";
  const std::string svrs = "https://nfe-homologacao.svrs.rs.gov.br/ws/";
  const std::string local = "https://127.0.0.1:9/ws/";
  struct Caso {
    const TabelaServicos* tabela; const char *uf, *ambiente; ServicoNFe servico; Leiaute leiaute; std::string url;
  } casos[] = {
      {&enviada, "sp", "2", ServicoNFe::StatusServico, Leiaute::V310, sp + "nfestatusservico2.asmx"},
      {&enviada, "RS", "2", ServicoNFe::Autorizacao, Leiaute::V310, rs + "NfeAutorizacao/NFeAutorizacao.asmx"},
      {&enviada, "SC", "2", ServicoNFe::Consulta, Leiaute::V310, svrs + "NfeConsulta/NfeConsulta2.asmx"},
      {&enviada, "RJ", "2", ServicoNFe::Inutilizacao, Leiaute::V310, svrs + "nfeinutilizacao/nfeinutilizacao2.asmx"},
      {&enviada, "AN", "2", ServicoNFe::RecepcaoEvento, Leiaute::V400,
       "https://hom.nfe.fazenda.gov.br/NFeRecepcaoEvento4/NFeRecepcaoEvento4.asmx"},
      {&comentada, "MG", "2", ServicoNFe::StatusServico, Leiaute::V310, "https://x/y"},
      {&unica, "GO", "1", ServicoNFe::Consulta, Leiaute::V310, local + "NfeConsulta2.asmx"},
      {&unica, "SP", "2", ServicoNFe::RecepcaoEvento, Leiaute::V310, local + "RecepcaoEvento.asmx"},
      {&unica, "SVC-AN", "1", ServicoNFe::Autorizacao, Leiaute::V400,
       "https://127.0.0.1:9/svc-an/ws/NFeAutorizacao4.asmx"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(std::string(c.uf) + "-" + c.ambiente + " " + c.url);
    EXPECT_EQ(c.tabela->Url(c.uf, c.ambiente, c.servico, c.leiaute), c.url);
  }
}

// Each row must be refused as a component error whose text names what went wrong.
TEST(Servicos, Recusas) {
  auto t = Enviada();
  struct Caso { const char* nome; std::function<void()> chamar; std::vector<std::string> trechos; } casos[] = {
      {"producao sem endereco", [&] { t.Url("SP", "1", ServicoNFe::Autorizacao); }, {"NfeAutorizacao", "[SP-1]"}},
      {"uf inexistente", [&] { t.Url("XX", "2", ServicoNFe::Autorizacao); }, {}},
      {"ambiente inexistente", [&] { t.Url("SP", "3", ServicoNFe::Autorizacao); }, {}},
      {"arquivo inexistente", [] { TabelaServicos::Carregar("/nao/existe.ini"); }, {}},
      {"autorizacao no ambiente nacional", [&] { t.Url("AN", "2", ServicoNFe::Autorizacao, Leiaute::V400); }, {}},
      {"contingencia do SVRS", [&] { t.UrlContingencia("SVRS", "2", ServicoNFe::Autorizacao); }, {}},
      {"inutilizacao em contingencia", [&] { t.UrlContingencia("SP", "2", ServicoNFe::Inutilizacao); },
       {"NFeInutilizacao4"}},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string erro = teste::ErroDoComponente(c.chamar);
    for (const auto& trecho : c.trechos) EXPECT_TRUE(Contem(erro, trecho)) << erro;
  }
}

TEST(Servicos, VariavelDeAmbienteVenceORegistro) {
  std::optional<teste::VariavelAmbiente> v(std::in_place, "VELANT_SERVICOS", std::nullopt);
  EXPECT_EQ(ArquivoServicos("/etc/servicos.ini"), "/etc/servicos.ini");
  EXPECT_TRUE(std::filesystem::exists(ArquivoServicos("")));
  v.emplace("VELANT_SERVICOS", "/tmp/outro.ini");
  EXPECT_EQ(ArquivoServicos("/etc/servicos.ini"), "/tmp/outro.ini");
}

// Contingency: SVC-RS for the states of its list, SVC-AN for the others,
// never the normal authorizer; neither voids numbers.
TEST(Servicos, Contingencia) {
  auto t = Enviada();
  for (auto [ufs, host] : {std::pair{"AM BA GO MA MS MT PE PR", "svrs.rs.gov.br/"},
                           std::pair{"SP RS MG CE AC DF TO", "svc.fazenda.gov.br/"}})
    for (size_t i = 0; i < std::strlen(ufs); i += 3) {
      const std::string uf(ufs + i, 2);
      for (const char* ambiente : {"1", "2"})
        for (ServicoNFe s : kTodos) {
          SCOPED_TRACE(uf + "-" + ambiente + " " + Descricao(s).nome);
          if (s == ServicoNFe::Inutilizacao) {
            EXPECT_THROW(t.UrlContingencia(uf, ambiente, s), ErroExecucao);
            continue;
          }
          const std::string url = t.UrlContingencia(uf, ambiente, s);
          EXPECT_TRUE(Contem(url, host)) << url;
          EXPECT_NE(url, t.Url(uf, ambiente, s, Leiaute::V400));
        }
    }
  for (const char* uf : kUfs) EXPECT_NO_THROW(t.UrlContingencia(uf, "2", ServicoNFe::Autorizacao)) << uf;
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
  for (ServicoNFe s : kTodos) EXPECT_STRNE(Descricao(s, Leiaute::V400).nome, Descricao(s).nome);
}

// The simulator's table answers every name of both layouts for the states
// and the shared authorities; the contingency authorities and the national
// environment answer under paths of their own, in 4.00 and without voiding;
// each state goes into contingency where the shipped file sends it.
TEST(Servicos, TabelaUnicaTemOsDoisLeiautes) {
  const std::string base = "https://127.0.0.1:9";
  const std::string unica = TabelaServicosUnica(base);
  auto t = TabelaServicos::DeTexto(unica, "t");
  for (const char* uf : {"SP", "MA", "SVRS", "SVAN"})
    for (Leiaute leiaute : {Leiaute::V310, Leiaute::V400})
      for (ServicoNFe s : kTodos)
        EXPECT_EQ(t.Url(uf, "1", s, leiaute), base + "/ws/" + Descricao(s, leiaute).nome + ".asmx");
  for (const char* outro : {"SVC-AN", "SVC-RS", "AN"})
    for (ServicoNFe s : kTodos) {
      EXPECT_THROW(t.Url(outro, "1", s, Leiaute::V310), ErroExecucao) << outro;
      if (s == ServicoNFe::Inutilizacao) {
        EXPECT_THROW(t.Url(outro, "1", s, Leiaute::V400), ErroExecucao) << outro;
        continue;
      }
      const std::string url = t.Url(outro, "1", s, Leiaute::V400);
      EXPECT_EQ(url, base + PrefixoAutorizador(outro) + "/ws/" + Descricao(s, Leiaute::V400).nome + ".asmx");
      std::string_view caminho = std::string_view(url).substr(base.size());
      EXPECT_EQ(AutorizadorDoCaminho(caminho), outro);
      EXPECT_EQ(DescricaoPorCaminho(caminho), &Descricao(s, Leiaute::V400));
    }
  auto enviada = Enviada();
  for (const char* uf : kUfs)
    for (const char* ambiente : {"1", "2"}) {
      SCOPED_TRACE(std::string(uf) + "-" + ambiente);
      const std::string svc = Contem(enviada.UrlContingencia(uf, ambiente, ServicoNFe::Autorizacao), "svrs.rs.gov.br")
                                  ? "SVC-RS"
                                  : "SVC-AN";
      EXPECT_TRUE(Contem(unica, "[" + std::string(uf) + "-" + ambiente + "]\nContingenciaSVC=" + svc));
      EXPECT_EQ(t.UrlContingencia(uf, ambiente, ServicoNFe::Autorizacao),
                base + PrefixoAutorizador(svc) + "/ws/NFeAutorizacao4.asmx");
      EXPECT_EQ(t.AutorizadorContingencia(uf, ambiente), svc);
    }
}

}  // namespace
}  // namespace velant::autoridade
