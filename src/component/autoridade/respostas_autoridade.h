#pragma once
// The texts the fiscal document component returns for the authority's
// answers. The lifecycle routines parse these texts, so each format below
// is a contract. Every text begins with the status code and " - "
// ("135 - Evento registrado e vinculado a NF-e - Protocolo: 135160000000002"),
// so a caller may decide on the code alone; the one exception is "Erro 94"
// (see TextoEnvioLote). Lines are separated by CR LF.
#include <optional>
#include <string>

namespace velant::autoridade {

// StatusServico (retConsStatServ).
//   107: "107 - Servico em Operacao" (always this wording: callers look for it)
//   other: "<cStat> - <xMotivo>", e.g. "108 - Serviço Paralisado Momentaneamente (curto prazo)"
std::string TextoStatusServico(const std::string& retConsStatServ);

// EnviaLote (retEnviNFe).
//   received (103): "103 - Lote recebido - Recibo: <nRec>", the 30 characters
//     before the 15-digit receipt being fixed, so the receipt starts at the
//     31st character.
//   not received (any other answer): exactly "Erro 94", the text callers
//     compare whole; the authority's code and reason are in cStat/xMotivo.
struct ResultadoEnvioLote {
  bool recebido = false;
  std::string texto;
  std::string cStat;
  std::string xMotivo;
};
ResultadoEnvioLote TextoEnvioLote(const std::string& retEnviNFe);
inline constexpr const char* kPrefixoRecibo = "103 - Lote recebido - Recibo: ";
inline constexpr const char* kLoteNaoRecebido = "Erro 94";

// ConsultaLote (retConsReciNFe). The status line is the third line when the
// text has four lines, else the first.
//   processed (104), four lines:
//     "104 - Lote processado"
//     "Recibo: <nRec>"
//     "<cStat> - <xMotivo>" of the invoice (protNFe), the status line:
//        "100 - Autorizado o uso da NF-e", or a rejection that always
//        contains "Rejeição" ("297 - Rejeição: Assinatura difere do calculado")
//     "Chave: <chNFe>" and, when there is one, " - Protocolo: <nProt>"
//   in processing (105), one line: "105 - Lote em processamento"
//   service paralysed (108, 109), one line, a final status that is no
//     rejection, so the batch is queried again later and never sent twice:
//     "108 - Serviço Paralisado Momentaneamente (curto prazo)"
//   anything else, one line, always containing "Rejeição":
//     "106 - Rejeição: Lote não localizado"
std::string TextoConsultaLote(const std::string& retConsReciNFe);

// ConsultaSituacao (retConsSitNFe).
//   authorised (100, 150): "<cStat> - Autorizado o uso da NF-e - Protocolo: <nProt>",
//     the 15-digit protocol being the last 15 characters;
//   anything else: "<cStat> - <xMotivo>", never ending in 15 digits
//     ("101 - Cancelamento de NF-e homologado", "217 - Rejeição: NF-e não consta ...").
std::string TextoConsultaSituacao(const std::string& retConsSitNFe);
// The protNFe of an authorised invoice as a document of its own; nothing otherwise.
std::optional<std::string> ProtocoloAutorizacao(const std::string& retConsSitNFe);

// EventoCancelamento (retEnvEvento, the event's retEvento when there is one).
//   registered (135, 155): "135 - Evento registrado e vinculado a NF-e - Protocolo: <nProt>"
//     ("155 - Cancelamento homologado fora de prazo - Evento registrado e
//     vinculado a NF-e - Protocolo: <nProt>"), the protocol being the last 15 characters;
//   already cancelled (218): "218 - Rejeição: NF-e já está cancelada na base de dados da SEFAZ";
//   anything else: "<cStat> - <xMotivo>" without bracketed details.
// Callers decide by the code; still, no other text contains "101" or "218",
// so a text searched for those digits cannot be misread either.
std::string TextoEventoCancelamento(const std::string& retEnvEvento);

// InutilizaNumeracao (retInutNFe).
//   voided (102): "102 - Inutilização de número homologado - Protocolo: <nProt>";
//   already voided (206, 256, 563):
//     "<cStat> - Rejeição: NF-e  já esta inutilizada na base de dados da SEFAZ"
//     (two blanks after NF-e);
//   anything else: "<cStat> - Rejeição: <reason>", without bracketed details
//     and never containing "102".
std::string TextoInutilizacao(const std::string& retInutNFe);
inline constexpr const char* kJaInutilizada = "Rejeição: NF-e  já esta inutilizada na base de dados da SEFAZ";

}  // namespace velant::autoridade
