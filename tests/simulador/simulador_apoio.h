#pragma once
// What the in-process simulator tests share: a request as the server hands
// it over (the service's path and SOAP 1.2 Content-Type, the envelope).
#include <string>

#include "component/autoridade/envelope_soap.h"
#include "component/autoridade/servicos_autorizacao.h"
#include "simulador/simulador_autoridade.h"

namespace velant::teste {

inline autoridade::PedidoHttp PedidoHttpDe(const autoridade::DescricaoServico& d, const std::string& envelope) {
  return {autoridade::CaminhoServico(d), autoridade::TipoConteudoSoap(d), envelope};
}

// The message in its service's envelope, at its service's path.
inline autoridade::PedidoHttp PedidoServico(const autoridade::DescricaoServico& d, const std::string& mensagem) {
  return PedidoHttpDe(d, autoridade::MontaEnvelopePedido(d, "35", mensagem));
}

}  // namespace velant::teste
