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

using teste::ResultadoNSU;

const std::string kAbertas =
    "  FROM SolicitacaoFuncaoNFe WHERE [Hora do Cancelamento AC] IS NULL   AND [Hora da Confirmacao AC] IS NULL"
    "   AND [Hora Cancelamento Host] IS NULL";

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

TEST_F(TextosSolicitacao, FindersBuildTheTopOneSearchAndGiveZeroWhenNothingIsOpen) {
  const struct { std::string ip, filtro; } casos[] = {
      {"10.0.0.5", "   AND [IP Computador AC] = '10.0.0.5'"},
      {"127.0.0.1", ""},
      {"", ""},
      // a quote in the address cannot end the literal
      {"1' OR '1'='1", "   AND [IP Computador AC] = '1'' OR ''1''=''1'"},
  };
  for (const auto& c : casos) {
    driver.resultados.push_back(ResultadoNSU({42}));
    EXPECT_EQ(s.LocalizarAnalise(c.ip), 42);
    const std::string esperado = "SELECT TOP 1 NSU" + kAbertas + "   AND [Hora da Analise] IS NULL" +
                                 "   AND [Hora da Aprovacao] IS NULL" + c.filtro + " ORDER BY NSU ASC";
    EXPECT_EQ(s.TextoSQL(), esperado);
    EXPECT_EQ(driver.consultados.back(), esperado);
  }
  EXPECT_EQ(driver.consultados.size(), std::size(casos));

  EXPECT_EQ(s.LocalizarAnalise("10.0.0.5"), 0);
  EXPECT_EQ(s.LocalizarAnaliseEOuAprovacao(), 0);
  EXPECT_EQ(s.TextoSQL(), "SELECT TOP 1 NSU" + kAbertas + "   AND ([Hora da Analise] IS NULL" +
                              "    OR [Hora da Aprovacao] IS NULL)" + " ORDER BY NSU ASC");
  EXPECT_FALSE(s.LocalizarCodigo(987));
  EXPECT_EQ(s.TextoSQL(), "SELECT TOP 1 " + kColunas + " FROM SolicitacaoFuncaoNFe  WHERE NSU = 987");
  EXPECT_TRUE(ui.Caixas().empty());
}

TEST_F(TextosSolicitacao, IncluirWritesThe22ValuesInOrderAndZeroDatesAndTimesAsNull) {
  teste::PreencheTudo(s);
  EXPECT_TRUE(s.Incluir());
  EXPECT_EQ(s.TextoSQL(),
            "INSERT INTO SolicitacaoFuncaoNFe ( " + kColunas +
                " ) VALUES ( 1234, 77, '05/12/2026', '09:05:03', 'NFE', 3, '1', 456, "
                "'35261212345678000190550010000004561000004567', '10.0.0.5', '200.1.2.3', 'x''y', 9, '2.1', 'h', "
                "'000-000 = NFE3.10\r\n001-000 = Pão d''água [x]\r\n999-999 = FIM\r\n', '13:45:07', '13:50:00', "
                "'14:00:00', '23:00:00', '23:30:00', 'Msg ''citada'' [nRec:1]' )");
  ASSERT_EQ(driver.executados.size(), 1u);
  EXPECT_EQ(driver.executados[0], s.TextoSQL());

  cSolicitacaoFuncaoNFe vazia(conexao, host, ui);
  EXPECT_TRUE(vazia.Incluir());
  EXPECT_EQ(vazia.TextoSQL(), "INSERT INTO SolicitacaoFuncaoNFe ( " + kColunas +
                                  " ) VALUES ( 0, 0, Null, Null, '', 0, '', 0, '', '', '', '', 0, '', '', '', "
                                  "Null, Null, Null, Null, Null, '' )");
}

TEST_F(TextosSolicitacao, AlterarRewritesEveryColumnOfTheRow) {
  teste::PreencheTudo(s);
  s.HoraAprovacao(DataHora());
  EXPECT_TRUE(s.Alterar(1200));
  EXPECT_EQ(s.TextoSQL(),
            "UPDATE SolicitacaoFuncaoNFe SET NSU = 1234, [Numero de Controle de Solicitacao] = 77, "
            "[Data da Solicitacao] = '05/12/2026', [Hora da Solicitacao] = '09:05:03', [Tipo de Operacao] = 'NFE', "
            "[Codigo do Estabelecimento] = 3, [Serie da NFe] = '1', [Numero da NFe] = 456, "
            "[Chave de Acesso da NFe] = '35261212345678000190550010000004561000004567', "
            "[IP Computador AC] = '10.0.0.5', [IP Internet AC] = '200.1.2.3', [Seguranca do Estabelecimento] = 'x''y', "
            "[Codigo do Usuario] = 9, [Versao AC] = '2.1', [Versao Host] = 'h', "
            "Texto = '000-000 = NFE3.10\r\n001-000 = Pão d''água [x]\r\n999-999 = FIM\r\n', "
            "[Hora da Analise] = '13:45:07', [Hora da Aprovacao] = Null, [Hora Cancelamento Host] = '14:00:00', "
            "[Hora da Confirmacao AC] = '23:00:00', [Hora do Cancelamento AC] = '23:30:00', "
            "Mensagem = 'Msg ''citada'' [nRec:1]' WHERE NSU = 1200");
}

// Each writer: its text, and its result by the rows the driver reports.
TEST_F(TextosSolicitacao, WritersTextAndResultByAffectedRows) {
  const std::string longa = "Rejeição 204: Duplicidade de NF-e, com diferença na chave de acesso [nRec:1]";
  const std::string kSemResposta = "   AND [Hora da Aprovacao] IS NULL   AND [Hora Cancelamento Host] IS NULL";

  const struct { const char* nome; std::function<bool()> chama; std::string texto; } casos[] = {
      {"DefineMensagem", [&] { return s.DefineMensagem(5, "Gerando 'NFe'..."); },
       "UPDATE SolicitacaoFuncaoNFe SET Mensagem = 'Gerando ''NFe''...' WHERE NSU = 5"},
      {"DefineHoraAnalise", [&] { return s.DefineHoraAnalise(5, DataHora::Hora(13, 45, 7)); },
       "UPDATE SolicitacaoFuncaoNFe SET [Hora da Analise] = '13:45:07', [Versao Host] = '6.07.01.1' "
       "WHERE NSU = 5   AND [Hora da Analise] IS NULL"},
      {"DefineHoraAprovacaoHost", [&] { return s.DefineHoraAprovacaoHost(6, DataHora::Hora(7, 8, 9), longa); },
       "UPDATE SolicitacaoFuncaoNFe SET [Hora da Aprovacao] = '07:08:09', Mensagem = '" + longa +
           "', [Versao Host] = '6.07.01.1' WHERE NSU = 6" + kSemResposta},
      {"DefineHoraCancelamentoHost",
       [&] { return s.DefineHoraCancelamentoHost(7, DataHora::Hora(23, 59, 59), longa); },
       "UPDATE SolicitacaoFuncaoNFe SET [Hora Cancelamento Host] = '23:59:59', "
       "Mensagem = 'Rejeição 204: Duplicidade de NF-e, com diferença n', [Versao Host] = '6.07.01.1' "
       "WHERE NSU = 7" + kSemResposta},
      // midnight is a time like any other for a stamp, not Null
      {"DefineHoraAnaliseMeiaNoite", [&] { return s.DefineHoraAnalise(8, DataHora()); },
       "UPDATE SolicitacaoFuncaoNFe SET [Hora da Analise] = '00:00:00', [Versao Host] = '6.07.01.1' "
       "WHERE NSU = 8   AND [Hora da Analise] IS NULL"},
      {"Excluir", [&] { return s.Excluir(9); }, "DELETE FROM SolicitacaoFuncaoNFe WHERE NSU = 9"},

  };
  for (const auto& c : casos) {
    for (int64_t linhas : {int64_t{1}, int64_t{0}, int64_t{2}}) {
      SCOPED_TRACE(std::string(c.nome) + " com " + std::to_string(linhas));
      driver.linhasAfetadas.push_back(linhas);
      EXPECT_EQ(c.chama(), linhas > 0);
      EXPECT_EQ(s.TextoSQL(), c.texto);
      EXPECT_EQ(driver.executados.back(), c.texto);
    }
  }
}

// A Host run names itself in its claims, every digit of its id.
TEST_F(TextosSolicitacao, ClaimOfAHostRunNamesIt) {
  host.IdHost = 9007199254740993;   // past the integers a double holds exactly
  EXPECT_TRUE(s.DefineHoraAnalise(10, DataHora::Hora(1, 2, 3)));
  EXPECT_EQ(driver.executados.back(),
            "UPDATE SolicitacaoFuncaoNFe SET [Hora da Analise] = '01:02:03', [Versao Host] = '6.07.01.1', "
            "[Host da Analise] = 9007199254740993 WHERE NSU = 10   AND [Hora da Analise] IS NULL");
}

TEST_F(TextosSolicitacao, ClaimKeepsItsTimeForTheLogLine) {
  driver.linhasAfetadas = {1, 0};
  EXPECT_TRUE(s.DefineHoraAnalise(5, DataHora::Hora(10, 0, 1)));
  EXPECT_EQ(s.HoraAnalise(), DataHora::Hora(10, 0, 1));
  EXPECT_FALSE(s.DefineHoraAnalise(5, DataHora::Hora(10, 0, 2)));
  EXPECT_EQ(s.HoraAnalise(), DataHora::Hora(10, 0, 1));
}

// The AC's writers answer false, the Host's operations let the error through,
// LocalizarCodigo shows it in a box.
TEST_F(TextosSolicitacao, DatabaseErrorsByOperation) {
  driver.falhar = true;
  EXPECT_FALSE(s.Incluir());
  EXPECT_FALSE(s.Alterar(1));
  EXPECT_FALSE(s.Excluir(1));
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
