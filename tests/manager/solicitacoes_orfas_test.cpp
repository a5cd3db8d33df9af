#include "manager/solicitacoes_orfas.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ambiente_teste.h"
#include "apoio/arquivos_teste.h"
#include "base/regional.h"
#include "data/conexao_nfe.h"
#include "data/configuracao_banco.h"
#include "data/solicitacao_funcao_nfe.h"
#include "lifecycle/limites_emissao.h"
#include "manager/gerenciador_nfe.h"

namespace velant {
namespace {

using teste::AmbienteTeste;

// The clock of AmbienteTeste reads 05/12/2026 09:05:07.
class Orfas : public ::testing::Test {
 protected:
  Orfas() {
    // Two-second calls and a six-second processing bound: a request takes
    // at most 10 + 6 + 6 x 2 + 20 = 48 seconds.
    teste::GravarTudo(a.registro.Arquivo(),
                      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n"
                      "\"TempoLimiteTotal\"=\"2\"\r\n\"TempoLimiteProcessamento\"=\"6\"\r\n");
    a.host.IPProcessamento = "10.0.0.5";
    a.host.VersaoSistema = "6.07.01.1";
    data::GarantirConfiguracaoBanco(a.ini);
    conexao = std::make_unique<data::CConexaoNfe>(a.ini, a.caminhos, a.ui);
    data::DefineDialetoBanco(a.host, conexao->TipoBanco());
    fila = std::make_unique<data::cSolicitacaoFuncaoNFe>(*conexao, a.host, a.ui);
    a.ctx.ConexaoBanco = conexao.get();
  }
  ~Orfas() override { a.ctx.ConexaoBanco = nullptr; }

  // A row claimed at that time of day (NULL: open) and otherwise untouched.
  void Linha(int32_t nsu, const char* horaAnalise, const std::string& comando = "NFE3.10",
             const std::string& ip = "10.0.0.5", const std::string& outras = "") {
    std::string hora = horaAnalise == nullptr ? "NULL" : std::string("'") + horaAnalise + "'";
    ASSERT_EQ(conexao->ExecutaSql("INSERT INTO SolicitacaoFuncaoNFe (NSU, [Data da Solicitacao], [IP Computador AC], "
                                  "Texto, [Hora da Analise]) VALUES (" +
                                  std::to_string(nsu) + ", '2026-12-04', '" + ip + "', '000-000 - " + comando +
                                  "' || char(13) || char(10) || '001-000 - 1', " + hora + ")"),
              1);
    if (!outras.empty()) {
      ASSERT_EQ(conexao->ExecutaSql("UPDATE SolicitacaoFuncaoNFe SET " + outras + " WHERE NSU = " + std::to_string(nsu)),
                1);
    }
  }
  bool Cancelada(int32_t nsu) {
    EXPECT_TRUE(fila->LocalizarCodigo(nsu));
    return !fila->HoraCancelamentoHost().Zero();
  }

  AmbienteTeste a;
  std::unique_ptr<data::CConexaoNfe> conexao;
  std::unique_ptr<data::cSolicitacaoFuncaoNFe> fila;
  SolicitacoesOrfas orfas{a.ctx};
};

TEST_F(Orfas, LimiteVemDosTemposDoRegistro) {
  EXPECT_EQ(TempoMaximoSolicitacao(a.ctx).count(), 48);
  EXPECT_EQ(TempoLimiteProcessamento(a.ctx).count(), 6);
}

TEST_F(Orfas, RespondeSoAsTomadasHaMaisQueOLimite) {
  Linha(1, "09:04:18");                          // 49 s ago
  Linha(2, "09:04:20");                          // 47 s ago: may still be running
  Linha(3, "23:50:00");                          // yesterday
  Linha(4, "09:00:00", "ATV");                   // a liveness check stays as it is
  Linha(5, "09:00:00", "NFE3.10", "10.0.0.6");   // another Host's IP
  Linha(6, "09:00:00", "NFE3.10", "10.0.0.5", "[Hora da Aprovacao] = '09:00:30'");
  Linha(7, "09:00:00", "NFE3.10", "10.0.0.5", "[Hora do Cancelamento AC] = '09:01:00'");
  Linha(8, "09:00:00", "NFE3.10", "10.0.0.5", "[Hora da Confirmacao AC] = '09:01:00'");
  Linha(9, nullptr);                             // open: the poll loop serves it
  Linha(10, "09:00:00", "STATUS SERVICO");

  EXPECT_EQ(orfas.Verifica(*fila), 3);
  for (int32_t nsu : {1, 3, 10}) {
    SCOPED_TRACE(nsu);
    ASSERT_TRUE(Cancelada(nsu));
    EXPECT_EQ(fila->Mensagem(), "Processamento interrompido: reenvie a solicitação");
    EXPECT_EQ(FormataHora(Valor(fila->HoraCancelamentoHost())), "09:05:07");
    EXPECT_NE(a.ArquivoLog().find(" -       Solicitação " + std::to_string(nsu) +
                                  " interrompida, cancelada pelo Host: 09:05:07\r\n"),
              std::string::npos)
        << a.ArquivoLog();
  }
  for (int32_t nsu : {2, 4, 5, 6, 7, 8, 9}) EXPECT_FALSE(Cancelada(nsu)) << nsu;
}

TEST_F(Orfas, NoInicioEDepoisUmaVezPorMinuto) {
  Linha(1, "09:00:00");
  EXPECT_EQ(orfas.Verifica(*fila), 1);   // start-up
  Linha(2, "09:00:00");
  a.relogio.agora = DataHora::De(2026, 12, 5, 9, 5, 40);
  EXPECT_EQ(orfas.Verifica(*fila), 0);
  EXPECT_FALSE(Cancelada(2));
  a.relogio.agora = DataHora::De(2026, 12, 5, 9, 6, 7);
  EXPECT_EQ(orfas.Verifica(*fila), 1);
  EXPECT_TRUE(Cancelada(2));
  // A clock set back does not stop the looks.
  Linha(3, "08:00:00");
  a.relogio.agora = DataHora::De(2026, 12, 5, 9, 0, 0);
  EXPECT_EQ(orfas.Verifica(*fila), 1);
}

TEST_F(Orfas, ComOIPDeTodosRespondeQualquerIP) {
  a.host.IPProcessamento = "127.0.0.1";
  Linha(1, "09:00:00", "NFE3.10", "10.0.0.6");
  Linha(2, "09:00:00", "NFE3.10", "10.0.0.7");
  EXPECT_EQ(orfas.Verifica(*fila), 2);
}

TEST_F(Orfas, BancoForaDoArNaoDerrubaOHost) {
  a.ctx.ConexaoBanco = nullptr;
  EXPECT_EQ(orfas.Verifica(*fila), 0);
}

}  // namespace
}  // namespace velant
