#pragma once
// Whether an answer of the authority may be believed and stored. Nothing an
// answer carries is written anywhere before it passes: a protocol for
// another key, another document or another number than the one already
// recorded, or one whose signature does not hold, is refused with a reason
// short enough for the request's message (at most 50 characters).
#include <string>

#include "component/resposta_autoridade.h"

namespace velant {

inline constexpr const char* kRecusaOutraChave = "Protocolo de outra chave recusado";
inline constexpr const char* kRecusaOutroProtocolo = "Protocolo diferente do registrado recusado";
inline constexpr const char* kRecusaOutroDocumento = "Protocolo de documento não enviado recusado";
inline constexpr const char* kRecusaAssinatura = "Assinatura da autoridade inválida";
inline constexpr const char* kRecusaSemAssinatura = "Resposta da autoridade sem assinatura";

// For the invoice `chave` whose row holds protocoloConhecido ("" or "0" for
// none): the component's own refusal (signature, document), then another key,
// then another protocol number; "" when the protocol may be stored.
std::string RecusaProtocolo(const ProtocoloNFe& p, const std::string& chave, const std::string& protocoloConhecido);
// An event answered for `chave` (it must name that key) or, with an empty
// `chave`, a voiding; "" when it may be stored.
std::string RecusaRegistro(const RespostaRegistro& r, const std::string& chave);

}  // namespace velant
