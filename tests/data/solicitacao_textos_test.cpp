// The statement texts of the request record, in the SQL Server form, byte
// for byte, on a driver double that records them.
#include <gtest/gtest.h>

#include <functional>
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

const std::string kColunas =
    "NSU, [Numero de Controle de Solicitacao], [Data da Solicitacao], [Hora da Solicitacao], [Tipo de Operacao], "
    "[Codigo do Estabelecimento], [Serie da NFe], [Numero da NFe], [Chave de Acesso da NFe], [IP Computador AC], "
    "[IP Internet AC], [Seguranca do Estabelecimento], [Codigo do Usuario], [Versao AC], [Versao Host], Texto, "
    "[Hora da Analise], [Hora da Aprovacao], [Hora Cancelamento Host], [Hora da Confirmacao AC], "
    "[Hora do Cancelamento AC], Mensagem";

class TextosSolicitacao : public ::testing::Test {
 protected:
  InterfaceHeadless ui{true};
  ConfiguracaoHost host;
  SolicitacaoAtual atual;
  teste::ConexaoGravadora conexao{ui};
  cSolicitacaoFuncaoNFe s{conexao, host, ui};
  teste::DriverGravador& driver = conexao.Driver();
};

TEST_F(TextosSolicitacao, FindersAndIncluir) {
  const std::string abertas =
      "SELECT TOP 1 NSU  FROM SolicitacaoFuncaoNFe WHERE [Hora do Cancelamento AC] IS NULL   AND [Hora da "
      "Confirmacao AC] IS NULL   AND [Hora Cancelamento Host] IS NULL   AND ";
  const std::pair<std::function<void()>, std::string> casos[] = {
      {[&] { s.LocalizarAnalise("10.0.0.5"); },
       abertas + "[Hora da Analise] IS NULL   AND [Hora da Aprovacao] IS NULL   AND [IP Computador AC] = '10.0.0.5' "
                 "ORDER BY NSU ASC"},
      {[&] { s.LocalizarAnalise("127.0.0.1"); },
       abertas + "[Hora da Analise] IS NULL   AND [Hora da Aprovacao] IS NULL ORDER BY NSU ASC"},
      {[&] { s.LocalizarAnaliseEOuAprovacao(); },
       abertas + "([Hora da Analise] IS NULL    OR [Hora da Aprovacao] IS NULL) ORDER BY NSU ASC"},
      {[&] { s.LocalizarCodigo(987); }, "SELECT TOP 1 " + kColunas + " FROM SolicitacaoFuncaoNFe  WHERE NSU = 987"},
  };
  for (const auto& [chama, texto] : casos) {
    chama();
    EXPECT_EQ(s.TextoSQL(), texto);
    EXPECT_EQ(driver.consultados.back(), texto);
  }
  teste::PreencheTudo(s);
  EXPECT_TRUE(s.Incluir());
  EXPECT_EQ(driver.executados.at(0),
            "INSERT INTO SolicitacaoFuncaoNFe ( " + kColunas +
                " ) VALUES ( 1234, 77, '05/12/2026', '09:05:03', 'NFE', 3, '1', 456, "
                "'35261212345678000190550010000004561000004567', '10.0.0.5', '200.1.2.3', 'x''y', 9, '2.1', 'h', "
                "'000-000 = NFE3.10\r\n001-000 = Pão d''água [x]\r\n999-999 = FIM\r\n', '13:45:07', '13:50:00', "
                "'14:00:00', '23:00:00', '23:30:00', 'Msg ''citada'' [nRec:1]' )");
  EXPECT_TRUE(ui.Caixas().empty());
}

// Each writer: its text, and its result by the rows the driver reports.
TEST_F(TextosSolicitacao, WritersTextAndResultByAffectedRows) {
  const std::string longa = "Rejeição 204: Duplicidade de NF-e, com diferença na chave de acesso [nRec:1]";
  const std::string semResposta = "   AND [Hora da Aprovacao] IS NULL   AND [Hora Cancelamento Host] IS NULL";
  host.IdHost = 9007199254740993;   // past the integers a double holds exactly
  const std::pair<std::function<bool()>, std::string> casos[] = {
      {[&] { return s.DefineMensagem(5, "Gerando 'NFe'..."); },
       "UPDATE SolicitacaoFuncaoNFe SET Mensagem = 'Gerando ''NFe''...' WHERE NSU = 5"},
      {[&] { return s.DefineHoraAnalise(5, DataHora::Hora(13, 45, 7)); },
       "UPDATE SolicitacaoFuncaoNFe SET [Hora da Analise] = '13:45:07', [Versao Host] = '6.07.01.1', "
       "[Host da Analise] = 9007199254740993 WHERE NSU = 5   AND [Hora da Analise] IS NULL"},
      {[&] { return s.DefineHoraAprovacaoHost(6, DataHora::Hora(7, 8, 9), longa); },
       "UPDATE SolicitacaoFuncaoNFe SET [Hora da Aprovacao] = '07:08:09', Mensagem = '" + longa +
           "', [Versao Host] = '6.07.01.1' WHERE NSU = 6" + semResposta},
      {[&] { return s.DefineHoraCancelamentoHost(7, DataHora::Hora(23, 59, 59), longa); },
       "UPDATE SolicitacaoFuncaoNFe SET [Hora Cancelamento Host] = '23:59:59', "
       "Mensagem = 'Rejeição 204: Duplicidade de NF-e, com diferença n', [Versao Host] = '6.07.01.1' "
       "WHERE NSU = 7" + semResposta},
      {[&] { return s.Excluir(9); }, "DELETE FROM SolicitacaoFuncaoNFe WHERE NSU = 9"},
  };
  for (const auto& [chama, texto] : casos) {
    for (int64_t linhas : {1, 0, 2}) {
      SCOPED_TRACE(texto + " com " + std::to_string(linhas));
      driver.linhasAfetadas.push_back(linhas);
      EXPECT_EQ(chama(), linhas > 0);
      EXPECT_EQ(s.TextoSQL(), texto);
      EXPECT_EQ(driver.executados.back(), texto);
    }
  }
  // The claim keeps its time for the log line; a refused one does not change it.
  driver.linhasAfetadas = {1, 0};
  EXPECT_TRUE(s.DefineHoraAnalise(5, DataHora::Hora(10, 0, 1)));
  EXPECT_FALSE(s.DefineHoraAnalise(5, DataHora::Hora(10, 0, 2)));
  EXPECT_EQ(s.HoraAnalise(), DataHora::Hora(10, 0, 1));
}

// The AC's writers answer false, the Host's operations let the error through,
// LocalizarCodigo shows it in a box.
TEST_F(TextosSolicitacao, DatabaseErrorsByOperation) {
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

TEST_F(TextosSolicitacao, LogWriterStampsTheRequestBeingServed) {
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
