// The authority's answers read and turned into the texts of the front end
// and the log, checked the way a reader of them would: the status line of a
// batch query, the last 15 characters as a protocol, the "101", "218" and
// "102" patterns. (The plain 107/135/218/102/563 texts are the end-to-end cases'.)
#include "component/autoridade/respostas_autoridade.h"

#include <gtest/gtest.h>

#include "base/regional.h"
#include "base/texto.h"
#include "component/textos_resposta.h"

namespace velant::autoridade {
namespace {

const std::string kNs = " xmlns=\"http://www.portalfiscal.inf.br/nfe\"";

std::string Prot(const std::string& cStat, const std::string& xMotivo, const std::string& nProt = "") {
  return "<protNFe versao=\"3.10\"><infProt><chNFe>35160111222333000181550010000001231000001233</chNFe>" +
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

// The status line (the third of four, else the only one) and the outcome
// the routines decide on.
TEST(TextoLote, LinhaDeStatusEDesfecho) {
  using D = DesfechoLote;
  struct Caso { std::string resposta, linha; DesfechoLote desfecho; } casos[] = {
      {Lote("105", "Lote em processamento"), "105 - Lote em processamento", D::EmProcessamento},
      {Lote("104", "Lote processado", Prot("297", "Rejeição: Assinatura difere")), "297 - Rejeição: Assinatura difere",
       D::Rejeitado},
      {Lote("104", "Lote processado", Prot("999", "Falha desconhecida")), "999 - Rejeição: Falha desconhecida",
       D::Rejeitado},
      {Lote("104", "Lote processado", Prot("110", "Uso Denegado", "135160000000002")), "110 - Uso Denegado", D::Final},
      {Lote("104", "Lote processado", Prot("302", "Uso Denegado", "135160000000002")), "302 - Uso Denegado", D::Final},
      {Lote("108", "Paralisado"), "108 - Paralisado", D::Final},
      {Lote("109", "Paralisado sem Previsão"), "109 - Paralisado sem Previsão", D::Final},
      {Lote("106", "Lote não localizado"), "106 - Rejeição: Lote não localizado", D::Rejeitado},
      {Lote("252", "REJEICAO: Ambiente diverge"), "252 - REJEICAO: Ambiente diverge", D::Rejeitado},
  };
  for (const auto& c : casos) {
    RespostaLote resposta = LerRespostaLote(c.resposta);
    EXPECT_EQ(LinhaStatusLote(resposta), c.linha);
    EXPECT_EQ(Desfecho(resposta), c.desfecho) << c.linha;
  }
  EXPECT_EQ(TextoConsultaLote(LerRespostaLote(Lote("104", "Lote processado", Prot("100", "x", "135160000000001")))),
            "104 - Lote processado\r\nRecibo: 351000000000042\r\n100 - Autorizado o uso da NF-e\r\n"
            "Chave: 35160111222333000181550010000001231000001233 - Protocolo: 135160000000001");
}

// The protocol in the last 15 characters only when authorised.
TEST(TextoSituacao, ProtocoloNosUltimos15SoQuandoAutorizada) {
  const std::string autorizada = Prot("100", "Autorizado o uso da NF-e", "135160000000007");
  const std::pair<std::string, std::string> casos[] = {
      {Ret("retConsSitNFe", "150", "Autorizado fora de prazo", autorizada),
       "150 - Autorizado o uso da NF-e - Protocolo: 135160000000007"},
      {Ret("retConsSitNFe", "101", "Cancelamento de NF-e homologado", autorizada), "101 - Cancelamento de NF-e homologado"},
      {Ret("retConsSitNFe", "999", "Rejeição: codigo 135160000000007"), "999 - Rejeição: codigo 135160000000007."},
      {Ret("retConsSitNFe", "100", "Autorizado o uso da NF-e"), "100 - Autorizado o uso da NF-e"},
      {Ret("retConsSitNFe", "100", "x", Prot("100", "x", "13516000000000")), "100 - x"},
  };
  for (const auto& [resposta, texto] : casos) EXPECT_EQ(TextoConsultaSituacao(LerSituacao(resposta)), texto);
  // The protocol keeps its document, namespace included, for the distribution file.
  EXPECT_EQ(LerSituacao(casos[0].first).protocolo.value_or(ProtocoloNFe{}).xml.rfind("<protNFe" + kNs, 0), 0u);
}

// Registered reads as "Evento registrado e vinculado" or "101" with the
// protocol last; already cancelled as "218"; anything else as neither.
TEST(TextoEvento, PadroesDoCancelamento) {
  auto evento = [](const std::string& cStatLote, const std::string& cStat, const std::string& xMotivo,
                   const std::string& nProt) {
    std::string ret = cStat.empty() ? ""
                                    : "<retEvento versao=\"1.00\"><infEvento><cStat>" + cStat + "</cStat><xMotivo>" +
                                          xMotivo + "</xMotivo><nProt>" + nProt + "</nProt></infEvento></retEvento>";
    return "<retEnvEvento" + kNs + " versao=\"1.00\"><cStat>" + cStatLote + "</cStat><xMotivo>Lote de Evento " +
           "Processado</xMotivo>" + ret + "</retEnvEvento>";
  };
  const std::pair<std::string, std::string> casos[] = {
      // The receipt inside the brackets holds "101": it must not read as registered.
      {evento("128", "218", "Rejeição: NF-e já está cancelada [nRec:135161010000001]", ""),
       "218 - Rejeição: NF-e já está cancelada na base de dados da SEFAZ"},
      {evento("128", "999", "Rejeição: campo 101 inválido", ""), "999 - Rejeição: evento não registrado"},
      // The details in brackets are no code: their "101" reads as nothing.
      {evento("128", "222", "Rejeição: Protocolo difere [nProt:135161010021801]", ""), "222 - Rejeição: Protocolo difere"},
      {evento("215", "", "", ""), "215 - Lote de Evento Processado"},
  };
  for (const auto& [resposta, texto] : casos) EXPECT_EQ(TextoEventoCancelamento(LerEvento(resposta)), texto);
}

// "102" may appear in the text only when voided; 206 and 256 read as already voided.
TEST(TextoInutilizacao, TextoExato) {
  auto inut = [](const std::string& cStat, const std::string& xMotivo) {
    return "<retInutNFe" + kNs + " versao=\"3.10\"><infInut><cStat>" + cStat + "</cStat><xMotivo>" + xMotivo +
           "</xMotivo></infInut></retInutNFe>";
  };
  const std::pair<std::string, std::string> casos[] = {
      {inut("206", "x"), "206 - Rejeição: NF-e  já esta inutilizada na base de dados da SEFAZ"},
      {inut("256", "x"), "256 - Rejeição: NF-e  já esta inutilizada na base de dados da SEFAZ"},
      {inut("252", "Ambiente informado diverge"), "252 - Rejeição: Ambiente informado diverge"},
      {inut("999", "Rejeição: faixa 1020 [nProt:135161020000001]"), "999 - Rejeição: inutilização não homologada"},
  };
  for (const auto& [resposta, texto] : casos) EXPECT_EQ(TextoInutilizacao(LerInutilizacao(resposta)), texto);
}

}  // namespace
}  // namespace velant::autoridade
