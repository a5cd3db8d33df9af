// Load and unload of the main window.
#include <stdexcept>
#include <string>

#include "data/configuracao_banco.h"
#include "data/conexao_nfe.h"
#include "data/escritor_mensagem.h"
#include "data/solicitacao_funcao_nfe.h"
#include "data/tabelas_solicitacao.h"
#include "manager/converte_cidade.h"
#include "manager/gerenciador_nfe.h"
#include "manager/valores_atendimento.h"
#include "plataforma/sockets.h"

namespace velant {

namespace {

constexpr const char* kSecaoLocal = "Local";
constexpr const char* kChaveIPProcessado = "IP do Computador a ser processado";
constexpr const char* kIPQualquer = "127.0.0.1";

}  // namespace

GerenciadorNFe::GerenciadorNFe(Contexto& ctx, ConfiguracaoHost& configuracao, ManipuladoresComando& manipuladores)
    : ctx_(ctx), configuracao_(configuracao), manipuladores_(manipuladores) {
  // Start-up writes what every routine reads: they must be the same object.
  if (&ctx.host != &configuracao) throw std::invalid_argument("GerenciadorNFe: configuracao não é a do contexto");
}

GerenciadorNFe::~GerenciadorNFe() { Descarrega(); }

bool GerenciadorNFe::Carrega() {
  SolicitacaoAtual& e = ctx_.atual;
  InterfaceOperador& ui = ctx_.ui;

  if (trava_.Obter(ctx_.caminhos.MapearParaGravar(kArquivoTrava)) == TravaInstancia::Resultado::OutraInstancia) {
    ui.MsgBox("Atenção! Este Programa já encontra-se aberto!", vbExclamation, "Gerenciador Padrão NFe já está aberto!");
    return false;
  }

  configuracao_.VersaoSistema = "6.07.01.1";
  janela_.IPDestePC = ObterIP ? ObterIP() : ObterIPLocal(ui);
  janela_.Caption = std::string(kCaptionProjeto) + " V-" + configuracao_.VersaoSistema + " IP deste PC:" + janela_.IPDestePC;
  ui.DefinirTitulo(janela_.Caption);
  ui.AtualizaIconeBandeja(NIM_ADD, janela_.Caption);
  ui.DefinirAcaoCommand1([this] { ConverteCidade1(ctx_); });

  configuracao_.CaminhoIni = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini";
  configuracao_.IPProcessamento = ctx_.ini.LerIni(kSecaoLocal, kChaveIPProcessado, configuracao_.CaminhoIni);
  if (configuracao_.IPProcessamento.empty()) {
    ctx_.ini.GravarIni(kSecaoLocal, kChaveIPProcessado, janela_.IPDestePC, configuracao_.CaminhoIni);
    configuracao_.IPProcessamento = janela_.IPDestePC;
  }
  e.PastaBase = "C:\\Dunmor";

  if (janela_.IPDestePC != configuracao_.IPProcessamento && configuracao_.IPProcessamento != kIPQualquer) {
    ui.MsgBox("O IP deste computador é: " + janela_.IPDestePC + "\r\n" +
                  "e não confere com o IP a ser processado: " + configuracao_.IPProcessamento + "\r\n" +
                  "Favor configurar no arquivo de configuração" + "\r\n" + configuracao_.CaminhoIni,
              vbExclamation, "IP Divergente!");
    return false;
  }

  configuracao_.BancoAccess = false;
  configuracao_.BancoSqlServer = true;
  // A first run gets the embedded database.
  data::GarantirConfiguracaoBanco(ctx_.ini, configuracao_.CaminhoIni);
  const std::string tipoBanco = data::LerConfiguracaoBanco(ctx_.ini, configuracao_.CaminhoIni).tipo;
  // A Host that can never open its queue would look alive and serve nothing.
  if (!data::TipoBancoComDriver(tipoBanco)) {
    const std::string linha = data::LinhaLogTipoBanco(tipoBanco);
    Registra(" ** Erro: " + linha);
    ui.MsgBox(linha + "\r\n" + "Favor configurar no arquivo de configuração" + "\r\n" + configuracao_.CaminhoIni,
              vbExclamation, "Banco de Dados não suportado!");
    return false;
  }
  data::DefineDialetoBanco(configuracao_, tipoBanco);
  for (const std::string& linha : LeValoresAtendimento(ctx_.registro, configuracao_)) Registra(linha);
  configuracao_.IdHost = NovoIdHost();

  ctx_.tabelas.TabelaNotaCriada = false;
  ctx_.tabelas.TabelaDuplicatasCriada = false;
  ctx_.tabelas.TabelaCuponsCriada = false;

  if (ctx_.ConexaoBanco == nullptr) CriaConexaoBanco();
  ctx_.log.DefinirEscritorMensagem(data::EscritorMensagemSolicitacao(Solicitacao(), e, ctx_.log));
  ctx_.Batimento = [this] { batimento_.Bate(); };

  janela_.ContadorCiclos = 0;
  janela_.TextoStatus = kTextoStatusInicial;
  MostraStatus();
  return true;
}

void GerenciadorNFe::IniciaTrabalhador(std::mutex& travaTomada) {
  travaTomada_ = &travaTomada;
  if (ctx_.ConexaoBanco == nullptr) CriaConexaoBanco();
  ctx_.log.DefinirEscritorMensagem(data::EscritorMensagemSolicitacao(Solicitacao(), ctx_.atual, ctx_.log));
  janela_.ContadorCiclos = 0;
  janela_.TextoStatus = kTextoStatusInicial;
}

void GerenciadorNFe::CriaConexaoBanco() {
  const std::string& ini = ctx_.host.CaminhoIni;
  conexao_ = std::make_unique<data::CConexaoNfe>(ctx_.ini, ctx_.caminhos, ctx_.ui, ini);
  ctx_.ConexaoBanco = conexao_.get();
  conexao_->DefinirAvisoFalha([this](const std::string& linha) { Registra(linha); });
  std::string linha = data::LinhaLogTipoBanco(conexao_->TipoBanco());
  if (linha.empty()) linha = conexao_->ErroAbertura();
  if (!linha.empty()) {
    Registra(" ** Erro: " + linha);
    // The outage began with the start; the tick reopens and logs its end.
    bancoForaDoAr_ = true;
    bancoForaDesde_ = ctx_.relogio.Agora();
  }
}

data::cSolicitacaoFuncaoNFe& GerenciadorNFe::Solicitacao() {
  if (ctx_.Solicitacao == nullptr) {
    if (ctx_.ConexaoBanco == nullptr) CriaConexaoBanco();
    solicitacao_ = std::make_unique<data::cSolicitacaoFuncaoNFe>(*ctx_.ConexaoBanco, ctx_.host, ctx_.ui);
    ctx_.Solicitacao = solicitacao_.get();
  }
  return *ctx_.Solicitacao;
}

void GerenciadorNFe::Descarrega() {
  if (!respostasPendentes_.empty()) {
    std::string nsus;
    for (const RespostaPendente& r : respostasPendentes_) nsus += (nsus.empty() ? "" : ", ") + std::to_string(r.nsu);
    Registra(" ** Erro: Host encerrado com respostas não gravadas: NSU " + nsus);
    respostasPendentes_.clear();
  }
  // The button and the waits must not reach a manager that is going away.
  ctx_.ui.DefinirAcaoCommand1(nullptr);
  ctx_.Batimento = nullptr;
  // The heartbeat row is the Host's, not a worker's.
  if (travaTomada_ == nullptr) batimento_.Encerra();
  if (solicitacao_ != nullptr) {
    // The log must not write through a record that is going away.
    ctx_.log.DefinirEscritorMensagem(nullptr);
    if (ctx_.Solicitacao == solicitacao_.get()) ctx_.Solicitacao = nullptr;
    solicitacao_.reset();
  }
  if (conexao_ != nullptr) {
    if (ctx_.ConexaoBanco == conexao_.get()) ctx_.ConexaoBanco = nullptr;
    conexao_.reset();   // closes its own and the shared connection
  }
}

}  // namespace velant
