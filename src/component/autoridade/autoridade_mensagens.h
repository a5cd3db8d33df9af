#pragma once
// The request messages of the authority's services, as the schemas of
// layout 3.10 or 4.00 (events 1.00 in both) want them: namespace of the NF-e
// on the root, no whitespace between tags. Events and voidings come out
// unsigned; the caller signs infEvento / infInut.
#include <chrono>
#include <string>
#include <vector>

#include "component/autoridade/servicos_autorizacao.h"

namespace velant::autoridade {

// "3.10" or "4.00": the versao of the layout's messages.
const char* VersaoLeiaute(Leiaute leiaute);
// The layout a document is written in: the versao of its root, or of
// infNFe for an NFe (and an nfeProc); 3.10 unless it says "4.00". Raises
// ErroExecucao (ErroComponente) when the text is not XML.
Leiaute LeiauteDoDocumento(const std::string& xml);

std::string MensagemStatusServico(const std::string& tpAmb, const std::string& cUF, Leiaute leiaute = Leiaute::V310);
std::string MensagemConsultaRecibo(const std::string& tpAmb, const std::string& nRec, Leiaute leiaute = Leiaute::V310);
std::string MensagemConsultaSituacao(const std::string& tpAmb, const std::string& chave,
                                     Leiaute leiaute = Leiaute::V310);

// The batch enviNFe with the signed NFe documents kept byte for byte (their
// XML declarations dropped). 3.10 always asks for the asynchronous answer
// (indSinc 0); 4.00 asks for the synchronous one (indSinc 1) when the batch
// holds a single invoice, as the authorities require.
std::string MensagemLote(const std::string& idLote, const std::vector<std::string>& nfes, Leiaute leiaute);

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

// The correction letter (event 110110, evento-cce/envCCe_v1.00.xsd). The
// text is written as given: its checks (15 to 1000 characters, the
// accumulation of earlier letters) are the caller's.
struct DadosCartaCorrecao {
  std::string idLote;       // 1 to 15 digits
  std::string tpAmb;
  std::string chave;        // cOrgao and CNPJ come from it
  std::string sequencia;    // nSeqEvento, "1" to "20"
  std::string correcao;     // xCorrecao
  std::string dhEvento;     // AAAA-MM-DDThh:mm:ss-03:00
};
std::string MensagemCartaCorrecao(const DadosCartaCorrecao& d);
// The EPEC (event 110140, evento-epec/envEPEC_v1.00.xsd): the summary of
// an invoice issued with tpEmis 4, registered with the national
// environment (cOrgao 91) while no authoriser takes the invoice itself.
// Sequence 1: an invoice has one EPEC.
struct DadosEpec {
  std::string idLote, tpAmb, chave, dhEvento;
  std::string cOrgaoAutor;   // the issuer's state, IBGE code
  std::string verAplic;
  std::string dhEmi, tpNF, ie;                 // of the invoice; ie the issuer's
  std::string destUF;                          // "EX" abroad
  std::string destTipoId, destId;              // "CNPJ", "CPF" or "idEstrangeiro" and its value
  std::string destIE;                          // "" when the customer has none
  std::string vNF, vICMS, vST;                 // the totals as the invoice writes them
};
std::string MensagemEventoEpec(const DadosEpec& d);

// The fixed conditions of use every letter carries (one of the two texts
// the event's schema enumerates, the one without accents).
inline constexpr const char* kCondicaoUsoCartaCorrecao =
    "A Carta de Correcao e disciplinada pelo paragrafo 1o-A do art. 7o do Convenio S/N, de 15 de dezembro de 1970 "
    "e pode ser utilizada para regularizacao de erro ocorrido na emissao de documento fiscal, desde que o erro nao "
    "esteja relacionado com: I - as variaveis que determinam o valor do imposto tais como: base de calculo, "
    "aliquota, diferenca de preco, quantidade, valor da operacao ou da prestacao; II - a correcao de dados "
    "cadastrais que implique mudanca do remetente ou do destinatario; III - a data de emissao ou de saida.";

// The distribution of a registered event: procEventoNFe with the signed
// evento of the envEvento sent, byte for byte, and the retEvento answered.
std::string MensagemProcEvento(const std::string& envEventoAssinado, const std::string& retEvento);

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
std::string MensagemInutilizacao(const DadosInutilizacao& d, Leiaute leiaute = Leiaute::V310);

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
