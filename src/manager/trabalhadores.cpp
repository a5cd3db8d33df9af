#include "manager/trabalhadores.h"

#include <chrono>
#include <exception>
#include <string>

#include "base/erro.h"
#include "component/servico_documento_fiscal.h"
#include "component/xml/gerador_xml_nfe.h"
#include "contexto/solicitacao_atual.h"
#include "contexto/vetores_nfe.h"
#include "data/configuracao_banco.h"
#include "data/conexao_postgresql.h"
#include "data/solicitacao_funcao_nfe.h"
#include "data/tabelas_solicitacao.h"
#include "manager/gerenciador_nfe.h"
#include "plataforma/registro_eventos.h"
#include "plataforma/registro_windows.h"

namespace velant {

namespace {

// How soon a stop is noticed by the thread that listens, and how long it
// waits before connecting again after its connection was lost.
constexpr std::chrono::milliseconds kPassoEscuta{250};
constexpr std::chrono::seconds kEsperaReconexaoEscuta{5};

}  // namespace

std::string PrefixoTrabalhador(int numero) { return "[T" + std::to_string(numero) + "] "; }

struct Trabalhadores::Trabalhador {
  Trabalhador(Contexto& p, ConfiguracaoHost& configuracao, FilaInterface& fila, const std::string& prefixo,
              const FabricaManipuladores& fabrica)
      : ui(fila, prefixo),
        log(ui, p.caminhos, p.relogio),
        registro(p.registro.Arquivo()),
        atual(p.atual),   // what start-up set (the base folder)
        gerador(p.caminhos, &registro),
        ctx{ui,      p.relogio, p.caminhos, p.ini, registro, log, p.host, atual, tabelas, vetores, nullptr, nullptr,
            &gerador, {},        {}},
        manipuladores(fabrica(ctx)),
        gerenciador(ctx, configuracao, *manipuladores) {
    log.DefinirPrefixo(prefixo);
    // The same file as the window's; what goes wrong reading it goes to this worker's log.
    registro.DefinirAvisoFalha([this](const std::string& linha) { log.RegistraEvento(linha, true, false); });
    ctx.CriaFiscalDocService = FabricaServicoDocumentoFiscal(ctx);
  }

  InterfaceTrabalhador ui;
  RegistroEventos log;
  RegistroWindows registro;
  SolicitacaoAtual atual;
  TabelasSolicitacao tabelas;
  VetoresNFe vetores;
  GeradorXmlNFe gerador;
  Contexto ctx;
  std::unique_ptr<ManipuladoresComando> manipuladores;
  GerenciadorNFe gerenciador;
  std::thread linha;
  std::atomic<bool> terminou{false};
};

Trabalhadores::Trabalhadores(Contexto& principal, ConfiguracaoHost& configuracao, FabricaManipuladores fabrica)
    : principal_(principal), configuracao_(configuracao), fabrica_(std::move(fabrica)), fila_(principal.ui) {}

Trabalhadores::~Trabalhadores() { Para(); }

void Trabalhadores::Inicia() {
  const int n = configuracao_.Trabalhadores;
  for (int i = 1; i <= n; ++i) {
    // One worker writes lines as the Host always did.
    auto t = std::make_unique<Trabalhador>(principal_, configuracao_, fila_, n > 1 ? PrefixoTrabalhador(i) : "",
                                           fabrica_);
    t->gerenciador.IniciaTrabalhador(travaTomada_);
    trabalhadores_.push_back(std::move(t));
  }
  for (auto& t : trabalhadores_) t->linha = std::thread([this, p = t.get()] { Executa(*p); });
  if (configuracao_.BancoPostgreSql) escuta_ = std::thread([this] { Escuta(); });
}

void Trabalhadores::EntregaInterface() { fila_.Entrega(); }

void Trabalhadores::Acorda() {
  {
    std::lock_guard<std::mutex> trava(mutex_);
    ++vez_;
  }
  sinal_.notify_all();
}

uint64_t Trabalhadores::Espera(uint64_t vista, std::chrono::milliseconds limite) {
  std::unique_lock<std::mutex> trava(mutex_);
  sinal_.wait_for(trava, limite, [&] { return parar_.load() || vez_ != vista; });
  return vez_;
}

void Trabalhadores::Executa(Trabalhador& t) {
  const std::chrono::milliseconds intervalo(configuracao_.IntervaloConsultaMs);
  uint64_t vez = Espera(0, std::chrono::milliseconds(0));
  while (!parar_) {
    t.gerenciador.AtendeFila([this] { return parar_.load(); });
    vez = Espera(vez, intervalo);
  }
  t.terminou = true;
}

// A notification wakes the workers; without one (another database, a front
// end that does not notify, the connection lost) the poll finds the request.
void Trabalhadores::Escuta() {
  InterfaceTrabalhador ui(fila_, "");
  RegistroEventos log(ui, principal_.caminhos, principal_.relogio);
  std::unique_ptr<data::ConexaoPostgreSql> conexao;
  std::string ultimoErro;
  while (!parar_) {
    try {
      if (!conexao) {
        conexao = std::make_unique<data::ConexaoPostgreSql>(
            data::ParametrosDoBanco(data::LerConfiguracaoBanco(principal_.ini, principal_.host.CaminhoIni)));
        conexao->Executar(std::string("LISTEN ") + data::kCanalSolicitacoes);
        ultimoErro.clear();
      }
      if (conexao->AguardaAviso(kPassoEscuta)) Acorda();
    } catch (const std::exception& e) {
      conexao.reset();
      const std::string linha = "     ** Erro na Rotina: LISTEN " + std::string(data::kCanalSolicitacoes) + " - " +
                                DescricaoErro(e);
      if (linha != ultimoErro) log.RegistraEvento(linha, true, false);
      ultimoErro = linha;
      std::unique_lock<std::mutex> trava(mutex_);
      sinal_.wait_for(trava, kEsperaReconexaoEscuta, [&] { return parar_.load(); });
    }
  }
}

void Trabalhadores::Para() {
  {
    std::lock_guard<std::mutex> trava(mutex_);
    parar_ = true;
  }
  sinal_.notify_all();
  // A worker may be waiting for a box to be answered: the window keeps showing.
  for (auto& t : trabalhadores_) {
    if (!t->linha.joinable()) continue;
    while (!t->terminou) {
      fila_.Entrega();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    t->linha.join();
  }
  if (escuta_.joinable()) escuta_.join();
  trabalhadores_.clear();   // the managers close their connections, and may log
  fila_.Entrega();
}

}  // namespace velant
