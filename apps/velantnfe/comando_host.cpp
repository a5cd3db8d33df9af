// velantnfe [host] [--raiz DIR] [--registro FILE] [--uma-vez] [--janela]
// The Host: shows where its configuration comes from, starts as the main
// window does and serves the request queue once a second until SIGTERM or
// SIGINT (or for one tick with --uma-vez). A request in hand is finished
// before the process ends. With the registry values of valores_atendimento.h
// the queue is served by worker threads (trabalhadores.h) instead.
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "comandos.h"
#include "manager/ambiente_host.h"
#include "manager/gerenciador_nfe.h"
#include "manager/manipuladores_comando.h"
#include "manager/trabalhadores.h"
#include "plataforma/sockets.h"
#include "ui/tela_grafica.h"
#ifdef VELANT_COM_QT
#include "ui/qt/interface_qt.h"
#endif

namespace velant::app {
namespace {

volatile std::sig_atomic_t paradaPedida = 0;

// With workers the window's tick shows their lines this often.
constexpr int kTiqueJanelaComTrabalhadoresMs = 100;

extern "C" void PedirParada(int) { paradaPedida = 1; }

void InstalarSinais() {
  struct sigaction acao {};
  acao.sa_handler = PedirParada;
  sigemptyset(&acao.sa_mask);
  sigaction(SIGTERM, &acao, nullptr);
  sigaction(SIGINT, &acao, nullptr);
}

std::string Situacao(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::exists(p, ec) ? "" : " (ausente)";
}

// The window when there is a screen for it; otherwise the Host runs as it
// would without --janela, and says so.
std::unique_ptr<InterfaceOperador> InterfaceDaJanela() {
#ifdef VELANT_COM_QT
  SituacaoTela tela = VerificaTelaGrafica();
  if (tela.disponivel) return CriaInterfaceQt();
  const std::string motivo = tela.motivo;
#else
  const std::string motivo = "esta compilação não tem a janela (Qt)";
#endif
  std::fprintf(stderr, "velantnfe: aviso: --janela ignorada: %s; o Host segue sem janela, com os eventos nesta saída\n",
               motivo.c_str());
  std::fflush(stderr);
  return nullptr;
}

int Host(const std::vector<std::string>& argumentos) {
  OpcoesHost opcoes = OpcoesHost::Ler(argumentos);
  std::unique_ptr<InterfaceOperador> ui;
  if (opcoes.janela) ui = InterfaceDaJanela();
  AmbienteHost ambiente(opcoes, std::move(ui));
  Contexto& ctx = ambiente.Ctx();
  // Signals only set a flag: the tick in hand runs to its end.
  InstalarSinais();

  const std::string ip = ObterIPLocal(ctx.ui);
  const std::filesystem::path ini = ctx.caminhos.Mapear(ctx.host.CaminhoIni);
  std::printf("Pasta raiz:   %s\n", ctx.caminhos.Raiz().c_str());
  std::printf("Arquivo INI:  %s -> %s%s\n", ctx.host.CaminhoIni.c_str(), ini.c_str(), Situacao(ini).c_str());
  std::printf("Registro:     %s%s\n", ctx.registro.Arquivo().c_str(), Situacao(ctx.registro.Arquivo()).c_str());
  std::printf("Ambiente:     \"%s\" (HKEY_CURRENT_USER\\nfe)\n",
              ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente").c_str());
  std::printf("IP deste PC:  %s\n", ip.c_str());
  std::fflush(stdout);

  ManipuladoresLifecycle manipuladores(ctx);
  GerenciadorNFe gerenciador(ctx, ambiente.Configuracao(), manipuladores);
  gerenciador.ObterIP = [ip] { return ip; };
  // Another copy, or a computer the INI file does not name: the box was shown.
  if (!gerenciador.Carrega()) return 1;
  const std::string& titulo = gerenciador.Janela().Caption;
  ctx.log.RegistraEvento(titulo + " - Início", true, false);

  int codigo = 0;
  const auto deveParar = [&] { return paradaPedida != 0; };
  if (opcoes.umaVez) {
    gerenciador.Tique();
  } else if (ctx.host.AtendimentoPorTrabalhadores) {
    // The window only shows and keeps the heartbeat; the workers serve.
    Trabalhadores trabalhadores(ctx, ambiente.Configuracao(), [](Contexto& c) -> std::unique_ptr<ManipuladoresComando> {
      return std::make_unique<ManipuladoresLifecycle>(c);
    });
    trabalhadores.Inicia();
    codigo = ctx.ui.ExecutarTemporizador(kTiqueJanelaComTrabalhadoresMs, [&] {
      trabalhadores.EntregaInterface();
      gerenciador.Bate();
    }, deveParar);
    trabalhadores.Para();
  } else {
    codigo = ctx.ui.ExecutarTemporizador(1000, [&] { gerenciador.Tique(); }, deveParar);
  }

  ctx.log.RegistraEvento(titulo + " - Fim", true, false);
  ctx.ui.AtualizaIconeBandeja(NIM_DELETE, "");
  gerenciador.Descarrega();
  return codigo;
}

RegistroComando registro(
    "host", &Host,
    {"velantnfe [host] [--raiz PASTA] [--registro ARQUIVO] [--uma-vez] [--janela]",
     "o Host: atende a fila de solicitações uma vez por segundo (sem comando, é o que roda)",
     "  --uma-vez  atende um tique só e termina\n"
     "  --janela   mostra a janela GerenciadorNFe com o ícone na área de notificação; sem\n"
     "             tela gráfica, avisa e segue sem janela\n",
     {"--raiz", "--registro", "--uma-vez", "--janela"},
     {}});

}  // namespace
}  // namespace velant::app
