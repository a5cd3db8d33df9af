#pragma once
// The request messages of the authority's services, as the schemas of
// layout 3.10 (events 1.00) want them: namespace of the NF-e on the root,
// no whitespace between tags. Events and voidings come out unsigned; the
// caller signs infEvento / infInut.
#include <chrono>
#include <string>

namespace velant::autoridade {

std::string MensagemStatusServico(const std::string& tpAmb, const std::string& cUF);
std::string MensagemConsultaRecibo(const std::string& tpAmb, const std::string& nRec);
std::string MensagemConsultaSituacao(const std::string& tpAmb, const std::string& chave);

struct DadosCancelamento {
  std::string idLote;       // 1 to 15 digits
  std::string tpAmb;
  std::string chave;        // 44 digits: cOrgao and CNPJ come from it
  std::string sequencia;    // nSeqEvento, "1" to "20"
  std::string protocolo;    // nProt of the authorisation
  std::string justificativa;
  std::string dhEvento;     // AAAA-MM-DDThh:mm:ss-03:00
};
std::string MensagemEventoCancelamento(const DadosCancelamento& d);

struct DadosInutilizacao {
  std::string tpAmb;
  std::string cUF;
  std::string ano;          // 2 digits
  std::string cnpj;         // 14 digits
  std::string serie;        // without leading zeros
  std::string numeroInicial;
  std::string numeroFinal;
  std::string justificativa;
};
std::string MensagemInutilizacao(const DadosInutilizacao& d);

// "AAAA-MM-DDThh:mm:ss±hh:00" of the instant seen at that whole-hour offset.
std::string DataHoraComFuso(std::chrono::system_clock::time_point instante, int fusoHoras);
// The machine's offset when it is a whole hour the schemas accept (-11 to +12), else 0.
int FusoLocalHoras();

// A free text as the TString of the schemas: line breaks and other
// control characters become blanks, leading and trailing blanks go.
std::string TextoDeEsquema(const std::string& texto);
// A number text without leading zeros ("0" when all zeros), as serie and nNF
// are written; a text that is not all digits is kept for the schema to refuse.
std::string SemZerosAEsquerda(const std::string& numero);

}  // namespace velant::autoridade
