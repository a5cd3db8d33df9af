// The request parser on arbitrary bytes, as a front end may write them into
// Texto. The state lives across inputs, as it does across the requests of a
// Host, and is rebuilt now and then so that the collected message boxes and
// log lines do not grow without end. Anything but a clean True or False
// (a crash, a sanitizer report, a broken table) is a finding.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "base/caminhos.h"
#include "base/erro.h"
#include "base/texto.h"
#include "contexto/vetores_nfe.h"
#include "data/tabelas_solicitacao.h"
#include "manager/analisador_solicitacao.h"
#include "manager/comandos_host.h"
#include "base/converte_valor.h"
#include "plataforma/perfil_ini.h"
#include "plataforma/registro_eventos.h"
#include "plataforma/registro_windows.h"
#include "ui/interface_headless.h"

namespace {

using namespace velant;

std::filesystem::path& Raiz() {
  static std::filesystem::path raiz = [] {
    std::string modelo = (std::filesystem::temp_directory_path() / "fuzz-analisador-XXXXXX").string();
    if (mkdtemp(modelo.data()) == nullptr) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(Raiz(), ec);
    });
    return std::filesystem::path(modelo);
  }();
  return raiz;
}

struct Ambiente {
  InterfaceHeadless ui{true};
  RelogioSistema relogio;
  MapeadorCaminhos caminhos{Raiz()};
  PerfilIni ini{caminhos};
  RegistroWindows registro{Raiz() / "registro.reg"};
  RegistroEventos log{ui, caminhos, relogio};
  ConfiguracaoHost host;
  SolicitacaoAtual atual;
  TabelasSolicitacao tabelas;
  VetoresNFe vetores;
  Contexto ctx{ui, relogio, caminhos, ini, registro, log, host, atual, tabelas, vetores, nullptr, nullptr, nullptr, {}, {}};
  EstadoGerenciador janela;
};

void Confere(bool condicao) {
  if (!condicao) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
  static std::unique_ptr<Ambiente> a;
  static int execucoes = 0;
  if (!a || ++execucoes % 500 == 0) {
    a.reset();
    std::error_code ec;
    std::filesystem::remove_all(Raiz() / "C", ec);
    a = std::make_unique<Ambiente>();
  }
  const std::string_view texto(reinterpret_cast<const char*>(dados), tamanho);

  const bool aceita = AnalisaTextoSolicitacao(a->ctx, a->janela, texto);
  if (aceita) {
    // Only a command of the Host's table gets through.
    Confere(LocalizaComando(a->janela.ComandoAtual) != nullptr);
  }
  if (a->tabelas.TabelaNotaCriada && a->tabelas.TabelaNota.State() == data::adStateOpen) {
    Confere(a->tabelas.TabelaNota.QuantidadeCampos() == 132);
  }
  if (a->tabelas.TabelaDuplicatasCriada) Confere(a->tabelas.TabelaDuplicatas.QuantidadeCampos() == 4);
  if (a->tabelas.TabelaCuponsCriada) Confere(a->tabelas.TabelaCupons.QuantidadeCampos() == 3);

  // The amount conversion takes any value text and never leaves the Currency range silently.
  try {
    (void)ConverteValor(ParaUtf8(texto.substr(0, 64)));
  } catch (const ErroExecucao& e) {
    Confere(e.Codigo() == CodigoErro::Estouro);
  }
  return 0;
}
