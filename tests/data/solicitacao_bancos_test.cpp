// The request record on the real engines: what reaches the table and what
// comes back, on SQLite and on PostgreSQL; what a database error does to it.
#include <gtest/gtest.h>

#include <string>

#include "apoio_dados.h"
#include "base/erro.h"
#include "base/regional.h"
#include "data/escritor_mensagem.h"
#include "data/solicitacao_funcao_nfe.h"
#include "plataforma/registro_eventos.h"
#include "contexto/solicitacao_atual.h"

namespace velant::data {
namespace {

using teste::Descreve;
using teste::NoBanco;

// Every column there and back; zero times stored as Null; a repeated NSU
// refused; a missing row changes nothing; Nulls load as empty values.
TEST_P(NoBanco, IncluirELocalizarCodigo) {
  teste::PreencheTudo(s);
  ASSERT_TRUE(s.Incluir());
  cSolicitacaoFuncaoNFe lido(*banco.conexao, banco.host, banco.raiz.ui);
  ASSERT_TRUE(lido.LocalizarCodigo(1234));
  EXPECT_EQ(Descreve(lido), Descreve(s));
  EXPECT_FALSE(lido.LocalizarCodigo(13));
  EXPECT_EQ(Descreve(lido), Descreve(s));
  EXPECT_FALSE(s.Incluir()) << "NSU repetido";

  cSolicitacaoFuncaoNFe vazia(*banco.conexao, banco.host, banco.raiz.ui);
  vazia.NSU(5);
  ASSERT_TRUE(vazia.Incluir());
  for (const char* c : {"Data da Solicitacao", "Hora da Solicitacao", "Hora da Analise", "Hora da Aprovacao",
                        "Hora Cancelamento Host", "Hora da Confirmacao AC", "Hora do Cancelamento AC"})
    EXPECT_TRUE(banco.Coluna(5, c).ENulo()) << c;
  EXPECT_TRUE(vazia.Excluir(5));
  EXPECT_FALSE(vazia.Excluir(5) || lido.LocalizarCodigo(5));

  // An AC that writes only some columns leaves NULLs: nothing of request 1234 may survive.
  banco.Executa("INSERT INTO SolicitacaoFuncaoNFe (NSU, [Codigo do Usuario], Texto) VALUES (21, NULL, 'novo')");
  ASSERT_TRUE(lido.LocalizarCodigo(21));
  vazia.NSU(21);
  vazia.Texto("novo");
  EXPECT_EQ(Descreve(lido), Descreve(vazia));
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

TEST_P(NoBanco, FindersSkipRowsWithAnyStamp) {
  int32_t nsu = 1;
  for (const char* c : {"Hora do Cancelamento AC", "Hora da Confirmacao AC", "Hora Cancelamento Host",
                        "Hora da Analise", "Hora da Aprovacao"}) {
    ASSERT_TRUE(banco.Inclui(nsu, "10.0.0.5"));
    banco.Executa("UPDATE SolicitacaoFuncaoNFe SET [" + std::string(c) + "] = '10:00:00' WHERE NSU = " +
                  std::to_string(nsu++));
  }
  EXPECT_EQ(s.LocalizarAnalise("10.0.0.5"), 0);
  ASSERT_TRUE(banco.Inclui(9, "10.0.0.6"));
  ASSERT_TRUE(banco.Inclui(8, "10.0.0.5"));
  const std::pair<const char*, int32_t> porIP[] = {{"10.0.0.5", 8},  {"10.0.0.6", 9}, {"10.0.0.7", 0},
                                                   {"127.0.0.1", 8}, {"", 8},         {"10.0.0.5' OR ''='", 0}};
  for (const auto& [ip, esperado] : porIP) EXPECT_EQ(s.LocalizarAnalise(ip), esperado) << ip;

  // Open rows missing the analysis or the approval stamp: 4 (claimed only), 5 (approved only), then 8.
  EXPECT_EQ(s.LocalizarAnaliseEOuAprovacao(), 4);
  banco.Executa("UPDATE SolicitacaoFuncaoNFe SET [Hora da Aprovacao] = '10:00:01' WHERE NSU = 4");
  EXPECT_EQ(s.LocalizarAnaliseEOuAprovacao(), 5);
  banco.Executa("UPDATE SolicitacaoFuncaoNFe SET [Hora da Analise] = '10:00:01' WHERE NSU = 5");
  EXPECT_EQ(s.LocalizarAnaliseEOuAprovacao(), 8);
}

// The claim names the Host run that holds the row (a program without an id
// leaves the column empty); a second claim fails and keeps the first, even
// at midnight.
TEST_P(NoBanco, ASecondClaimFailsAndKeepsTheFirst) {
  const std::pair<int64_t, DataHora> casos[] = {{4611686018427387903, DataHora::Hora(10, 0, 1)}, {0, DataHora()}};
  int32_t nsu = 0;
  for (const auto& [id, hora] : casos) {
    banco.host.IdHost = id;
    banco.host.VersaoSistema = "6.07.01." + std::to_string(++nsu);
    ASSERT_TRUE(banco.Inclui(nsu, "a"));
    EXPECT_TRUE(s.DefineHoraAnalise(nsu, hora));
    banco.host.VersaoSistema = "outra";
    EXPECT_FALSE(s.DefineHoraAnalise(nsu, DataHora::Hora(0, 0, 2)));
    EXPECT_EQ(s.HoraAnalise(), hora);   // the claim's time, for the log line
    EXPECT_EQ(CDate(banco.Coluna(nsu, "Hora da Analise")), hora);   // Null raises
    EXPECT_EQ(banco.Coluna(nsu, "Versao Host").Texto(), "6.07.01." + std::to_string(nsu));
    const Valor host = banco.Coluna(nsu, "Host da Analise");
    EXPECT_EQ(host.ENulo() ? 0 : CLngLng(host), id);
  }
  EXPECT_EQ(s.LocalizarAnalise("a"), 0);
  EXPECT_FALSE(s.DefineHoraAnalise(404, DataHora::Hora(10, 0, 2))) << "NSU inexistente";
}

// A request is answered once: whichever answer comes second (a Host that
// finishes a request another Host gave up, or gives up one it finished) is
// refused and leaves the row as the first answer wrote it. The cancellation's
// message is cut to its column, the approval's and a plain message are not.
TEST_P(NoBanco, ARowNeverCarriesBothAnswers) {
  const std::string longa(120, 'x');
  const std::string acentos = "Rejeição: ção ç 'aspas' [nRec:351000012345678] e mais texto até passar de cinquenta";
  int32_t nsu = 40;
  for (bool aprovadaPrimeiro : {true, false}) {
    SCOPED_TRACE(aprovadaPrimeiro);
    ASSERT_TRUE(banco.Inclui(++nsu, "a"));
    ASSERT_TRUE(s.DefineHoraAnalise(nsu, DataHora::Hora(9, 0, 0)));
    const auto aprova = [&] { return s.DefineHoraAprovacaoHost(nsu, DataHora::Hora(9, 0, 5), longa); };
    const auto cancela = [&] { return s.DefineHoraCancelamentoHost(nsu, DataHora::Hora(9, 0, 6), acentos); };
    EXPECT_TRUE(aprovadaPrimeiro ? aprova() : cancela());
    EXPECT_FALSE(aprovadaPrimeiro ? cancela() : aprova());
    EXPECT_EQ(banco.Coluna(nsu, "Hora da Aprovacao").ENulo(), !aprovadaPrimeiro);
    EXPECT_EQ(banco.Coluna(nsu, "Hora Cancelamento Host").ENulo(), aprovadaPrimeiro);
    EXPECT_EQ(banco.Coluna(nsu, "Mensagem").Texto(),
              aprovadaPrimeiro ? longa : "Rejeição: ção ç 'aspas' [nRec:351000012345678] e m");
  }
  EXPECT_TRUE(s.DefineMensagem(nsu, acentos));
  EXPECT_EQ(banco.Coluna(nsu, "Mensagem").Texto(), acentos);
  EXPECT_FALSE(s.DefineMensagem(404, "x"));
}

// An NSU the Host cannot serve (0, negative, past 32 bits) is not claimed
// but reported, and refused once: claimed and cancelled in one statement.
TEST_P(NoBanco, AnNSUOutOfRangeIsReportedAndRefusedOnce) {
  banco.Executa("INSERT INTO SolicitacaoFuncaoNFe (NSU, [IP Computador AC], Texto) VALUES (-7, 'a', 'x')");
  ASSERT_TRUE(banco.Inclui(2, "a"));
  EXPECT_EQ(s.LocalizarAnalise("a"), 0);
  EXPECT_EQ(s.NSUInvalido(), std::optional<int64_t>(-7));
  EXPECT_TRUE(s.RecusaNSUInvalido(-7, DataHora::Hora(9, 0, 0), std::string(60, 'm')));
  EXPECT_FALSE(s.RecusaNSUInvalido(-7, DataHora::Hora(9, 0, 1), "de novo"));
  EXPECT_EQ(CDate(banco.Coluna(-7, "Hora da Analise")), DataHora::Hora(9, 0, 0));
  EXPECT_EQ(CDate(banco.Coluna(-7, "Hora Cancelamento Host")), DataHora::Hora(9, 0, 0));
  EXPECT_EQ(banco.Coluna(-7, "Mensagem").Texto(), std::string(50, 'm'));
  EXPECT_EQ(s.LocalizarAnalise("a"), 2);
  EXPECT_FALSE(s.NSUInvalido());
}

// With the request table gone: the AC's writers answer false, the Host's
// operations let the error through, LocalizarCodigo shows it in a box.
TEST_P(NoBanco, DatabaseErrorsByOperation) {
  InterfaceHeadless& ui = banco.raiz.ui;
  banco.Executa("DROP TABLE SolicitacaoFuncaoNFe");
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
  EXPECT_TRUE(ui.Caixas()[0].prompt.starts_with("-2147467259 - ") && ui.Caixas()[0].prompt.size() > 20)
      << ui.Caixas()[0].prompt;
  EXPECT_EQ(ui.Caixas()[0].estilo, vbOKOnly);
}

// The log's writer stamps the request being served; a database error is "not
// written", not an exception, and the daily file says which.
TEST_P(NoBanco, LogWriterStampsTheRequestBeingServed) {
  RelogioSistema relogio;
  RegistroEventos log{banco.raiz.ui, banco.raiz.caminhos, relogio};
  SolicitacaoAtual atual;
  auto escritor = EscritorMensagemSolicitacao(s, atual, log);
  ASSERT_TRUE(banco.Inclui(321, "a"));
  atual.NSUAtual = 321;
  EXPECT_TRUE(escritor("      Gerando NFe..."));
  EXPECT_EQ(banco.Coluna(321, "Mensagem").Texto(), "      Gerando NFe...");
  atual.NSUAtual = 322;
  EXPECT_FALSE(escritor("x"));   // no such row
  banco.Executa("DROP TABLE SolicitacaoFuncaoNFe");
  EXPECT_FALSE(escritor("y"));
  const std::string arquivo =
      velant::teste::LerTudo(banco.raiz.caminhos.Mapear(RegistroEventos::NomeArquivoLog(relogio.Agora())));
  EXPECT_NE(arquivo.find(" -      ** Erro na Rotina: DefineMensagem - "), std::string::npos) << arquivo;
}

}  // namespace
}  // namespace velant::data
