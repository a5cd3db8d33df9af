#pragma once
#include "contexto/contexto.h"

namespace velant {

// "STATUS SERVICO": asks the fiscal component whether the authority's NF-e
// service is in operation. Leaves the component's answer in MensagemRetorno.
bool TestaServidores(Contexto& ctx);

}  // namespace velant
