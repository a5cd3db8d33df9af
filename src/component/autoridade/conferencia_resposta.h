#pragma once
// What the component checks in an answer before anyone may believe it: the
// authority's signature over the part that carries one, against the trusted
// certificates when the installation names them (then every part carrying a
// protocol number must be signed), and, for an authorisation, that its digVal is the digest of a document
// this installation sent under that key. The outcome goes into the answer
// (assinatura, recusa); recusa_resposta.h adds what only the caller knows.
#include <filesystem>
#include <functional>
#include <string>

#include "component/resposta_autoridade.h"

namespace velant::autoridade {

struct RegrasConferencia {
  // PEM file of the certificates the authority's must chain to; empty: a
  // signature present is checked on its own certificate, and none is required.
  std::filesystem::path confiaveis;
  // Whether a document with this key and this DigestValue was sent from here.
  std::function<bool(const std::string& chave, const std::string& digVal)> documentoEnviado;
};

// The signature of `elemento` ("infProt", "infEvento", "infInut") in the
// document `xml`: absent, or valid only when it is the one signature, it
// references that element's Id, and it holds.
AssinaturaResposta ConfereAssinaturaResposta(const std::string& xml, const char* elemento,
                                             const std::filesystem::path& confiaveis);

// Fill assinatura and recusa.
void ConfereProtocolo(ProtocoloNFe& p, const RegrasConferencia& regras);
void ConfereRegistro(RespostaRegistro& r, const char* elemento, const RegrasConferencia& regras);

}  // namespace velant::autoridade
