#include "component/autoridade/respostas_autoridade.h"

#include <cctype>

#include "base/texto.h"
#include "component/xml/autoridade_xml.h"

namespace velant::autoridade {

namespace {

static_assert(std::char_traits<char>::length(kPrefixoRecibo) == 30, "the receipt starts at the 31st character");

bool Contem(const std::string& s, const char* parte) { return s.find(parte) != std::string::npos; }

// "Rejeição: ... [nRec:351000000000001]" -> "Rejeição: ...": the bracketed
// details carry numbers a caller could mistake for a code or a protocol.
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

bool SoDigitos(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

bool TemRejeicao(const std::string& texto) {
  std::string u = UCase(texto);
  return Contem(u, "REJEIÇÃO") || Contem(u, "REJEICAO");
}

// The reason without a leading "Rejeição:" of its own.
std::string SemPrefixoRejeicao(const std::string& motivo) {
  for (const char* prefixo : {"Rejeição:", "Rejeicao:", "REJEIÇÃO:", "REJEICAO:"}) {
    std::string p = prefixo;
    if (motivo.compare(0, p.size(), p) == 0) return Trim(motivo.substr(p.size()));
  }
  return motivo;
}

struct Situacao {
  std::string cStat;
  std::string xMotivo;
};

Situacao SituacaoDe(const xmlNode* no) { return {TextoFilho(no, "cStat"), TextoFilho(no, "xMotivo")}; }

}  // namespace

std::string TextoStatusServico(const std::string& retConsStatServ) {
  DocumentoXml doc = DocumentoXml::Ler(retConsStatServ, "retConsStatServ");
  Situacao s = SituacaoDe(doc.Raiz());
  if (s.cStat == "107") return "107 - Servico em Operacao";
  return s.cStat + " - " + s.xMotivo;
}

ResultadoEnvioLote TextoEnvioLote(const std::string& retEnviNFe) {
  DocumentoXml doc = DocumentoXml::Ler(retEnviNFe, "retEnviNFe");
  Situacao s = SituacaoDe(doc.Raiz());
  ResultadoEnvioLote r;
  r.cStat = s.cStat;
  r.xMotivo = s.xMotivo;
  std::string recibo = TextoFilho(Filho(doc.Raiz(), "infRec"), "nRec");
  if (s.cStat == "103" && recibo.size() == 15 && SoDigitos(recibo)) {
    r.recebido = true;
    r.texto = kPrefixoRecibo + recibo;
  } else {
    r.texto = kLoteNaoRecebido;
  }
  return r;
}

std::string TextoConsultaLote(const std::string& retConsReciNFe) {
  DocumentoXml doc = DocumentoXml::Ler(retConsReciNFe, "retConsReciNFe");
  Situacao lote = SituacaoDe(doc.Raiz());
  if (lote.cStat == "105") return "105 - Lote em processamento";
  xmlNode* infProt = Filho(Filho(doc.Raiz(), "protNFe"), "infProt");
  if (lote.cStat == "104" && infProt != nullptr) {
    Situacao nota = SituacaoDe(infProt);
    std::string linhaNota;
    if (nota.cStat == "100" || nota.cStat == "150") {
      linhaNota = nota.cStat + " - Autorizado o uso da NF-e";
    } else if (nota.cStat == "110" || nota.cStat == "301" || nota.cStat == "302" || nota.cStat == "303") {
      linhaNota = nota.cStat + " - " + nota.xMotivo;   // denied: final, not a rejection
    } else {
      linhaNota = nota.cStat + " - " + (TemRejeicao(nota.xMotivo) ? nota.xMotivo : "Rejeição: " + nota.xMotivo);
    }
    std::string protocolo = TextoFilho(infProt, "nProt");
    std::string linhaChave = "Chave: " + TextoFilho(infProt, "chNFe");
    if (!protocolo.empty()) linhaChave += " - Protocolo: " + protocolo;
    return lote.cStat + " - Lote processado" + vbCrLf + "Recibo: " + TextoFilho(doc.Raiz(), "nRec") + vbCrLf +
           linhaNota + vbCrLf + linhaChave;
  }
  // The authority is paralysed: nothing is known yet, the batch must not be sent again.
  if (lote.cStat == "108" || lote.cStat == "109") return lote.cStat + " - " + lote.xMotivo;
  // Not found, or refused: the batch has to be sent again.
  return lote.cStat + " - " + (TemRejeicao(lote.xMotivo) ? lote.xMotivo : "Rejeição: " + lote.xMotivo);
}

std::string TextoConsultaSituacao(const std::string& retConsSitNFe) {
  DocumentoXml doc = DocumentoXml::Ler(retConsSitNFe, "retConsSitNFe");
  Situacao s = SituacaoDe(doc.Raiz());
  xmlNode* infProt = Filho(Filho(doc.Raiz(), "protNFe"), "infProt");
  std::string protocolo = TextoFilho(infProt, "nProt");
  std::string statusProt = TextoFilho(infProt, "cStat");
  if ((s.cStat == "100" || s.cStat == "150") && (statusProt == "100" || statusProt == "150") &&
      protocolo.size() == 15 && SoDigitos(protocolo))
    return s.cStat + " - Autorizado o uso da NF-e - Protocolo: " + protocolo;
  std::string texto = s.cStat + " - " + s.xMotivo;
  // Callers take 15 trailing digits for a protocol.
  if (Len(texto) >= 15 && SoDigitos(Right(texto, 15))) texto += ".";
  return texto;
}

std::optional<std::string> ProtocoloAutorizacao(const std::string& retConsSitNFe) {
  DocumentoXml doc = DocumentoXml::Ler(retConsSitNFe, "retConsSitNFe");
  std::string situacao = TextoFilho(doc.Raiz(), "cStat");
  xmlNode* prot = Filho(doc.Raiz(), "protNFe");
  std::string statusProt = TextoFilho(Filho(prot, "infProt"), "cStat");
  if ((situacao != "100" && situacao != "150") || (statusProt != "100" && statusProt != "150")) return std::nullopt;
  return SerializaElemento(prot);
}

std::string TextoEventoCancelamento(const std::string& retEnvEvento) {
  DocumentoXml doc = DocumentoXml::Ler(retEnvEvento, "retEnvEvento");
  xmlNode* infEvento = Filho(Filho(doc.Raiz(), "retEvento"), "infEvento");
  Situacao s = infEvento != nullptr ? SituacaoDe(infEvento) : SituacaoDe(doc.Raiz());
  std::string protocolo = TextoFilho(infEvento, "nProt");
  if ((s.cStat == "135" || s.cStat == "155") && protocolo.size() == 15 && SoDigitos(protocolo)) {
    std::string meio = s.cStat == "155" ? "Cancelamento homologado fora de prazo - " : "";
    return s.cStat + " - " + meio + "Evento registrado e vinculado a NF-e - Protocolo: " + protocolo;
  }
  if (s.cStat == "218") return "218 - Rejeição: NF-e já está cancelada na base de dados da SEFAZ";
  std::string texto = s.cStat + " - " + SemDetalhes(s.xMotivo);
  if (Contem(texto, "101") || Contem(texto, "218") || Contem(texto, "Evento registrado e vinculado"))
    texto = s.cStat + " - Rejeição: evento não registrado";
  return texto;
}

std::string TextoInutilizacao(const std::string& retInutNFe) {
  DocumentoXml doc = DocumentoXml::Ler(retInutNFe, "retInutNFe");
  Situacao s = SituacaoDe(Filho(doc.Raiz(), "infInut"));
  if (s.cStat == "102") {
    std::string protocolo = TextoFilho(Filho(doc.Raiz(), "infInut"), "nProt");
    return "102 - Inutilização de número homologado" + (protocolo.empty() ? "" : " - Protocolo: " + protocolo);
  }
  if (s.cStat == "206" || s.cStat == "256" || s.cStat == "563") return s.cStat + " - " + kJaInutilizada;
  std::string texto = s.cStat + " - Rejeição: " + SemPrefixoRejeicao(SemDetalhes(s.xMotivo));
  if (Contem(texto, "102") || Contem(texto, "Inutilização de número homologado"))
    texto = s.cStat + " - Rejeição: inutilização não homologada";
  return texto;
}

}  // namespace velant::autoridade
