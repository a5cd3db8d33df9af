#include "component/textos_resposta.h"

#include <cctype>

#include "base/texto.h"

namespace velant {

namespace {

static_assert(std::char_traits<char>::length(kPrefixoRecibo) == 30, "the receipt starts at the 31st character");

bool Contem(const std::string& s, const char* parte) { return s.find(parte) != std::string::npos; }

// "Rejeição: ... [nRec:351000000000001]" -> "Rejeição: ...": the bracketed
// details carry numbers a reader could mistake for a code or a protocol.
std::string SemDetalhes(const std::string& motivo) {
  std::string s;
  int profundidade = 0;
  for (char c : motivo) {
    if (c == '[') {
      ++profundidade;
    } else if (c == ']' && profundidade > 0) {
      --profundidade;
    } else if (profundidade == 0) {
      s += c;
    }
  }
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

bool SoDigitos(const std::string& s, size_t n) {
  return s.size() == n && s.find_first_not_of("0123456789") == std::string::npos;
}

bool TemRejeicao(const std::string& texto) {
  std::string u = UCase(texto);
  return Contem(u, "REJEIÇÃO") || Contem(u, "REJEICAO");
}

std::string ComoRejeicao(const std::string& cStat, const std::string& xMotivo) {
  return cStat + " - " + (TemRejeicao(xMotivo) ? xMotivo : "Rejeição: " + xMotivo);
}

// The reason without a leading "Rejeição:" of its own.
std::string SemPrefixoRejeicao(const std::string& motivo) {
  for (const char* prefixo : {"Rejeição:", "Rejeicao:", "REJEIÇÃO:", "REJEICAO:"}) {
    std::string p = prefixo;
    if (motivo.compare(0, p.size(), p) == 0) return Trim(motivo.substr(p.size()));
  }
  return motivo;
}

bool Denegada(const std::string& cStat) {
  return cStat == "110" || cStat == "301" || cStat == "302" || cStat == "303";
}
bool Paralisado(const std::string& cStat) { return cStat == "108" || cStat == "109"; }
bool JaInutilizada(const std::string& cStat) { return cStat == "206" || cStat == "256" || cStat == "563"; }

bool Processado(const RespostaLote& r) { return r.Processado(); }

}  // namespace

std::string TextoStatusServico(const RespostaStatus& r) {
  if (r.EmOperacao()) return "107 - Servico em Operacao";
  return r.cStat + " - " + r.xMotivo;
}

std::string TextoEnvioLote(const RespostaLote& r) {
  if (Processado(r)) {
    const ProtocoloNFe& p = *r.protocolo;
    return r.cStat + " - Lote processado - " + LinhaStatusLote(r) + (p.nProt.empty() ? "" : " - Protocolo: " + p.nProt);
  }
  return r.Recebido() && SoDigitos(r.nRec, 15) ? kPrefixoRecibo + r.nRec : std::string(kLoteNaoRecebido);
}

std::string TextoLoteNaoRecebido(const RespostaLote& r) {
  return "Lote não recebido pela autoridade: " + r.cStat + " - " + r.xMotivo;
}

bool LoteRejeitado(const RespostaLote& r) {
  return SoDigitos(r.cStat, 3) && r.cStat >= "200" && !r.Recebido() && !r.Processado();
}

std::string LinhaStatusLote(const RespostaLote& r) {
  if (r.cStat == "105") return "105 - Lote em processamento";
  if (Processado(r)) {
    const ProtocoloNFe& p = *r.protocolo;
    if (p.Autorizado()) return p.cStat + " - Autorizado o uso da NF-e";
    if (Denegada(p.cStat)) return p.cStat + " - " + p.xMotivo;   // final, not a rejection
    return ComoRejeicao(p.cStat, p.xMotivo);
  }
  if (Paralisado(r.cStat)) return r.cStat + " - " + r.xMotivo;
  // Not found, or refused: the batch has to be sent again.
  return ComoRejeicao(r.cStat, r.xMotivo);
}

std::string TextoConsultaLote(const RespostaLote& r) {
  if (!Processado(r)) return LinhaStatusLote(r);
  const ProtocoloNFe& p = *r.protocolo;
  std::string linhaChave = "Chave: " + p.chNFe;
  if (!p.nProt.empty()) linhaChave += " - Protocolo: " + p.nProt;
  return r.cStat + " - Lote processado" + vbCrLf + "Recibo: " + r.nRec + vbCrLf + LinhaStatusLote(r) + vbCrLf +
         linhaChave;
}

std::string CodigoStatusLote(const RespostaLote& r) { return Processado(r) ? r.protocolo->cStat : r.cStat; }

std::string ChaveCitada(const ProtocoloNFe& p) {
  const std::string marca = "[chNFe:";
  size_t inicio = p.xMotivo.find(marca);
  if (inicio == std::string::npos) return "";
  inicio += marca.size();
  size_t fim = p.xMotivo.find(']', inicio);
  return fim == std::string::npos ? "" : p.xMotivo.substr(inicio, fim - inicio);
}

DesfechoLote Desfecho(const RespostaLote& r) {
  if (r.cStat == "105") return DesfechoLote::EmProcessamento;
  if (Processado(r)) {
    const std::string& c = r.protocolo->cStat;
    return r.protocolo->Autorizado() || Denegada(c) ? DesfechoLote::Final : DesfechoLote::Rejeitado;
  }
  return Paralisado(r.cStat) ? DesfechoLote::Final : DesfechoLote::Rejeitado;
}

std::string ProtocoloAutorizado(const RespostaSituacao& r) {
  bool autorizada = (r.cStat == "100" || r.cStat == "150") && r.protocolo && r.protocolo->Autorizado() &&
                    SoDigitos(r.protocolo->nProt, 15);
  return autorizada ? r.protocolo->nProt : "";
}

std::string TextoConsultaSituacao(const RespostaSituacao& r) {
  std::string protocolo = ProtocoloAutorizado(r);
  if (!protocolo.empty()) return r.cStat + " - Autorizado o uso da NF-e - Protocolo: " + protocolo;
  std::string texto = r.cStat + " - " + r.xMotivo;
  // A reader takes 15 trailing digits for a protocol.
  if (Len(texto) >= 15 && SoDigitos(Right(texto, 15), 15)) texto += ".";
  return texto;
}

std::string ProtocoloEvento(const RespostaRegistro& r) {
  return (r.cStat == "135" || r.cStat == "155") && SoDigitos(r.nProt, 15) ? r.nProt : "";
}

std::string TextoEventoCancelamento(const RespostaRegistro& r) {
  std::string protocolo = ProtocoloEvento(r);
  if (!protocolo.empty()) {
    std::string meio = r.cStat == "155" ? "Cancelamento homologado fora de prazo - " : "";
    return r.cStat + " - " + meio + "Evento registrado e vinculado a NF-e - Protocolo: " + protocolo;
  }
  if (r.cStat == "218") return "218 - Rejeição: NF-e já está cancelada na base de dados da SEFAZ";
  std::string texto = r.cStat + " - " + SemDetalhes(r.xMotivo);
  if (Contem(texto, "101") || Contem(texto, "218") || Contem(texto, "Evento registrado e vinculado"))
    texto = r.cStat + " - Rejeição: evento não registrado";
  return texto;
}

std::string TextoCartaCorrecao(const RespostaRegistro& r) {
  if (r.cStat == "135" && SoDigitos(r.nProt, 15))
    return "135 - Evento registrado e vinculado a NF-e - Protocolo: " + r.nProt;
  return r.cStat + " - " + SemDetalhes(r.xMotivo);
}

bool Inutilizada(const RespostaRegistro& r) { return r.cStat == "102" || JaInutilizada(r.cStat); }

std::string MotivoInutilizacao(const RespostaRegistro& r) {
  std::string motivo = SemPrefixoRejeicao(SemDetalhes(r.xMotivo));
  std::string texto = r.cStat + " - Rejeição: " + motivo;
  if (Contem(texto, "102") || Contem(texto, "Inutilização de número homologado")) return "inutilização não homologada";
  return motivo;
}

std::string TextoInutilizacao(const RespostaRegistro& r) {
  if (r.cStat == "102")
    return "102 - Inutilização de número homologado" + (r.nProt.empty() ? "" : " - Protocolo: " + r.nProt);
  if (JaInutilizada(r.cStat)) return r.cStat + " - " + kJaInutilizada;
  return r.cStat + " - Rejeição: " + MotivoInutilizacao(r);
}

}  // namespace velant
