// The authority's answers read and turned into the texts of the front end
// and the log, the texts checked the way a reader of them would: the receipt
// from the 31st character, the status line of a batch query, the last 15
// characters as a protocol, the "101", "218" and "102" patterns. Every text
// starts with its status code and " - ".
#include "component/autoridade/respostas_autoridade.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "base/regional.h"
#include "base/texto.h"
#include "component/textos_resposta.h"

namespace velant::autoridade {
namespace {

const std::string kNs = " xmlns=\"http://www.portalfiscal.inf.br/nfe\"";

// Each answer document read, then written as its text.
std::string TextoStatusServico(const std::string& xml) { return velant::TextoStatusServico(LerStatusServico(xml)); }
std::string TextoConsultaLote(const std::string& xml) { return velant::TextoConsultaLote(LerRespostaLote(xml)); }
std::string TextoConsultaSituacao(const std::string& xml) { return velant::TextoConsultaSituacao(LerSituacao(xml)); }
std::string TextoEventoCancelamento(const std::string& xml) {
  return velant::TextoEventoCancelamento(LerEvento(xml));
}
struct ResultadoEnvio {
  bool recebido;
  std::string texto, cStat;
};
ResultadoEnvio TextoEnvioLote(const std::string& xml) {
  RespostaLote r = LerRespostaLote(xml);
  std::string texto = velant::TextoEnvioLote(r);
  return {texto != kLoteNaoRecebido, texto, r.cStat};
}

std::string Prot(const std::string& cStat, const std::string& xMotivo, const std::string& nProt = "") {
  return "<protNFe versao=\"3.10\"><infProt><tpAmb>2</tpAmb><verAplic>T</verAplic>"
         "<chNFe>35160111222333000181550010000001231000001233</chNFe><dhRecbto>2016-01-15T10:00:00-03:00</dhRecbto>" +
         (nProt.empty() ? "" : "<nProt>" + nProt + "</nProt>") + "<cStat>" + cStat + "</cStat><xMotivo>" + xMotivo +
         "</xMotivo></infProt></protNFe>";
}

// --- How the callers read the texts ------------------------------------

// The batch query's status line: the third line of four or more, else the first.
std::string LinhaStatus(const std::string& texto) {
  std::vector<std::string> linhas;
  size_t inicio = 0, p;
  while ((p = texto.find("\r\n", inicio)) != std::string::npos) {
    linhas.push_back(texto.substr(inicio, p - inicio));
    inicio = p + 2;
  }
  linhas.push_back(texto.substr(inicio));
  return linhas.size() >= 4 ? linhas[2] : linhas[0];
}

enum class Leitura { Rejeicao, EmProcessamento, Final };

Leitura LeituraDoLote(const std::string& texto) {
  std::string linha = UCase(LinhaStatus(texto));
  if (Like(linha, "*REJEICAO*") || Like(linha, "*REJEIÇÃO*")) return Leitura::Rejeicao;
  if (Like(linha, "*EM PROCESSAMENTO*")) return Leitura::EmProcessamento;
  return Leitura::Final;
}

bool ProtocoloNoFim(const std::string& texto) { return IsNumeric(Valor(Right(texto, 15))); }

bool ComecaComCodigo(const std::string& texto) { return Like(Left(texto, 6), "### - "); }

// --- StatusServico ---------------------------------------------------------

struct CasoStatus {
  const char* cStat;
  const char* xMotivo;
  bool emOperacao;
};
void PrintTo(const CasoStatus& c, std::ostream* os) { *os << c.cStat << " " << c.xMotivo; }

class TextoStatus : public ::testing::TestWithParam<CasoStatus> {};

TEST_P(TextoStatus, EmOperacaoSoCom107) {
  const auto& c = GetParam();
  std::string texto = TextoStatusServico("<retConsStatServ" + kNs + " versao=\"3.10\"><cStat>" + c.cStat +
                                         "</cStat><xMotivo>" + c.xMotivo + "</xMotivo></retConsStatServ>");
  EXPECT_EQ(Like(texto, "*Servico em Operacao*") || Like(texto, "*Serviço em operação*"), c.emOperacao) << texto;
  EXPECT_EQ(Left(texto, 6), std::string(c.cStat) + " - ");
}

INSTANTIATE_TEST_SUITE_P(Codigos, TextoStatus,
                         ::testing::Values(CasoStatus{"107", "Serviço em Operação", true},
                                           CasoStatus{"107", "Servico em Operacao", true},
                                           CasoStatus{"108", "Serviço Paralisado Momentaneamente (curto prazo)", false},
                                           CasoStatus{"109", "Serviço Paralisado sem Previsão", false},
                                           CasoStatus{"252", "Rejeição: Ambiente informado diverge", false}));

// --- EnviaLote -------------------------------------------------------------

TEST(TextoEnvioLote, ReciboComecaNoCaractere31) {
  auto r = TextoEnvioLote("<retEnviNFe" + kNs + "><cStat>103</cStat><xMotivo>Lote recebido com sucesso</xMotivo>"
                          "<infRec><nRec>351000000000042</nRec><tMed>1</tMed></infRec></retEnviNFe>");
  EXPECT_TRUE(r.recebido);
  EXPECT_EQ(Mid(r.texto, 31), "351000000000042");
  EXPECT_TRUE(ComecaComCodigo(r.texto));
  EXPECT_EQ(Left(r.texto, 6), "103 - ");
}

TEST(TextoEnvioLote, NaoRecebidoEErro94ComOMotivoAParte) {
  for (const std::string resposta :
       {"<retEnviNFe><cStat>225</cStat><xMotivo>Rejeição: Falha no Schema XML do lote de NFe</xMotivo></retEnviNFe>",
        "<retEnviNFe><cStat>103</cStat><xMotivo>Lote recebido</xMotivo></retEnviNFe>",
        "<retEnviNFe><cStat>108</cStat><xMotivo>Serviço Paralisado</xMotivo></retEnviNFe>"}) {
    auto r = TextoEnvioLote(resposta);
    EXPECT_FALSE(r.recebido);
    EXPECT_EQ(r.texto, "Erro 94");
    EXPECT_FALSE(r.cStat.empty());
  }
  EXPECT_EQ(TextoEnvioLote("<retEnviNFe><cStat>225</cStat><xMotivo>x</xMotivo></retEnviNFe>").cStat, "225");
}

// --- ConsultaLote ----------------------------------------------------------

struct CasoLote {
  const char* nome;
  std::string resposta;
  Leitura leitura;
  std::string linhaStatus;
};
void PrintTo(const CasoLote& c, std::ostream* os) { *os << c.nome; }

class TextoLote : public ::testing::TestWithParam<CasoLote> {};

TEST_P(TextoLote, LinhaDeStatusComoOChamadorLe) {
  const auto& c = GetParam();
  RespostaLote resposta = LerRespostaLote(c.resposta);
  std::string texto = velant::TextoConsultaLote(resposta);
  EXPECT_EQ(LinhaStatus(texto), c.linhaStatus) << texto;
  EXPECT_EQ(LinhaStatusLote(resposta), c.linhaStatus);
  EXPECT_EQ(LeituraDoLote(texto), c.leitura) << texto;
  // The outcome the routines decide on says what the words say.
  const DesfechoLote esperado[] = {DesfechoLote::Rejeitado, DesfechoLote::EmProcessamento, DesfechoLote::Final};
  EXPECT_EQ(Desfecho(resposta), esperado[static_cast<int>(c.leitura)]) << texto;
  EXPECT_TRUE(ComecaComCodigo(texto)) << texto;
}

std::string Lote(const std::string& cStat, const std::string& xMotivo, const std::string& prot = "") {
  return "<retConsReciNFe" + kNs + " versao=\"3.10\"><nRec>351000000000042</nRec><cStat>" + cStat +
         "</cStat><xMotivo>" + xMotivo + "</xMotivo>" + prot + "</retConsReciNFe>";
}

INSTANTIATE_TEST_SUITE_P(
    Respostas, TextoLote,
    ::testing::Values(
        CasoLote{"EmProcessamento", Lote("105", "Lote em processamento"), Leitura::EmProcessamento,
                 "105 - Lote em processamento"},
        CasoLote{"Autorizada", Lote("104", "Lote processado", Prot("100", "Autorizado o uso da NF-e", "135160000000001")),
                 Leitura::Final, "100 - Autorizado o uso da NF-e"},
        CasoLote{"Rejeitada", Lote("104", "Lote processado", Prot("297", "Rejeição: Assinatura difere do calculado")),
                 Leitura::Rejeicao, "297 - Rejeição: Assinatura difere do calculado"},
        CasoLote{"Duplicada", Lote("104", "Lote processado",
                                   Prot("204", "Rejeição: Duplicidade de NF-e [nRec:351000000000001]")),
                 Leitura::Rejeicao, "204 - Rejeição: Duplicidade de NF-e [nRec:351000000000001]"},
        CasoLote{"RejeicaoSemAPalavra", Lote("104", "Lote processado", Prot("999", "Falha desconhecida")),
                 Leitura::Rejeicao, "999 - Rejeição: Falha desconhecida"},
        CasoLote{"Denegada", Lote("104", "Lote processado", Prot("110", "Uso Denegado", "135160000000002")),
                 Leitura::Final, "110 - Uso Denegado"},
        CasoLote{"Paralisado", Lote("108", "Serviço Paralisado Momentaneamente (curto prazo)"), Leitura::Final,
                 "108 - Serviço Paralisado Momentaneamente (curto prazo)"},
        CasoLote{"LoteNaoLocalizado", Lote("106", "Lote não localizado"), Leitura::Rejeicao,
                 "106 - Rejeição: Lote não localizado"},
        CasoLote{"AmbienteErrado", Lote("252", "Rejeição: Ambiente informado diverge do Ambiente de recebimento"),
                 Leitura::Rejeicao, "252 - Rejeição: Ambiente informado diverge do Ambiente de recebimento"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(TextoLote, ProcessadoTemQuatroLinhasComChaveEProtocolo) {
  std::string texto =
      TextoConsultaLote(Lote("104", "Lote processado", Prot("100", "Autorizado o uso da NF-e", "135160000000001")));
  EXPECT_EQ(texto,
            "104 - Lote processado\r\nRecibo: 351000000000042\r\n100 - Autorizado o uso da NF-e\r\n"
            "Chave: 35160111222333000181550010000001231000001233 - Protocolo: 135160000000001");
}

// --- ConsultaSituacao ------------------------------------------------------

struct CasoSituacao {
  const char* nome;
  std::string resposta;
  std::string protocolo;   // "" when the caller must not find one
};
void PrintTo(const CasoSituacao& c, std::ostream* os) { *os << c.nome; }

class TextoSituacao : public ::testing::TestWithParam<CasoSituacao> {};

TEST_P(TextoSituacao, ProtocoloNosUltimos15SoQuandoAutorizada) {
  const auto& c = GetParam();
  std::string texto = TextoConsultaSituacao(c.resposta);
  EXPECT_TRUE(ComecaComCodigo(texto)) << texto;
  if (c.protocolo.empty()) {
    EXPECT_FALSE(ProtocoloNoFim(texto)) << texto;
  } else {
    EXPECT_EQ(Right(texto, 15), c.protocolo) << texto;
  }
}

std::string Situacao(const std::string& cStat, const std::string& xMotivo, const std::string& prot = "") {
  return "<retConsSitNFe" + kNs + " versao=\"3.10\"><cStat>" + cStat + "</cStat><xMotivo>" + xMotivo +
         "</xMotivo>" + prot + "</retConsSitNFe>";
}

INSTANTIATE_TEST_SUITE_P(
    Respostas, TextoSituacao,
    ::testing::Values(
        CasoSituacao{"Autorizada",
                     Situacao("100", "Autorizado o uso da NF-e", Prot("100", "Autorizado o uso da NF-e", "135160000000007")),
                     "135160000000007"},
        CasoSituacao{"Cancelada",
                     Situacao("101", "Cancelamento de NF-e homologado",
                              Prot("100", "Autorizado o uso da NF-e", "135160000000007")),
                     ""},
        CasoSituacao{"NaoConsta", Situacao("217", "Rejeição: NF-e não consta na base de dados da SEFAZ"), ""},
        CasoSituacao{"MotivoTerminadoEmDigitos", Situacao("999", "Rejeição: codigo 135160000000007"), ""},
        CasoSituacao{"AutorizadaSemProtocolo", Situacao("100", "Autorizado o uso da NF-e"), ""},
        CasoSituacao{"Denegada", Situacao("110", "Uso Denegado", Prot("110", "Uso Denegado", "135160000000008")), ""}),
    [](const auto& info) { return std::string(info.param.nome); });

// The protocol keeps its document, namespace included, for the distribution
// file; its number counts only when the invoice is authorised.
TEST(ProtocoloAutorizado, SoDeNotaAutorizada) {
  RespostaSituacao autorizada = LerSituacao(
      Situacao("100", "Autorizado o uso da NF-e", Prot("100", "Autorizado o uso da NF-e", "135160000000007")));
  ASSERT_TRUE(autorizada.protocolo.has_value());
  EXPECT_EQ(autorizada.protocolo->xml.rfind("<protNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\">", 0),
            0u)
      << autorizada.protocolo->xml;
  EXPECT_EQ(ProtocoloAutorizado(autorizada), "135160000000007");
  EXPECT_EQ(ProtocoloAutorizado(LerSituacao(Situacao("101", "Cancelamento de NF-e homologado",
                                                     Prot("100", "Autorizado o uso da NF-e", "135160000000007")))),
            "");
}

// --- EventoCancelamento ------------------------------------------------------

struct CasoEvento {
  const char* nome;
  std::string resposta;
  enum { Registrado, JaCancelada, Recusado } leitura;
  std::string protocolo;
};
void PrintTo(const CasoEvento& c, std::ostream* os) { *os << c.nome; }

class TextoEvento : public ::testing::TestWithParam<CasoEvento> {};

TEST_P(TextoEvento, PadroesDoCancelamento) {
  const auto& c = GetParam();
  std::string texto = TextoEventoCancelamento(c.resposta);
  bool registrado = Like(texto, "*Evento registrado e vinculado*") || Like(texto, "*101*");
  bool jaCancelada = !registrado && Like(texto, "*218*");
  EXPECT_EQ(registrado, c.leitura == CasoEvento::Registrado) << texto;
  EXPECT_EQ(jaCancelada, c.leitura == CasoEvento::JaCancelada) << texto;
  if (registrado) {
    EXPECT_EQ(Right(texto, 15), c.protocolo) << texto;
  }
  EXPECT_TRUE(ComecaComCodigo(texto)) << texto;
}

std::string Evento(const std::string& cStatLote, const std::string& cStat, const std::string& xMotivo,
                   const std::string& nProt = "") {
  std::string ret = cStat.empty() ? ""
                                  : "<retEvento versao=\"1.00\"><infEvento><cStat>" + cStat + "</cStat><xMotivo>" +
                                        xMotivo + "</xMotivo>" + (nProt.empty() ? "" : "<nProt>" + nProt + "</nProt>") +
                                        "</infEvento></retEvento>";
  return "<retEnvEvento" + kNs + " versao=\"1.00\"><cStat>" + cStatLote +
         "</cStat><xMotivo>Lote de Evento Processado</xMotivo>" + ret + "</retEnvEvento>";
}

INSTANTIATE_TEST_SUITE_P(
    Respostas, TextoEvento,
    ::testing::Values(
        CasoEvento{"Registrado", Evento("128", "135", "Evento registrado e vinculado a NF-e", "135160000000009"),
                   CasoEvento::Registrado, "135160000000009"},
        CasoEvento{"ForaDePrazo", Evento("128", "155", "Cancelamento homologado fora de prazo", "135160000000010"),
                   CasoEvento::Registrado, "135160000000010"},
        // The receipt inside the brackets holds "101": it must not read as registered.
        CasoEvento{"JaCancelada",
                   Evento("128", "218", "Rejeição: NF-e já está cancelada na base de dados da SEFAZ [nRec:135161010000001]"),
                   CasoEvento::JaCancelada, ""},
        CasoEvento{"ProtocoloDiferente",
                   Evento("128", "222", "Rejeição: Protocolo de Autorização de Uso difere do cadastrado [nProt:135161010021801]"),
                   CasoEvento::Recusado, ""},
        CasoEvento{"MotivoComOsDigitos", Evento("128", "999", "Rejeição: campo 101 inválido"), CasoEvento::Recusado, ""},
        CasoEvento{"NaoVinculado", Evento("128", "136", "Evento registrado, mas não vinculado a NF-e", "135160000000011"),
                   CasoEvento::Recusado, ""},
        CasoEvento{"LoteRecusado", Evento("215", "", ""), CasoEvento::Recusado, ""}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(TextoEvento, TextosExatos) {
  EXPECT_EQ(TextoEventoCancelamento(Evento("128", "135", "Evento registrado e vinculado a NF-e", "135160000000009")),
            "135 - Evento registrado e vinculado a NF-e - Protocolo: 135160000000009");
  EXPECT_EQ(TextoEventoCancelamento(Evento("128", "218", "Rejeição: NF-e já está cancelada [nRec:1]")),
            "218 - Rejeição: NF-e já está cancelada na base de dados da SEFAZ");
  EXPECT_EQ(TextoEventoCancelamento(Evento("128", "573", "Rejeição: Duplicidade de Evento")),
            "573 - Rejeição: Duplicidade de Evento");
}

// --- InutilizaNumeracao ------------------------------------------------------

std::string Inut(const std::string& cStat, const std::string& xMotivo, const std::string& nProt = "") {
  return "<retInutNFe" + kNs + " versao=\"3.10\"><infInut><cStat>" + cStat + "</cStat><xMotivo>" + xMotivo +
         "</xMotivo>" + (nProt.empty() ? "" : "<nProt>" + nProt + "</nProt>") + "</infInut></retInutNFe>";
}

// The exact text; "102" may appear in it only when voided.
struct CasoInutilizacao {
  const char* nome;
  std::string resposta, texto;
};
void PrintTo(const CasoInutilizacao& c, std::ostream* os) { *os << c.nome; }

class TextoInutilizacao : public ::testing::TestWithParam<CasoInutilizacao> {};

TEST_P(TextoInutilizacao, TextoExato) {
  const auto& c = GetParam();
  std::string texto = velant::TextoInutilizacao(LerInutilizacao(c.resposta));
  EXPECT_EQ(texto, c.texto);
  EXPECT_EQ(Like(texto, "*102*"), Left(texto, 3) == "102") << texto;
}

const std::string kJa = " - Rejeição: NF-e  já esta inutilizada na base de dados da SEFAZ";

INSTANTIATE_TEST_SUITE_P(
    Respostas, TextoInutilizacao,
    ::testing::Values(
        CasoInutilizacao{"Homologada", Inut("102", "Inutilização de número homologado", "135160000000012"),
                         "102 - Inutilização de número homologado - Protocolo: 135160000000012"},
        // Already voided, with the two blanks the callers compare.
        CasoInutilizacao{"JaInutilizada206", Inut("206", "Rejeição: qualquer"), "206" + kJa},
        CasoInutilizacao{"JaInutilizada256", Inut("256", "Rejeição: qualquer"), "256" + kJa},
        CasoInutilizacao{"JaInutilizada563", Inut("563", "Rejeição: qualquer"), "563" + kJa},
        CasoInutilizacao{"NumeroUsado", Inut("241", "Rejeição: Um número da faixa já foi utilizado"),
                         "241 - Rejeição: Um número da faixa já foi utilizado"},
        CasoInutilizacao{"MotivoSemPrefixo", Inut("252", "Ambiente informado diverge"),
                         "252 - Rejeição: Ambiente informado diverge"},
        // A reason holding "102" would read as voided.
        CasoInutilizacao{"MotivoCom102", Inut("999", "Rejeição: faixa 1020 a 1030 [nProt:135161020000001]"),
                         "999 - Rejeição: inutilização não homologada"}),
    [](const auto& info) { return std::string(info.param.nome); });

}  // namespace
}  // namespace velant::autoridade
