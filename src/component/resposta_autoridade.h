#pragma once
// What the fiscal component read in the tax authority's answers, field by
// field. The lifecycle routines decide on these fields; the texts the front
// end and the log show are made from them in textos_resposta.h only.
#include <optional>
#include <string>

namespace velant {

// The authority's signature over the part of an answer that carries it.
struct AssinaturaResposta {
  enum class Estado { Ausente, Valida, Invalida };
  Estado estado = Estado::Ausente;
  std::string motivo;   // what failed, for Invalida
};

// protNFe/infProt: the authority's word on one invoice.
struct ProtocoloNFe {
  std::string chNFe, dhRecbto, nProt, digVal, cStat, xMotivo;
  std::string xml;                  // the protNFe element as it came, for the distribution file
  AssinaturaResposta assinatura;
  // Why the component does not believe it (another key, another document,
  // a bad or missing signature), at most 50 characters; "" when it does.
  std::string recusa;

  bool Autorizado() const { return cStat == "100" || cStat == "150"; }
};

// retConsStatServ.
struct RespostaStatus {
  std::string cStat, xMotivo, dhRecbto;
  bool EmOperacao() const { return cStat == "107"; }
};

// retEnviNFe (batch sent) and retConsReciNFe (batch queried). A batch of
// one invoice sent for the synchronous answer (layout 4.00) comes back
// processed at once: retEnviNFe carries 104 and the protNFe, no receipt.
struct RespostaLote {
  std::string cStat, xMotivo, nRec, dhRecbto;
  std::optional<ProtocoloNFe> protocolo;   // the invoice's, once the batch is processed

  bool Recebido() const { return cStat == "103"; }
  bool Processado() const { return cStat == "104" && protocolo.has_value(); }
};

// retConsSitNFe.
struct RespostaSituacao {
  std::string cStat, xMotivo, chNFe;
  std::optional<ProtocoloNFe> protocolo;
};

// A registration with a protocol of its own: the events, cancellation and
// correction letter (retEvento/infEvento; the batch's code and reason when
// there is no event), and the number voiding (retInutNFe/infInut).
struct RespostaRegistro {
  std::string cStat, xMotivo, chNFe, nProt, dhRegistro;
  std::string xml;                  // the signed part as it came
  AssinaturaResposta assinatura;
  std::string recusa;               // as in ProtocoloNFe
  // The correction letter registered (135) and believed: its procEventoNFe,
  // valid against its schema; "" otherwise.
  std::string distribuicao;
};

}  // namespace velant
