#pragma once
// The tax authority's NF-e services of layout 3.10 as the homologation
// environment runs them, for tests and demonstrations: each request is
// checked for schema, signature, access key and its check digit, the
// issuer's CNPJ against the signing certificate, the environment and the
// business rules of regras_autoridade.h, and answered with the official
// codes and texts. A cancellation needs the invoice's authorisation protocol
// and comes within 24 hours of it (out of time, 155, up to 168 hours).
// Invoices are authorised with
// 15-digit protocol numbers, and what carries a protocol number (protNFe,
// retEvento, retInutNFe) is signed with the authority's own certificate,
// as a real authority does, when it has one; a batch answers "in processing" for a set
// number of queries first. Everything it learns is kept in a SQLite file.
// The HTTPS side (mutual TLS, refused connections, delays, dropped answers)
// is the server program's; this class answers one SOAP envelope at a time.
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

#include "component/xml/assinador_xml.h"
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
};

struct RespostaSimulador {
  int status = 200;           // 500 with a SOAP Fault for what is not a service request
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

  // Answers one request envelope. Safe to call from several threads.
  RespostaSimulador Atende(const std::string& envelope);

  // The official text of a status code ("" when the simulator does not know it).
  static std::string TextoStatus(const std::string& cStat);

 private:
  struct Pedido;
  std::string StatusServico(const Pedido& p);
  std::string Autorizacao(const Pedido& p);
  std::string RetAutorizacao(const Pedido& p);
  std::string Consulta(const Pedido& p);
  std::string RecepcaoEvento(const Pedido& p);
  std::string Inutilizacao(const Pedido& p);
  // The code a fault asks for the next document, used up here; "" when none.
  std::string RejeicaoInjetada();
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
