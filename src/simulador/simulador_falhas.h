#pragma once
// Faults the authority simulator can be told to show, from its command line
// or from a control file it reads again at every request. Control file: one
// "key=value" per line, "#" starts a comment:
//   recusar=1                   refuse connections (nothing listens on the port)
//   atraso=2.5                  seconds to wait before answering
//   descartar=1                 process the request, then close the connection unanswered
//   rejeitar=539                the next document (invoice, event, voiding) gets this code, once
//   processando=sempre          batch queries stay in processing (105) for ever
//   consultas_processamento=2   queries a batch answers 105 before its result
//   paralisado=108              the state's services answer 108 (or 109) and process nothing;
//                               its SVC is active only then (otherwise it answers 114)
//   paralisado_svc=109          the same for the contingency authorities (SVC-AN, SVC-RS)
//   adulterar=protocolo         the invoices' protocols (batch and situation queries) go out
//                               tampered after signing: "protocolo" another nProt, "chave"
//                               another chNFe, "assinatura" without their signature
//   sincrono=recibo             a single invoice asking for the synchronous answer
//                               gets a receipt (103) instead, to be queried as a batch
// A key of the control file overrides the command line; an absent key leaves it.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velant::autoridade {

struct FalhasSimulador {
  bool recusarConexoes = false;
  double atrasoSegundos = 0;
  bool descartarResposta = false;
  std::string rejeitarProxima;          // status code, "" for none
  bool sempreEmProcessamento = false;
  std::optional<int> consultasEmProcessamento;
  std::string paralisado;               // "", "108" or "109": the state's services
  std::string paralisadoSvc;            // the same for SVC-AN and SVC-RS
  std::string adulterar;                // "", "protocolo", "chave" or "assinatura"
  bool reciboNoSincrono = false;
};

// The keys present in the text, applied over `base`. Unknown keys and bad
// values raise std::invalid_argument naming the line.
FalhasSimulador AplicaControle(const FalhasSimulador& base, const std::string& conteudo);
// The same from a file; a missing file changes nothing.
FalhasSimulador AplicaArquivoControle(const FalhasSimulador& base, const std::filesystem::path& arquivo);
// Removes the "rejeitar" line from the control file once the fault was used.
void ConsomeRejeicao(const std::filesystem::path& arquivo);

}  // namespace velant::autoridade
