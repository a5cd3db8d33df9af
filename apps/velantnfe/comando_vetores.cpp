// velantnfe vetores FILE [--raiz DIR] [--registro FILE]
// Parses a request text as the Host would, fills the document vectors with
// the registry values and the database of that root, and lists every slot.
// Log lines and message boxes go to the standard error.
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/arquivos.h"
#include "base/texto.h"
#include "comandos.h"
#include "content/listagem_vetores.h"
#include "content/preenche_vetores.h"
#include "data/conexao_nfe.h"
#include "manager/ambiente_host.h"
#include "manager/analisador_solicitacao.h"
#include "manager/estado_gerenciador.h"
#include "ui/interface_headless.h"

namespace velant::app {
namespace {

int Vetores(const std::vector<std::string>& argumentos) {
  OpcoesHost opcoes = OpcoesHost::Ler(argumentos);
  if (opcoes.resto.size() != 1) {
    std::fprintf(stderr, "uso: velantnfe vetores ARQUIVO [--raiz PASTA] [--registro ARQUIVO]\n");
    return 64;
  }
  std::string motivo;
  auto lido = LerArquivoComum(opcoes.resto.front(), &motivo);
  if (!lido) {
    std::fprintf(stderr, "velantnfe vetores: não foi possível ler %s: %s\n", opcoes.resto.front().c_str(), motivo.c_str());
    return 66;
  }
  const std::string& conteudo = *lido;

  AmbienteHost ambiente(opcoes, std::make_unique<InterfaceHeadless>(false, stderr));
  Contexto& ctx = ambiente.Ctx();
  // Only reads: no log file, no database file, no folder is created.
  ctx.log.DefinirGravaArquivo(false);
  auto conexao = std::make_unique<data::CConexaoNfe>(ctx.ini, ctx.caminhos, ctx.ui, ctx.host.CaminhoIni,
                                                     data::ModoAbertura::SoExistente);
  if (!conexao->ConexaoAtiva()) {
    std::fprintf(stderr, "velantnfe vetores: sem banco de dados (as consultas de CFOP falham): %s\n",
                 conexao->ErroAbertura().c_str());
  }
  ctx.ConexaoBanco = conexao.get();

  EstadoGerenciador janela;
  bool aceita = AnalisaTextoSolicitacao(ctx, janela, ParaUtf8(conteudo));
  if (!aceita || janela.ComandoAtual != "NFE3.10") {
    std::fprintf(stderr, "velantnfe vetores: solicitação não aceita (%s): %s\n", janela.ComandoAtual.c_str(),
                 janela.TextoStatus.c_str());
    ctx.ConexaoBanco = nullptr;
    return 65;
  }

  ParametrosEmissaoFila(ctx);
  bool preenchidos = PreencheVetores(ctx);
  std::string lista = ListaVetores(ctx.vetores);
  std::fwrite(lista.data(), 1, lista.size(), stdout);
  ctx.ConexaoBanco = nullptr;
  return preenchidos ? 0 : 1;
}

RegistroComando registro(
    "vetores", &Vetores,
    {"velantnfe vetores ARQUIVO [--raiz PASTA] [--registro ARQUIVO]",
     "lista, posição por posição, os vetores do documento de um texto \"NFE3.10\"",
     "Lê o texto como o Host leria, preenche os vetores com os valores do registro e o\n"
     "banco da raiz, e lista cada posição. Nada é gerado nem gravado.\n",
     {"--raiz", "--registro"},
     {"ARQUIVO"}});

}  // namespace
}  // namespace velant::app
