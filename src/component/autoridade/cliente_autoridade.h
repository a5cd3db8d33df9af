#pragma once
// Client of the authority's web services: SOAP 1.2 over HTTPS (TLS 1.2 or
// later) with the
// installation's A1 certificate as the client certificate (mutual TLS),
// the server checked against a CA bundle. Every message sent and every
// answer received is validated against its schema. Transport failures
// (refused connection, timeout, TLS) raise ErroExecucao (ErroComponente)
// with a description naming the service, the address and the cause.
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "component/xml/assinador_xml.h"
#include "component/autoridade/servicos_autorizacao.h"

namespace velant::autoridade {

struct ConfiguracaoCliente {
  std::string uf;                          // "SP": chooses the endpoint entry
  std::string codigoUf;                    // "35": nfeCabecMsg/cUF and the messages
  std::string ambiente;                    // "1" production, "2" homologation
  std::filesystem::path arquivoServicos;   // endpoint file
  std::filesystem::path arquivoCertificado;   // the A1 certificate (.pfx)
  std::string senhaCertificado;
  std::filesystem::path arquivoAC;         // CA bundle for the server; empty: the system's
  std::chrono::milliseconds tempoConexao{10000};
  std::chrono::milliseconds tempoLeitura{30000};   // longest silence once connected
  std::chrono::milliseconds tempoTotal{60000};
};

// What the description of a failed call says of its message: no transport
// failure at all; it never left (no connection: refused, unreachable, name
// not found); or it may have reached the authority (timeout, dropped
// connection, TLS, an HTTP error).
enum class FalhaTransporte { Nenhuma, NaoEnviada, Incerta };
FalhaTransporte ClassificaFalha(const std::string& descricao);

class ClienteAutoridade {
 public:
  // Loads the certificate and the endpoint file; raises ErroExecucao
  // (ErroComponente) when either cannot be used.
  explicit ClienteAutoridade(ConfiguracaoCliente configuracao);
  ~ClienteAutoridade();

  const ConfiguracaoCliente& Configuracao() const { return configuracao_; }
  const CertificadoA1& Certificado() const { return certificado_; }

  // Sends the message to the service of the layout, state and environment
  // configured; returns the answer message (validated against the layout's
  // schema) as a document of its own. contingencia: to the state's SVC
  // (layout 4.00; AutorizadorContingencia names it) instead.
  std::string Chama(ServicoNFe servico, const std::string& mensagem, Leiaute leiaute = Leiaute::V310,
                    bool contingencia = false);
  // The same, to the 4.00 service of the national environment (the EPEC).
  std::string ChamaAmbienteNacional(ServicoNFe servico, const std::string& mensagem);
  // "SVC-AN" or "SVC-RS" as the endpoint file names the state's; "" for none.
  std::string AutorizadorContingencia() const;

  // Connections opened to the authority by this process so far (each one a
  // TLS handshake); the calls reuse a kept-alive one where they can.
  static long ConexoesAbertas();

 private:
  std::string ChamaEm(const DescricaoServico& d, const std::string& url, const std::string& mensagem);
  std::string Posta(const DescricaoServico& d, const std::string& url, const std::string& envelope);

  ConfiguracaoCliente configuracao_;
  TabelaServicos servicos_;
  std::string pfx_;   // the certificate file's bytes, handed to TLS as they are
  CertificadoA1 certificado_;
};

}  // namespace velant::autoridade
