#pragma once
// The texts the front end and the log show for the authority's answers,
// made from what the component read (resposta_autoridade.h), here and
// nowhere else. Every text begins with the status code and " - "
// ("135 - Evento registrado e vinculado a NF-e - Protocolo: 135160000000002");
// the one exception is "Erro 94" (TextoEnvioLote). Lines are separated by CR LF.
#include <string>

#include "component/resposta_autoridade.h"

namespace velant {

// StatusServico.
//   107: "107 - Servico em Operacao" (always this wording)
//   other: "<cStat> - <xMotivo>", e.g. "108 - Serviço Paralisado Momentaneamente (curto prazo)"
std::string TextoStatusServico(const RespostaStatus& r);

// EnviaLote.
//   received (103) with a 15-digit receipt: "103 - Lote recebido - Recibo: <nRec>",
//     the receipt from the 31st character;
//   processed at once (104 with the protNFe, the synchronous answer):
//     "104 - Lote processado - <status line>" and, when there is one,
//     " - Protocolo: <nProt>" (LinhaStatusLote below);
//   anything else: exactly "Erro 94".
std::string TextoEnvioLote(const RespostaLote& r);
inline constexpr const char* kPrefixoRecibo = "103 - Lote recebido - Recibo: ";
inline constexpr const char* kLoteNaoRecebido = "Erro 94";
// "Lote não recebido pela autoridade: <cStat> - <xMotivo>", for the log.
std::string TextoLoteNaoRecebido(const RespostaLote& r);
// The batch was refused by the authority: a three-digit code from 200 up
// (the 1xx codes are states of the service, not rejections).
bool LoteRejeitado(const RespostaLote& r);

// ConsultaLote. The status line (LinhaStatusLote) is the third line when
// the text has four lines, else the only one.
//   processed (104), four lines:
//     "104 - Lote processado"
//     "Recibo: <nRec>"
//     "<cStat> - <xMotivo>" of the invoice, the status line:
//        "100 - Autorizado o uso da NF-e", a denial ("110 - Uso Denegado"),
//        or a rejection that always contains "Rejeição"
//     "Chave: <chNFe>" and, when there is one, " - Protocolo: <nProt>"
//   in processing (105), one line: "105 - Lote em processamento"
//   service paralysed (108, 109), one line: "108 - <xMotivo>", a final
//     status that is no rejection (the batch is queried again later, never
//     sent twice)
//   anything else, one line, always containing "Rejeição":
//     "106 - Rejeição: Lote não localizado"
std::string TextoConsultaLote(const RespostaLote& r);
std::string LinhaStatusLote(const RespostaLote& r);

// The code of the status line: the invoice's once the batch is processed.
std::string CodigoStatusLote(const RespostaLote& r);
// The key a 539 names in its reason ("[chNFe:<44 digits>]"); "" when none.
std::string ChaveCitada(const ProtocoloNFe& p);

// How a batch query ends; the status line says the same in words.
enum class DesfechoLote { EmProcessamento, Rejeitado, Final };
DesfechoLote Desfecho(const RespostaLote& r);

// ConsultaSituacao.
//   authorised (100, 150) with a 15-digit protocol:
//     "<cStat> - Autorizado o uso da NF-e - Protocolo: <nProt>";
//   anything else: "<cStat> - <xMotivo>", never ending in 15 digits.
std::string TextoConsultaSituacao(const RespostaSituacao& r);
// The 15-digit protocol of an authorised invoice; "" otherwise.
std::string ProtocoloAutorizado(const RespostaSituacao& r);

// EventoCancelamento.
//   registered (135, 155) with a 15-digit protocol:
//     "135 - Evento registrado e vinculado a NF-e - Protocolo: <nProt>"
//     ("155 - Cancelamento homologado fora de prazo - Evento registrado e
//     vinculado a NF-e - Protocolo: <nProt>");
//   already cancelled (218): "218 - Rejeição: NF-e já está cancelada na base de dados da SEFAZ";
//   anything else: "<cStat> - <xMotivo>" without bracketed details, never
//     containing "101", "218" or "Evento registrado e vinculado".
std::string TextoEventoCancelamento(const RespostaRegistro& r);
// The event's 15-digit protocol when registered (135, 155); "" otherwise.
std::string ProtocoloEvento(const RespostaRegistro& r);

// EventoCartaCorrecao.
//   registered (135) with a 15-digit protocol:
//     "135 - Evento registrado e vinculado a NF-e - Protocolo: <nProt>";
//   anything else: "<cStat> - <xMotivo>" without bracketed details.
std::string TextoCartaCorrecao(const RespostaRegistro& r);

// InutilizaNumeracao.
//   voided (102): "102 - Inutilização de número homologado - Protocolo: <nProt>";
//   already voided (206, 256, 563):
//     "<cStat> - Rejeição: NF-e  já esta inutilizada na base de dados da SEFAZ"
//     (two blanks after NF-e);
//   anything else: "<cStat> - Rejeição: <reason>" (MotivoInutilizacao),
//     without bracketed details and never containing "102".
std::string TextoInutilizacao(const RespostaRegistro& r);
inline constexpr const char* kJaInutilizada = "Rejeição: NF-e  já esta inutilizada na base de dados da SEFAZ";
// The reason of a refused voiding, without the "Rejeição: " before it.
std::string MotivoInutilizacao(const RespostaRegistro& r);
// 102, or one of the codes of a number voided before.
bool Inutilizada(const RespostaRegistro& r);

}  // namespace velant
