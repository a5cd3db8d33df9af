// The authority's answers read and turned into the texts of the front end
// and the log, the texts checked the way a reader of them would: the receipt
// from the 31st character, the status line of a batch query, the last 15
// characters as a protocol, the "101", "218" and "102" patterns. Every text
// starts with its status code and " - ".
#include "component/autoridade/respostas_autoridade.h"

#include <gtest/gtest.h>

#include "base/regional.h"
#include "base/texto.h"
#include "component/textos_resposta.h"

namespace velant::autoridade {
namespace {

const std::string kNs = " xmlns=\"http://www.portalfiscal.inf.br/nfe\"";
constexpr const char* kChave = "35160111222333000181550010000001231000001233";

std::string Prot(const std::string& cStat, const std::string& xMotivo, const std::string& nProt = "") {
  return "<protNFe versao=\"3.10\"><infProt><tpAmb>2</tpAmb><verAplic>T</verAplic><chNFe>" + std::string(kChave) +
         "</chNFe><dhRecbto>2016-01-15T10:00:00-03:00</dhRecbto>" +
         (nProt.empty() ? "" : "<nProt>" + nProt + "</nProt>") + "<cStat>" + cStat + "</cStat><xMotivo>" + xMotivo +
         "</xMotivo></infProt></protNFe>";
}
// An answer document: its root, status and reason, and what follows them.
std::string Ret(const std::string& raiz, const std::string& cStat, const std::string& xMotivo,
                const std::string& resto = "", const std::string& antes = "") {
  return "<" + raiz + kNs + " versao=\"3.10\">" + antes + "<cStat>" + cStat + "</cStat><xMotivo>" + xMotivo +
         "</xMotivo>" + resto + "</" + raiz + ">";
}
std::string Lote(const std::string& cStat, const std::string& xMotivo, const std::string& prot = "") {
  return Ret("retConsReciNFe", cStat, xMotivo, prot, "<nRec>351000000000042</nRec>");
}
std::string Autorizada(const std::string& nProt) { return Prot("100", "Autorizado o uso da NF-e", nProt); }
bool ComecaComCodigo(const std::string& texto) { return Like(Left(texto, 6), "### - "); }

TEST(TextoStatus, EmOperacaoSoCom107) {
  struct Caso { const char *cStat, *xMotivo; bool emOperacao; } casos[] = {{"107", "Serviço em Operação", true},
               {"107", "Servico em Operacao", true},
               {"108", "Serviço Paralisado Momentaneamente (curto prazo)", false},
               {"109", "Serviço Paralisado sem Previsão", false},
               {"252", "Rejeição: Ambiente informado diverge", false}};
  for (const auto& c : casos) {
    std::string texto = TextoStatusServico(LerStatusServico(Ret("retConsStatServ", c.cStat, c.xMotivo)));
    EXPECT_EQ(Like(texto, "*Servico em Operacao*") || Like(texto, "*Serviço em operação*"), c.emOperacao) << texto;
    EXPECT_EQ(Left(texto, 6), std::string(c.cStat) + " - ");
  }
}

TEST(TextoEnvioLote, ReciboDoCaractere31OuErro94) {
  std::string recebido = TextoEnvioLote(LerRespostaLote(
      "<retEnviNFe" + kNs + "><cStat>103</cStat><xMotivo>Lote recebido com sucesso</xMotivo>"
                            "<infRec><nRec>351000000000042</nRec><tMed>1</tMed></infRec></retEnviNFe>"));
  EXPECT_EQ(Left(recebido, 6) + Mid(recebido, 31), "103 - 351000000000042");
  // Not received, the reason kept apart: refused, without a receipt, paralysed.
  for (const char* cStat : {"225", "103", "108"}) {
    RespostaLote r =
        LerRespostaLote(std::string("<retEnviNFe><cStat>") + cStat + "</cStat><xMotivo>x</xMotivo></retEnviNFe>");
    EXPECT_EQ(TextoEnvioLote(r) + "|" + r.cStat, "Erro 94|" + std::string(cStat));
  }
}

// The batch query's status line is the third of four or more, else the
// first; the outcome the routines decide on says what its words say.
TEST(TextoLote, LinhaDeStatusEDesfecho) {
  using D = DesfechoLote;
  struct Caso { std::string resposta, linha; DesfechoLote desfecho; } casos[] = {
      {Lote("105", "Lote em processamento"), "105 - Lote em processamento", D::EmProcessamento},
      {Lote("104", "Lote processado", Autorizada("135160000000001")), "100 - Autorizado o uso da NF-e", D::Final},
      {Lote("104", "Lote processado", Prot("297", "Rejeição: Assinatura difere do calculado")),
       "297 - Rejeição: Assinatura difere do calculado", D::Rejeitado},
      {Lote("104", "Lote processado", Prot("204", "Rejeição: Duplicidade de NF-e [nRec:351000000000001]")),
       "204 - Rejeição: Duplicidade de NF-e [nRec:351000000000001]", D::Rejeitado},
      {Lote("104", "Lote processado", Prot("999", "Falha desconhecida")), "999 - Rejeição: Falha desconhecida",
       D::Rejeitado},
      {Lote("104", "Lote processado", Prot("110", "Uso Denegado", "135160000000002")), "110 - Uso Denegado", D::Final},
      {Lote("108", "Serviço Paralisado Momentaneamente (curto prazo)"),
       "108 - Serviço Paralisado Momentaneamente (curto prazo)", D::Final},
      {Lote("106", "Lote não localizado"), "106 - Rejeição: Lote não localizado", D::Rejeitado},
      {Lote("252", "Rejeição: Ambiente informado diverge do Ambiente de recebimento"),
       "252 - Rejeição: Ambiente informado diverge do Ambiente de recebimento", D::Rejeitado},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.linha);
    RespostaLote resposta = LerRespostaLote(c.resposta);
    std::string texto = TextoConsultaLote(resposta);
    std::vector<std::string> linhas;
    for (size_t inicio = 0, fim = 0; fim != std::string::npos; inicio = fim + 2)
      linhas.push_back(texto.substr(inicio, (fim = texto.find("\r\n", inicio)) - inicio));
    EXPECT_EQ(linhas.size() >= 4 ? linhas[2] : linhas[0], c.linha) << texto;
    EXPECT_EQ(LinhaStatusLote(resposta), c.linha);
    EXPECT_EQ(Desfecho(resposta), c.desfecho);
  }
  EXPECT_EQ(TextoConsultaLote(LerRespostaLote(Lote("104", "Lote processado", Autorizada("135160000000001")))),
            "104 - Lote processado\r\nRecibo: 351000000000042\r\n100 - Autorizado o uso da NF-e\r\n"
            "Chave: 35160111222333000181550010000001231000001233 - Protocolo: 135160000000001");
}

// The protocol in the last 15 characters only when authorised; the protocol
// keeps its document, namespace included, for the distribution file.
TEST(TextoSituacao, ProtocoloNosUltimos15SoQuandoAutorizada) {
  struct Caso {
    std::string resposta, protocolo;   // "" when the caller must not find one
  } casos[] = {
      {Ret("retConsSitNFe", "100", "Autorizado o uso da NF-e", Autorizada("135160000000007")), "135160000000007"},
      {Ret("retConsSitNFe", "101", "Cancelamento de NF-e homologado", Autorizada("135160000000007")), ""},
      {Ret("retConsSitNFe", "217", "Rejeição: NF-e não consta na base de dados da SEFAZ"), ""},
      {Ret("retConsSitNFe", "999", "Rejeição: codigo 135160000000007"), ""},
      {Ret("retConsSitNFe", "100", "Autorizado o uso da NF-e"), ""},
      {Ret("retConsSitNFe", "110", "Uso Denegado", Prot("110", "Uso Denegado", "135160000000008")), ""},
  };
  for (const auto& c : casos) {
    RespostaSituacao situacao = LerSituacao(c.resposta);
    std::string texto = TextoConsultaSituacao(situacao);
    EXPECT_TRUE(ComecaComCodigo(texto)) << texto;
    EXPECT_EQ(ProtocoloAutorizado(situacao), c.protocolo) << texto;
    EXPECT_EQ(IsNumeric(Valor(Right(texto, 15))), !c.protocolo.empty()) << texto;
    if (!c.protocolo.empty()) { EXPECT_EQ(Right(texto, 15), c.protocolo) << texto; }
  }
  RespostaSituacao autorizada = LerSituacao(casos[0].resposta);
  ASSERT_TRUE(autorizada.protocolo.has_value());
  EXPECT_EQ(
      autorizada.protocolo->xml.rfind("<protNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\">", 0), 0u)
      << autorizada.protocolo->xml;
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

// Registered reads as "Evento registrado e vinculado" or "101" with the
// protocol last; already cancelled as "218"; anything else as neither.
TEST(TextoEvento, PadroesDoCancelamento) {
  enum Leitura { Registrado, JaCancelada, Recusado };
  struct Caso {
    std::string resposta;
    Leitura leitura;
    std::string texto;   // "" when only the reading counts
  } casos[] = {
      {Evento("128", "135", "Evento registrado e vinculado a NF-e", "135160000000009"), Registrado,
       "135 - Evento registrado e vinculado a NF-e - Protocolo: 135160000000009"},
      {Evento("128", "155", "Cancelamento homologado fora de prazo", "135160000000010"), Registrado, ""},
      // The receipt inside the brackets holds "101": it must not read as registered.
      {Evento("128", "218", "Rejeição: NF-e já está cancelada na base de dados da SEFAZ [nRec:135161010000001]"),
       JaCancelada, "218 - Rejeição: NF-e já está cancelada na base de dados da SEFAZ"},
      {Evento("128", "222", "Rejeição: Protocolo de Autorização de Uso difere do cadastrado [nProt:135161010021801]"),
       Recusado, ""},
      {Evento("128", "999", "Rejeição: campo 101 inválido"), Recusado, ""},
      {Evento("128", "136", "Evento registrado, mas não vinculado a NF-e", "135160000000011"), Recusado, ""},
      {Evento("128", "573", "Rejeição: Duplicidade de Evento"), Recusado, "573 - Rejeição: Duplicidade de Evento"},
      {Evento("215", "", ""), Recusado, ""},
  };
  for (const auto& c : casos) {
    std::string texto = TextoEventoCancelamento(LerEvento(c.resposta));
    SCOPED_TRACE(texto);
    bool registrado = Like(texto, "*Evento registrado e vinculado*") || Like(texto, "*101*");
    EXPECT_EQ(registrado, c.leitura == Registrado);
    EXPECT_EQ(!registrado && Like(texto, "*218*"), c.leitura == JaCancelada);
    if (registrado) { EXPECT_TRUE(IsNumeric(Valor(Right(texto, 15)))); }
    if (!c.texto.empty()) { EXPECT_EQ(texto, c.texto); }
    EXPECT_TRUE(ComecaComCodigo(texto));
  }
}

// The exact text; "102" may appear in it only when voided.
TEST(TextoInutilizacao, TextoExato) {
  auto inut = [](const std::string& cStat, const std::string& xMotivo, const std::string& nProt = "") {
    return "<retInutNFe" + kNs + " versao=\"3.10\"><infInut><cStat>" + cStat + "</cStat><xMotivo>" + xMotivo +
           "</xMotivo>" + (nProt.empty() ? "" : "<nProt>" + nProt + "</nProt>") + "</infInut></retInutNFe>";
  };
  // Already voided, with the two blanks the callers compare.
  const std::string ja = " - Rejeição: NF-e  já esta inutilizada na base de dados da SEFAZ";
  const std::pair<std::string, std::string> casos[] = {
      {inut("102", "Inutilização de número homologado", "135160000000012"),
       "102 - Inutilização de número homologado - Protocolo: 135160000000012"},
      {inut("206", "Rejeição: qualquer"), "206" + ja},
      {inut("256", "Rejeição: qualquer"), "256" + ja},
      {inut("563", "Rejeição: qualquer"), "563" + ja},
      {inut("241", "Rejeição: Um número da faixa já foi utilizado"),
       "241 - Rejeição: Um número da faixa já foi utilizado"},
      {inut("252", "Ambiente informado diverge"), "252 - Rejeição: Ambiente informado diverge"},
      // A reason holding "102" would read as voided.
      {inut("999", "Rejeição: faixa 1020 a 1030 [nProt:135161020000001]"),
       "999 - Rejeição: inutilização não homologada"},
  };
  for (const auto& [resposta, esperado] : casos) {
    std::string texto = TextoInutilizacao(LerInutilizacao(resposta));
    EXPECT_EQ(texto, esperado);
    EXPECT_EQ(Like(texto, "*102*"), Left(texto, 3) == "102") << texto;
  }
}

}  // namespace
}  // namespace velant::autoridade
