#include "component/recusa_resposta.h"

namespace velant {

namespace {

bool Nenhum(const std::string& protocolo) { return protocolo.find_first_not_of('0') == std::string::npos; }

}  // namespace

std::string RecusaProtocolo(const ProtocoloNFe& p, const std::string& chave, const std::string& protocoloConhecido) {
  if (!p.recusa.empty()) return p.recusa;
  if (p.chNFe != chave) return kRecusaOutraChave;
  if (!Nenhum(protocoloConhecido) && !p.nProt.empty() && p.nProt != protocoloConhecido) return kRecusaOutroProtocolo;
  return "";
}

std::string RecusaRegistro(const RespostaRegistro& r, const std::string& chave) {
  if (!r.recusa.empty()) return r.recusa;
  if (!chave.empty() && r.chNFe != chave) return kRecusaOutraChave;
  return "";
}

}  // namespace velant
