#pragma once
// SOAP 1.2 envelopes of the authority's services, the message inside
// nfeDadosMsg. Layout 3.10: the request carries nfeCabecMsg (cUF,
// versaoDados) in the header and the answer wraps the result in
// <operation>Result; layout 4.00: no header, the answer in nfeResultMsg.
// Both the client and the simulator use these.
#include <string>

#include "component/autoridade/servicos_autorizacao.h"

namespace velant::autoridade {

inline constexpr const char* kNamespaceSoap12 = "http://www.w3.org/2003/05/soap-envelope";

// The HTTP Content-Type of a request or answer of the service.
std::string TipoConteudoSoap(const DescricaoServico& d);

// mensagem: the message document (its XML declaration, if any, is dropped).
std::string MontaEnvelopePedido(const DescricaoServico& d, const std::string& codigoUf,
                                const std::string& mensagem);
std::string MontaEnvelopeResposta(const DescricaoServico& d, const std::string& codigoUf,
                                  const std::string& mensagem);
// A SOAP 1.2 Fault; codigo is "Sender" or "Receiver".
std::string MontaFalhaSoap(const std::string& codigo, const std::string& motivo);

struct PedidoSoap {
  std::string namespaceDados;   // namespace of nfeDadosMsg
  std::string codigoUf;         // nfeCabecMsg/cUF ("" when absent)
  std::string versaoDados;      // nfeCabecMsg/versaoDados ("" when absent)
  std::string mensagem;         // the message element as a document of its own
  std::string raiz;             // its local name
};
// Raises ErroExecucao (ErroComponente) when it is not such an envelope.
PedidoSoap LePedido(const std::string& envelope);

// The message inside an answer as a document of its own. A Fault, or an
// envelope without a message, raises ErroExecucao (ErroComponente) with the
// reason the server gave.
std::string LeResposta(const std::string& envelope);

}  // namespace velant::autoridade
