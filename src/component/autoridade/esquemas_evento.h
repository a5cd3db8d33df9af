#pragma once
// The event service takes events of several types, each with its schema
// package: the request and answer schemas of an envEvento follow its tpEvento.
// The client validates by them before sending, the simulator on receipt.
#include <string>
#include <string_view>

#include "component/autoridade/servicos_autorizacao.h"

namespace velant::autoridade {

struct EsquemasMensagem {
  const char* pedido;
  const char* resposta;
};

// The correction letter (110110) has evento-cce/, the EPEC (110140)
// evento-epec/; any other message the
// service's own schemas.
EsquemasMensagem EsquemasDoEvento(const DescricaoServico& d, std::string_view tpEvento);

// The tpEvento of the first event of an envEvento message; "" when the text
// is not one (not XML, another root, no event).
std::string TipoDoEvento(const std::string& mensagem);

}  // namespace velant::autoridade
