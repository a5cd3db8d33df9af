#include "component/impressora_cups.h"

#include <cups/cups.h>

#include <memory>

#include "base/erro.h"

namespace velant {

namespace {

struct FechaConexao {
  void operator()(http_t* h) const { httpClose(h); }
};
struct LiberaDestino {
  void operator()(cups_dest_t* d) const { cupsFreeDests(1, d); }
};

// Asked by CUPS when a read or write has waited the whole timeout: give up.
int Desiste(http_t*, void*) { return 0; }

std::string Motivo() {
  const char* m = cupsLastErrorString();
  return m != nullptr && *m != '\0' ? m : "sem resposta do servidor de impressão";
}

}  // namespace

int ImprimePdf(const ConfiguracaoImpressora& cfg, const std::filesystem::path& pdf, const std::string& titulo) {
  std::string nome = cfg.impressora.empty() ? "padrão do sistema" : "\"" + cfg.impressora + "\"";
  auto falha = [&](const std::string& oQue) -> ErroExecucao {
    return ErroExecucao(CodigoErro::ErroComponente, "Impressora " + nome + ": " + oQue);
  };
  if (!cfg.servidor.empty()) cupsSetServer(cfg.servidor.c_str());
  const std::string servidor = cupsServer();
  const int porta = ippPort();

  std::unique_ptr<http_t, FechaConexao> http(httpConnect2(servidor.c_str(), porta, nullptr, AF_UNSPEC,
                                                          cupsEncryption(), 1,
                                                          static_cast<int>(cfg.tempoConexao.count()), nullptr));
  if (!http) throw falha("não foi possível conectar ao servidor de impressão " + servidor + ": " + Motivo());
  httpSetTimeout(http.get(), static_cast<double>(cfg.tempoResposta.count()) / 1000.0, Desiste, nullptr);

  std::unique_ptr<cups_dest_t, LiberaDestino> destino(
      cupsGetNamedDest(http.get(), cfg.impressora.empty() ? nullptr : cfg.impressora.c_str(), nullptr));
  if (!destino)
    throw falha(cfg.impressora.empty() ? "nenhuma impressora padrão definida no servidor " + servidor + " (" +
                                             Motivo() + ")"
                                       : "não encontrada no servidor " + servidor + " (" + Motivo() + ")");

  nome = "\"" + std::string(destino->name) + "\"";
  int trabalho = cupsPrintFile2(http.get(), destino->name, pdf.c_str(), titulo.c_str(), 0, nullptr);
  if (trabalho <= 0) throw falha("o DANFE não foi aceito para impressão: " + Motivo());
  return trabalho;
}

}  // namespace velant
