// Load and unload of the main window.
#include <string>

#include "data/configuracao_banco.h"
#include "data/conexao_nfe.h"
#include "data/escritor_mensagem.h"
#include "data/solicitacao_funcao_nfe.h"
#include "manager/gerenciador_nfe.h"
#include "manager/plataforma/sockets.h"

namespace velant {

namespace {

constexpr const char* kSecaoLocal = "Local";
constexpr const char* kChaveIPProcessado = "IP do Computador a ser processado";
constexpr const char* kIPQualquer = "127.0.0.1";

}  // namespace

GerenciadorNFe::GerenciadorNFe(Contexto& ctx, ManipuladoresComando& manipuladores)
    : ctx_(ctx), manipuladores_(manipuladores) {}

GerenciadorNFe::~GerenciadorNFe() { Descarrega(); }

bool GerenciadorNFe::Carrega() {
  EstadoGlobal& e = ctx_.estado;
  InterfaceOperador& ui = ctx_.ui;

  if (trava_.Obter(ctx_.caminhos.MapearParaGravar(kArquivoTrava)) == TravaInstancia::Resultado::OutraInstancia) {
    ui.MsgBox("Atenção! Este Programa já encontra-se aberto!", vbExclamation, "Gerenciador Padrão NFe já está aberto!");
    return false;
  }

  e.VersaoSistema = "6.07.01.1";
  janela_.IPDestePC = ObterIP ? ObterIP() : ObterIPLocal(ui);
  janela_.Caption = std::string(kCaptionProjeto) + " V-" + e.VersaoSistema + " IP deste PC:" + janela_.IPDestePC;
  ui.DefinirTitulo(janela_.Caption);
  ui.AtualizaIconeBandeja(NIM_ADD, janela_.Caption);

  e.CaminhoIni = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini";
  e.IPProcessamento = ctx_.ini.LerIni(kSecaoLocal, kChaveIPProcessado, e.CaminhoIni);
  if (e.IPProcessamento.empty()) {
    ctx_.ini.GravarIni(kSecaoLocal, kChaveIPProcessado, janela_.IPDestePC, e.CaminhoIni);
    e.IPProcessamento = janela_.IPDestePC;
  }
  e.PastaBase = "C:\\Dunmor";

  if (janela_.IPDestePC != e.IPProcessamento && e.IPProcessamento != kIPQualquer) {
    ui.MsgBox("O IP deste computador é: " + janela_.IPDestePC + "\r\n" +
                  "e não confere com o IP a ser processado: " + e.IPProcessamento + "\r\n" +
                  "Favor configurar no arquivo de configuração" + "\r\n" + e.CaminhoIni,
              vbExclamation, "IP Divergente!");
    return false;
  }

  e.BancoAccess = false;
  e.BancoMySql = false;
  e.BancoSqlServer = true;
  e.BancoOracle = false;
  // A first run gets the embedded database.
  data::GarantirConfiguracaoBanco(ctx_.ini, e.CaminhoIni);
  data::DefineDialetoBanco(e, data::LerConfiguracaoBanco(ctx_.ini, e.CaminhoIni).tipo);

  ctx_.tabelas.TabelaNotaCriada = false;
  ctx_.tabelas.TabelaDuplicatasCriada = false;
  ctx_.tabelas.TabelaCuponsCriada = false;

  if (ctx_.ConexaoBanco == nullptr) CriaConexaoBanco();
  ctx_.log.DefinirEscritorMensagem(data::EscritorMensagemSolicitacao(Solicitacao(), e));

  janela_.ContadorCiclos = 0;
  janela_.TextoStatus = kTextoStatusInicial;
  MostraStatus();
  return true;
}

void GerenciadorNFe::CriaConexaoBanco() {
  const std::string& ini = ctx_.estado.CaminhoIni;
  conexao_ = std::make_unique<data::CConexaoNfe>(ctx_.ini, ctx_.caminhos, ctx_.ui, ini);
  ctx_.ConexaoBanco = conexao_.get();
  std::string linha = data::LinhaLogTipoBanco(conexao_->TipoBanco());
  if (linha.empty()) linha = conexao_->ErroAbertura();
  if (!linha.empty()) Registra(" ** Erro: " + linha);
}

data::cSolicitacaoFuncaoNFe& GerenciadorNFe::Solicitacao() {
  if (ctx_.Solicitacao == nullptr) {
    if (ctx_.ConexaoBanco == nullptr) CriaConexaoBanco();
    solicitacao_ = std::make_unique<data::cSolicitacaoFuncaoNFe>(*ctx_.ConexaoBanco, ctx_.estado, ctx_.ui);
    ctx_.Solicitacao = solicitacao_.get();
  }
  return *ctx_.Solicitacao;
}

void GerenciadorNFe::Descarrega() {
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
