// On a driver double: what a database error does to each operation of the
// request record, and the log writer's message line.
#include <gtest/gtest.h>

#include <string>

#include "apoio_dados.h"
#include "base/erro.h"
#include "data/escritor_mensagem.h"
#include "data/solicitacao_funcao_nfe.h"
#include "plataforma/registro_eventos.h"
#include "contexto/configuracao_host.h"
#include "contexto/solicitacao_atual.h"

namespace velant::data {
namespace {

class FalhasSolicitacao : public ::testing::Test {
 protected:
  InterfaceHeadless ui{true};
  ConfiguracaoHost host;
  SolicitacaoAtual atual;
  teste::ConexaoGravadora conexao{ui};
  cSolicitacaoFuncaoNFe s{conexao, host, ui};
  teste::DriverGravador& driver = conexao.Driver();
};

// The AC's writers answer false, the Host's operations let the error through,
// LocalizarCodigo shows it in a box.
TEST_F(FalhasSolicitacao, DatabaseErrorsByOperation) {
  driver.falhar = true;
  EXPECT_FALSE(s.Incluir() || s.Alterar(1) || s.Excluir(1));
  EXPECT_TRUE(ui.Caixas().empty());
  EXPECT_THROW(s.LocalizarAnalise("10.0.0.5"), ErroExecucao);
  EXPECT_THROW(s.LocalizarAnaliseEOuAprovacao(), ErroExecucao);
  EXPECT_THROW(s.DefineMensagem(1, "x"), ErroExecucao);
  EXPECT_THROW(s.DefineHoraAnalise(1, DataHora::Hora(1, 2, 3)), ErroExecucao);
  EXPECT_THROW(s.DefineHoraAprovacaoHost(1, DataHora::Hora(1, 2, 3), "x"), ErroExecucao);
  EXPECT_THROW(s.DefineHoraCancelamentoHost(1, DataHora::Hora(1, 2, 3), "x"), ErroExecucao);
  EXPECT_FALSE(s.LocalizarCodigo(3));
  ASSERT_EQ(ui.Caixas().size(), 1u);
  EXPECT_EQ(ui.Caixas()[0].prompt, "-2147467259 - falha simulada");
  EXPECT_EQ(ui.Caixas()[0].estilo, vbOKOnly);
}

TEST_F(FalhasSolicitacao, LogWriterStampsTheRequestBeingServed) {
  velant::teste::PastaTemporaria pasta;
  MapeadorCaminhos caminhos{pasta.Caminho()};
  RelogioSistema relogio;
  RegistroEventos log{ui, caminhos, relogio};
  auto escritor = EscritorMensagemSolicitacao(s, atual, log);
  atual.NSUAtual = 321;
  driver.linhasAfetadas = {1, 0};
  EXPECT_TRUE(escritor("      Gerando NFe..."));
  EXPECT_EQ(driver.executados.back(),
            "UPDATE SolicitacaoFuncaoNFe SET Mensagem = '      Gerando NFe...' WHERE NSU = 321");
  EXPECT_FALSE(escritor("x"));
  // A database error is "not written", not an exception, and the daily file says which.
  driver.falhar = true;
  EXPECT_FALSE(escritor("y"));
  const std::string arquivo = velant::teste::LerTudo(caminhos.Mapear(RegistroEventos::NomeArquivoLog(relogio.Agora())));
  EXPECT_NE(arquivo.find("     ** Erro na Rotina: DefineMensagem - falha simulada\r\n"), std::string::npos) << arquivo;
}

}  // namespace
}  // namespace velant::data
