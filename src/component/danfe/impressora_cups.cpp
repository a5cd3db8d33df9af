#include "component/danfe/impressora_cups.h"

#include <cups/cups.h>

#include <memory>

#include "base/erro.h"

namespace velant {

namespace {

struct FechaConexao {
  void operator()(http_t* h) const { httpClose(h); }
};

// Asked by CUPS when a read or write has waited the whole timeout: give up.
int Desiste(http_t*, void*) { return 0; }

std::string Motivo() {
  const char* m = cupsLastErrorString();
  return m != nullptr && *m != '\0' ? m : "sem resposta do servidor de impressão";
}

// What the operator reads first; CUPS's own text follows in parentheses.
std::string Situacao(ipp_status_t status) {
  switch (status) {
    case IPP_STATUS_ERROR_NOT_FOUND:
      return "não encontrada no servidor de impressão";
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
      return "não está aceitando trabalhos";
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
      return "o servidor de impressão não permitiu a impressão";
    default:
      return "o DANFE não foi aceito para impressão";
  }
}

}  // namespace

int ImprimePdf(const ConfiguracaoImpressora& cfg, const std::filesystem::path& pdf, const std::string& titulo) {
  std::string nome = cfg.impressora.empty() ? "padrão do sistema" : "\"" + cfg.impressora + "\"";
  auto falha = [&](const std::string& oQue) {
    return ErroExecucao(CodigoErro::ErroComponente, "Impressora " + nome + ": " + oQue);
  };
  // CUPS keeps the server per thread; read it again for every job.
  cupsSetServer(cfg.servidor.empty() ? nullptr : cfg.servidor.c_str());
  const std::string servidor = cupsServer();

  std::unique_ptr<http_t, FechaConexao> http(httpConnect2(servidor.c_str(), ippPort(), nullptr, AF_UNSPEC,
                                                          cupsEncryption(), 1,
                                                          static_cast<int>(cfg.tempoConexao.count()), nullptr));
  if (!http) throw falha("não foi possível conectar ao servidor de impressão " + servidor + " (" + Motivo() + ")");
  httpSetTimeout(http.get(), static_cast<double>(cfg.tempoResposta.count()) / 1000.0, Desiste, nullptr);

  // Straight to the scheduler: a named-destination lookup would fall back to
  // network discovery with waits of its own.
  std::string destino = cfg.impressora;
  if (destino.empty()) {
    const char* padrao = cupsGetDefault2(http.get());
    if (padrao == nullptr || *padrao == '\0')
      throw falha("nenhuma impressora padrão definida no servidor de impressão " + servidor + " (" + Motivo() + ")");
    destino = padrao;
    nome = "\"" + destino + "\"";
  }
  // One Print-Job on this connection: the convenience calls look the
  // destination up first, with that same slow fallback.
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), "/printers/%s",
                   destino.c_str());
  ipp_t* pedido = ippNewRequest(IPP_OP_PRINT_JOB);
  ippAddString(pedido, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  ippAddString(pedido, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
  ippAddString(pedido, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, titulo.c_str());
  ippAddString(pedido, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, "application/pdf");
  const std::string recurso = "/printers/" + destino;
  std::unique_ptr<ipp_t, decltype(&ippDelete)> resposta(
      cupsDoFileRequest(http.get(), pedido, recurso.c_str(), pdf.c_str()), &ippDelete);
  ipp_attribute_t* id = resposta ? ippFindAttribute(resposta.get(), "job-id", IPP_TAG_INTEGER) : nullptr;
  if (cupsLastError() > IPP_STATUS_OK_CONFLICTING || id == nullptr)
    throw falha(Situacao(cupsLastError()) + " (" + Motivo() + ")");
  return ippGetInteger(id, 0);
}

}  // namespace velant
