// velantnfe cidades [--raiz DIR] [--registro FILE]: what the window's
// Command1 button runs, once, on the database of that root. Message boxes
// go to the standard error; exit status 1 when the routine stopped on an error.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "comandos.h"
#include "data/configuracao_banco.h"
#include "data/conexao_nfe.h"
#include "manager/ambiente_host.h"
#include "manager/converte_cidade.h"
#include "ui/interface_headless.h"

namespace velant::app {
namespace {

int Cidades(const std::vector<std::string>& argumentos) {
  OpcoesHost opcoes = OpcoesHost::Ler(argumentos);
  AmbienteHost ambiente(opcoes, std::make_unique<InterfaceHeadless>(false, stderr));
  Contexto& ctx = ambiente.Ctx();
  const std::string tipo = data::LerConfiguracaoBanco(ctx.ini, ctx.host.CaminhoIni).tipo;
  data::DefineDialetoBanco(ambiente.Configuracao(), tipo);
  auto conexao = std::make_unique<data::CConexaoNfe>(ctx.ini, ctx.caminhos, ctx.ui, ctx.host.CaminhoIni);
  if (!conexao->ConexaoAtiva()) {
    std::string motivo = data::LinhaLogTipoBanco(tipo);
    if (motivo.empty()) motivo = conexao->ErroAbertura();
    std::fprintf(stderr, "velantnfe cidades: banco de dados não abriu: %s\n", motivo.c_str());
    return 1;
  }
  ctx.ConexaoBanco = conexao.get();
  ResultadoConverteCidade r = ConverteCidade1(ctx);
  ctx.ConexaoBanco = nullptr;
  std::printf("CidadeIBGE: %d municípios inseridos, %d já estavam na tabela%s\n", r.inseridos, r.jaCopiados,
              r.erro ? " (interrompido por erro)" : "");
  return r.erro ? 1 : 0;
}

RegistroComando registro("cidades", &Cidades,
                         {"velantnfe cidades [--raiz PASTA] [--registro ARQUIVO]",
                          "copia a tabela Municipios para CidadeIBGE (o botão Command1 da janela)",
                          "Lê UF, CMUN e XMUN de Municipios do banco configurado no arquivo INI da raiz e\n"
                          "insere em CidadeIBGE o código, o nome em maiúsculas sem acentos e a UF. Códigos\n"
                          "que CidadeIBGE já tem ficam como estão. Sai com 1 quando um erro interrompe a cópia.\n",
                          {"--raiz", "--registro"},
                          {}});

}  // namespace
}  // namespace velant::app
