// Several Hosts on one queue: four processes claim from the same open rows;
// the guarded stamp must hand each row to exactly one of them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "apoio_dados.h"
#include "corrida_processos.h"
#include "base/regional.h"
#include "data/configuracao_banco.h"

namespace velant::data {
namespace {

using teste::Motor;

class FilaConcorrente : public ::testing::TestWithParam<Motor> {};

TEST_P(FilaConcorrente, EveryRowIsClaimedExactlyOnce) {
  constexpr int kLinhas = 500;
  teste::BancoAberto banco(GetParam());
  banco.conexao->IniciaTransacao();
  for (int32_t nsu = 1; nsu <= kLinhas; ++nsu) ASSERT_TRUE(banco.Inclui(nsu, "10.0.0.5")) << nsu;
  banco.conexao->ConfirmaTransacao();

  auto escritos = teste::CorridaDeProcessos<int32_t>(4, [&](int numero, InterfaceHeadless& ui, auto& largada,
                                                            auto& escreve) {
    // Opened before the start (opening takes the file's write lock in
    // turn): the race is over the rows, not over who opened first.
    CConexaoNfe conexao(banco.raiz.ini, banco.raiz.caminhos, ui);
    largada();
    ConfiguracaoHost host;
    DefineDialetoBanco(host, conexao.TipoBanco());
    host.VersaoSistema = "host" + std::to_string(numero);
    cSolicitacaoFuncaoNFe fila(conexao, host, ui);
    for (int32_t nsu; (nsu = fila.LocalizarAnalise("10.0.0.5")) > 0;) {
      if (fila.DefineHoraAnalise(nsu, DataHora::Hora(10, 0, numero))) {
        escreve(nsu);
        usleep(300);   // works on it before looking again, or the first to start takes every row
      }
    }
    return 0;
  });

  std::map<int32_t, std::vector<int>> donos;   // NSU -> processes that claimed it
  for (size_t i = 0; i < escritos.size(); ++i) {
    for (int32_t nsu : escritos[i]) donos[nsu].push_back(static_cast<int>(i));
  }
  ASSERT_EQ(donos.size(), static_cast<size_t>(kLinhas));
  EXPECT_GT(std::count_if(escritos.begin(), escritos.end(), [](const auto& e) { return !e.empty(); }), 1)
      << "sem disputa: um processo tomou tudo";
  // the table agrees: every row stamped once, by the process that reported it
  Recordset rs = banco.conexao->ConexaoCompartilhada()->Consultar(
      "SELECT NSU, [Versao Host] FROM SolicitacaoFuncaoNFe WHERE [Hora da Analise] IS NOT NULL ORDER BY NSU");
  ASSERT_EQ(rs.RecordCount(), kLinhas);
  for (; !rs.Eof(); rs.MoveNext()) {
    const auto& quem = donos[CLng(rs.Value("NSU"))];
    ASSERT_EQ(quem.size(), 1u) << "NSU " << CLng(rs.Value("NSU")) << " tomado " << quem.size() << " vezes";
    EXPECT_EQ(rs.Value("Versao Host").Texto(), "host" + std::to_string(quem.front()));
  }
}

INSTANTIATE_TEST_SUITE_P(Motores, FilaConcorrente, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return teste::NomeMotor(info.param); });

}  // namespace
}  // namespace velant::data
