#include "component/autoridade/autoridade_mensagens.h"

#include <cstdio>
#include <ctime>

#include "base/texto.h"
#include "component/xml/autoridade_xml.h"

namespace velant::autoridade {

const char* VersaoLeiaute(Leiaute leiaute) { return leiaute == Leiaute::V400 ? "4.00" : "3.10"; }

Leiaute LeiauteDoDocumento(const std::string& xml) {
  DocumentoXml doc = DocumentoXml::Ler(xml, "Documento NF-e");
  const xmlNode* raiz = doc.Raiz();
  std::string versao = Atributo(raiz, "versao");
  if (NomeLocal(raiz) == "NFe" || NomeLocal(raiz) == "nfeProc") versao = Atributo(Procura(raiz, "infNFe"), "versao");
  return versao == "4.00" ? Leiaute::V400 : Leiaute::V310;
}

std::string MensagemStatusServico(const std::string& tpAmb, const std::string& cUF, Leiaute leiaute) {
  return RaizMensagem("consStatServ", VersaoLeiaute(leiaute)) + Elemento("tpAmb", tpAmb) + Elemento("cUF", cUF) +
         Elemento("xServ", "STATUS") + "</consStatServ>";
}

std::string MensagemConsultaRecibo(const std::string& tpAmb, const std::string& nRec, Leiaute leiaute) {
  return RaizMensagem("consReciNFe", VersaoLeiaute(leiaute)) + Elemento("tpAmb", tpAmb) + Elemento("nRec", nRec) + "</consReciNFe>";
}

std::string MensagemConsultaSituacao(const std::string& tpAmb, const std::string& chave, Leiaute leiaute) {
  return RaizMensagem("consSitNFe", VersaoLeiaute(leiaute)) + Elemento("tpAmb", tpAmb) + Elemento("xServ", "CONSULTAR") +
         Elemento("chNFe", chave) + "</consSitNFe>";
}

std::string MensagemLote(const std::string& idLote, const std::vector<std::string>& nfes, Leiaute leiaute) {
  const bool sincrono = leiaute == Leiaute::V400 && nfes.size() == 1;
  std::string m = RaizMensagem("enviNFe", VersaoLeiaute(leiaute)) + Elemento("idLote", idLote) +
                  Elemento("indSinc", sincrono ? "1" : "0");
  for (const auto& nfe : nfes) m += SemDeclaracao(nfe);
  return m + "</enviNFe>";
}

namespace {

// infEvento up to nSeqEvento, for the events of the issuer: cOrgao and CNPJ from the key.
// The EPEC goes to the national environment, which names itself (91).
std::string InicioEvento(const std::string& idLote, const std::string& tpAmb, const std::string& chave,
                         const std::string& sequencia, const char* tpEvento, const std::string& dhEvento,
                         const std::string& orgao = "") {
  std::string cOrgao = orgao.empty() ? chave.substr(0, 2) : orgao;
  std::string cnpj = chave.size() >= 20 ? chave.substr(6, 14) : "";
  std::string seq = SemZerosAEsquerda(sequencia);
  std::string id = std::string("ID") + tpEvento + chave + PreencheZeros(seq, 2);
  return RaizMensagem("envEvento", "1.00") + Elemento("idLote", idLote) + "<evento versao=\"1.00\"><infEvento Id=\"" +
         Escapa(id) + "\">" + Elemento("cOrgao", cOrgao) + Elemento("tpAmb", tpAmb) + Elemento("CNPJ", cnpj) +
         Elemento("chNFe", chave) + Elemento("dhEvento", dhEvento) + Elemento("tpEvento", tpEvento) +
         Elemento("nSeqEvento", seq) + Elemento("verEvento", "1.00");
}

}  // namespace

std::string MensagemEventoCancelamento(const DadosCancelamento& d) {
  return InicioEvento(d.idLote, d.tpAmb, d.chave, d.sequencia, "110111", d.dhEvento) + "<detEvento versao=\"1.00\">" +
         Elemento("descEvento", "Cancelamento") + Elemento("nProt", d.protocolo) +
         Elemento("xJust", TextoDeEsquema(d.justificativa)) + "</detEvento></infEvento></evento></envEvento>";
}

std::string MensagemCartaCorrecao(const DadosCartaCorrecao& d) {
  return InicioEvento(d.idLote, d.tpAmb, d.chave, d.sequencia, "110110", d.dhEvento) +
         "<detEvento versao=\"1.00\">" + Elemento("descEvento", "Carta de Correcao") +
         Elemento("xCorrecao", d.correcao) + Elemento("xCondUso", kCondicaoUsoCartaCorrecao) +
         "</detEvento></infEvento></evento></envEvento>";
}

std::string MensagemEventoEpec(const DadosEpec& d) {
  std::string dest = Elemento("UF", d.destUF) + Elemento(d.destTipoId.c_str(), d.destId);
  if (!d.destIE.empty()) dest += Elemento("IE", d.destIE);
  dest += Elemento("vNF", d.vNF) + Elemento("vICMS", d.vICMS) + Elemento("vST", d.vST);
  return InicioEvento(d.idLote, d.tpAmb, d.chave, "1", "110140", d.dhEvento, "91") + "<detEvento versao=\"1.00\">" +
         Elemento("descEvento", "EPEC") + Elemento("cOrgaoAutor", d.cOrgaoAutor) + Elemento("tpAutor", "1") +
         Elemento("verAplic", d.verAplic) + Elemento("dhEmi", d.dhEmi) + Elemento("tpNF", d.tpNF) +
         Elemento("IE", d.ie) + "<dest>" + dest + "</dest></detEvento></infEvento></evento></envEvento>";
}

std::string MensagemProcEvento(const std::string& envEventoAssinado, const std::string& retEvento) {
  DocumentoXml doc = DocumentoXml::Ler(envEventoAssinado, "envEvento");
  return RaizMensagem("procEventoNFe", "1.00") + SerializaElemento(Filho(doc.Raiz(), "evento")) +
         SemDeclaracao(retEvento) + "</procEventoNFe>";
}

std::string MensagemInutilizacao(const DadosInutilizacao& d, Leiaute leiaute) {
  std::string serie = SemZerosAEsquerda(d.serie);
  std::string inicial = SemZerosAEsquerda(d.numeroInicial);
  std::string final_ = SemZerosAEsquerda(d.numeroFinal);
  std::string id = "ID" + d.cUF + d.ano + d.cnpj + "55" + PreencheZeros(serie, 3) + PreencheZeros(inicial, 9) +
                   PreencheZeros(final_, 9);
  return RaizMensagem("inutNFe", VersaoLeiaute(leiaute)) + "<infInut Id=\"" + Escapa(id) + "\">" + Elemento("tpAmb", d.tpAmb) +
         Elemento("xServ", "INUTILIZAR") + Elemento("cUF", d.cUF) + Elemento("ano", d.ano) +
         Elemento("CNPJ", d.cnpj) + Elemento("mod", "55") + Elemento("serie", serie) + Elemento("nNFIni", inicial) +
         Elemento("nNFFin", final_) + Elemento("xJust", TextoDeEsquema(d.justificativa)) + "</infInut></inutNFe>";
}

std::string DataHoraComFuso(std::chrono::system_clock::time_point instante, int fusoHoras) {
  std::time_t t = std::chrono::system_clock::to_time_t(instante) + static_cast<std::time_t>(fusoHoras) * 3600;
  std::tm partes{};
  gmtime_r(&t, &partes);
  char texto[64];
  std::snprintf(texto, sizeof texto, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:00", partes.tm_year + 1900,
                partes.tm_mon + 1, partes.tm_mday, partes.tm_hour, partes.tm_min, partes.tm_sec,
                fusoHoras < 0 ? '-' : '+', fusoHoras < 0 ? -fusoHoras : fusoHoras);
  return texto;
}

int FusoLocalHoras() {
  std::time_t agora = std::time(nullptr);
  std::tm local{};
  localtime_r(&agora, &local);
  long segundos = local.tm_gmtoff;
  if (segundos % 3600 != 0) return 0;
  long horas = segundos / 3600;
  return horas >= -11 && horas <= 12 ? static_cast<int>(horas) : 0;
}

std::string TextoDeEsquema(const std::string& texto) {
  std::string s = texto;
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return Trim(s);
}

std::string SemZerosAEsquerda(const std::string& numero) {
  std::string digitos = Trim(numero);
  if (digitos.empty() || digitos.find_first_not_of("0123456789") != std::string::npos)
    return digitos;   // left for the schema to refuse
  size_t i = digitos.find_first_not_of('0');
  return i == std::string::npos ? "0" : digitos.substr(i);
}

}  // namespace velant::autoridade
