// velantnfe gerar FILE [--raiz DIR] [--registro FILE]
// Runs, for a request text, what an "NFE3.10" request runs up to the
// validation of the signed document: parse, vectors, access key, XML, the
// MovimentoNFe row at step 0, signature and schema validation. Prints the
// files written and the key; exit status 0 when the document is valid.
// Log lines and message boxes go to the standard error.
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/arquivos.h"
#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "comandos.h"
#include "component/xml/gerador_xml_nfe.h"
#include "component/servico_documento_fiscal.h"
#include "content/preenche_vetores.h"
#include "data/conexao_nfe.h"
#include "data/configuracao_banco.h"
#include "lifecycle/gerar_nfe.h"
#include "manager/ambiente_host.h"
#include "manager/analisador_solicitacao.h"
#include "manager/estado_gerenciador.h"
#include "ui/interface_headless.h"

namespace velant::app {
namespace {

// The request values the poll loop hands to the emission of an invoice. The
// row's date comes from DtSaida; without one, this tool takes DtEmissao.
void ValoresDaSolicitacao(Contexto& ctx) {
  data::Recordset& nota = ctx.tabelas.TabelaNota;
  ctx.atual.SerieAtual = nota.Value("SerieNFEmp").Texto();
  ctx.atual.NumeroAtual = CLng(nota.Value("NumeroNF"));
  try {
    ctx.atual.DataEmissaoAtual = CDate(Valor(Left(nota.Value("DtSaida").Texto(), 10)));
  } catch (const ErroExecucao&) {
    std::fprintf(stderr, "velantnfe gerar: DtSaida ilegível; a data do movimento vem de DtEmissao\n");
    ctx.atual.DataEmissaoAtual = CDate(Valor(Left(nota.Value("DtEmissao").Texto(), 10)));
  }
}

void Arquivo(const Contexto& ctx, const char* rotulo, const std::string& caminho) {
  bool existe = ctx.caminhos.Existe(caminho);
  std::printf("%-9s %s\n          %s%s\n", rotulo, caminho.c_str(), ctx.caminhos.Mapear(caminho).c_str(),
              existe ? "" : " (não gravado)");
}

int Gerar(const std::vector<std::string>& argumentos) {
  OpcoesHost opcoes = OpcoesHost::Ler(argumentos);
  if (opcoes.resto.size() != 1) {
    std::fprintf(stderr, "uso: velantnfe gerar ARQUIVO [--raiz PASTA] [--registro ARQUIVO]\n");
    return 64;
  }
  std::string motivo;
  auto lido = LerArquivoComum(opcoes.resto.front(), &motivo);
  if (!lido) {
    std::fprintf(stderr, "velantnfe gerar: não foi possível ler %s: %s\n", opcoes.resto.front().c_str(), motivo.c_str());
    return 66;
  }
  const std::string& conteudo = *lido;

  AmbienteHost ambiente(opcoes, std::make_unique<InterfaceHeadless>(false, stderr));
  Contexto& ctx = ambiente.Ctx();
  data::GarantirConfiguracaoBanco(ctx.ini);
  auto conexao = std::make_unique<data::CConexaoNfe>(ctx.ini, ctx.caminhos, ctx.ui);
  GeradorXmlNFe gerador(ctx.caminhos, &ctx.registro);
  ctx.ConexaoBanco = conexao.get();
  ctx.GeradorXml = &gerador;
  ctx.CriaFiscalDocService = FabricaServicoDocumentoFiscal(ctx);
  struct Solta {
    Contexto& ctx;
    ~Solta() {
      ctx.ConexaoBanco = nullptr;
      ctx.GeradorXml = nullptr;
      ctx.CriaFiscalDocService = nullptr;
    }
  } solta{ctx};

  EstadoGerenciador janela;
  bool aceita = AnalisaTextoSolicitacao(ctx, janela, ParaUtf8(conteudo));
  if (!aceita || janela.ComandoAtual != "NFE3.10") {
    std::fprintf(stderr, "velantnfe gerar: solicitação não aceita (%s): %s\n", janela.ComandoAtual.c_str(),
                 janela.TextoStatus.c_str());
    return 65;
  }
  try {
    ValoresDaSolicitacao(ctx);
  } catch (const ErroExecucao& e) {
    std::fprintf(stderr, "velantnfe gerar: série, número ou data de saída ilegíveis: %s\n", e.Descricao().c_str());
    return 65;
  }
  ParametrosEmissaoFila(ctx);

  bool validado = GerarNFE(ctx);
  const std::string& chave = ctx.atual.ChaveAcessoSolicitada;
  std::printf("chave     %s\n", chave.empty() ? "(não gerada)" : chave.c_str());
  if (!gerador.ArquivoXml.empty()) Arquivo(ctx, "gerado", gerador.ArquivoXml);
  if (!chave.empty())
    Arquivo(ctx, "assinado", ctx.atual.PastaBase + "\\nfe\\arquivos\\assinado\\NFe" + chave + "-assinado.xml");
  std::printf("validado  %s\n", validado ? "sim" : "não");
  return validado ? 0 : 1;
}

RegistroComando registro(
    "gerar", &Gerar,
    {"velantnfe gerar ARQUIVO [--raiz PASTA] [--registro ARQUIVO]",
     "gera, assina e valida a NF-e de um texto de solicitação \"NFE3.10\", sem enviar",
     "Faz o que uma solicitação \"NFE3.10\" faz até a validação do documento assinado:\n"
     "lê o texto, preenche os vetores, monta a chave de acesso e o XML, grava a linha de\n"
     "MovimentoNFe na etapa 0, assina e valida contra o esquema. Mostra a chave e os\n"
     "arquivos gravados; sai com 0 quando o documento é válido. O log e as caixas de\n"
     "mensagem vão para a saída de erro.\n",
     {"--raiz", "--registro"},
     {"ARQUIVO"}});

}  // namespace
}  // namespace velant::app
