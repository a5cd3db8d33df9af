#pragma once
// The tax authority's NF-e services of layouts 4.00 and 3.10 as the
// homologation environment runs them, for tests and demonstrations. Each
// service has its own path ("/ws/NFeAutorizacao4.asmx", CaminhoServico);
// another path gets HTTP 404. The 3.10 services answer only when asked
// for (leiaute310); otherwise, as a 3.10 message to a 4.00 service, they
// get 239. A batch of one invoice must ask for the synchronous answer in
// 4.00 (452 otherwise), which carries its protNFe (104). Each request is
// checked for schema, signature, access key and its check digit, the
// issuer's CNPJ against the signing certificate, the environment and the
// business rules of regras_autoridade.h, and answered with the official
// codes and texts. A cancellation needs the invoice's authorisation protocol
// and comes within 24 hours of it (out of time, 155, up to 168 hours). A
// correction letter (110110, checked against its own schema) needs the
// invoice authorised and not cancelled; its sequence registered before is a
// duplicate (573).
// Invoices are authorised with
// 15-digit protocol numbers, and what carries a protocol number (protNFe,
// retEvento, retInutNFe) is signed with the authority's own certificate,
// as a real authority does, when it has one; a batch answers "in processing" for a set
// number of queries first. Everything it learns is kept in a SQLite file.
// The state's contingency authorities answer under "/svc-an" and "/svc-rs"
// (PrefixoAutorizador): active only while the state's service is paused
// (114 otherwise), each takes only its own tpEmis (713), answers for its
// own invoices only, and voids no numbers (no such service: 404). The
// national environment answers under "/an": its event service takes the
// EPEC (110140) only, answering 136; the state's service then takes an
// invoice of tpEmis 4 only when its EPEC is registered (468) and agrees
// with it (467).
// The HTTPS side (mutual TLS, refused connections, delays, dropped answers)
// is the server program's; this class answers one SOAP envelope at a time,
// and records each call (path, service, HTTP status, answer code).
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "component/xml/assinador_xml.h"
#include "component/xml/autoridade_xml.h"
#include "simulador/simulador_estado.h"
#include "simulador/simulador_falhas.h"

namespace velant::autoridade {

struct ConfiguracaoSimulador {
  std::filesystem::path banco = ":memory:";
  std::filesystem::path arquivoControle;   // faults read again at every request; may be empty
  FalhasSimulador falhas;                  // from the command line
  std::string ambiente = "2";              // the environment it receives for
  std::string verAplic = "VELANT-AUT-3.10";
  int consultasEmProcessamento = 1;        // queries a batch answers 105 before its result
  bool regrasNegocio = true;               // false: only the checks above the business rules (fault tests)
  CertificadoA1 assinatura;                // signs the answers; none loaded: answers go unsigned
  bool leiaute310 = false;                 // serves the 3.10 services too
};

// One HTTP request as the server received it.
struct PedidoHttp {
  std::string caminho;        // "/ws/NFeStatusServico4.asmx"
  std::string tipoConteudo;   // the Content-Type header
  std::string corpo;          // the SOAP envelope
};

struct RespostaSimulador {
  int status = 200;           // 500 with a SOAP Fault for what is not a service request,
                              // 404 for an unknown path, 415 for what is not SOAP 1.2
  std::string corpo;
  std::string tipoConteudo;
};

class SimuladorAutoridade {
 public:
  using Relogio = std::function<std::chrono::system_clock::time_point()>;

  explicit SimuladorAutoridade(ConfiguracaoSimulador configuracao, Relogio relogio = nullptr);

  // The faults in force now: the command line's, with the control file's over them.
  // Raises std::invalid_argument when the control file is not understood.
  FalhasSimulador Falhas() const;

  // Answers one request. Safe to call from several threads.
  RespostaSimulador Atende(const PedidoHttp& pedido);

  // The calls received so far, oldest first.
  std::vector<EstadoSimulador::Chamada> Chamadas();

  // The official text of a status code ("" when the simulator does not know it).
  static std::string TextoStatus(const std::string& cStat);

 private:
  struct Pedido;
  RespostaSimulador AtendeSemRegistro(const PedidoHttp& pedido, std::string& servico);
  std::string StatusServico(const Pedido& p);
  std::string Autorizacao(const Pedido& p);
  std::string RetAutorizacao(const Pedido& p);
  std::string Consulta(const Pedido& p);
  std::string RecepcaoEvento(const Pedido& p);
  std::string Inutilizacao(const Pedido& p);
  // An EPEC at the national environment: 136, 573 for a key registered
  // already, 491 for a key not issued in EPEC (tpEmis 4).
  std::string StatusEpec(const std::string& chave);
  // An invoice of tpEmis 4 at the state's service: "" when its EPEC is
  // registered and says what it says, 467 when not, 468 without one.
  std::string StatusContraEpec(xmlNode* infNFe, const std::string& chave);
  // The code a fault asks for the next document, used up here; "" when none.
  std::string RejeicaoInjetada();
  // The code that stops the request's authority now ("" when it works):
  // its paralysis fault, or 114 for an SVC the state has not activated.
  std::string Parada(const Pedido& p) const;
  FalhasSimulador FalhasSemTrava() const;
  std::string Agora() const;
  std::string Protocolo(const std::string& cUF);
  // The document (declaration-free, namespace declared on its root) with
  // `elemento` signed, when the simulator has a certificate and the element an Id.
  std::string Assinado(const std::string& documento, const char* elemento) const;
  // An invoice's protNFe as the "adulterar" fault sends it.
  std::string Adulterado(const std::string& protNFe) const;

  ConfiguracaoSimulador configuracao_;
  Relogio relogio_;
  EstadoSimulador estado_;
  FalhasSimulador falhas_;   // of the request being answered
  bool rejeicaoDaLinhaUsada_ = false;
  mutable std::mutex mutex_;
};

}  // namespace velant::autoridade
