// Several Hosts on one queue: four processes claim from the same open rows;
// the guarded stamp must hand each row to exactly one of them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "apoio_dados.h"
#include "corrida_processos.h"
#include "base/regional.h"
#include "data/configuracao_banco.h"

namespace velant::data {
namespace {

using teste::BancoAberto;
using teste::Motor;

constexpr int kProcessos = 4;
constexpr int kLinhas = 500;

// The loop of one Host process: search, claim, report the claimed NSU.
// Exit codes: 0 fine, 2 an exception, 3 a message box was shown.
[[noreturn]] void Host(BancoAberto& banco, int numero, int escrita, int largada) {
  int codigo = 0;
  try {
    InterfaceHeadless ui(true);
    {
      // Opened before the start (opening takes the file's write lock in
      // turn): the race is over the rows, not over who opened first.
      CConexaoNfe conexao(banco.raiz.ini, banco.raiz.caminhos, ui);
      char c;
      if (read(largada, &c, 1) < 0) _exit(4);   // waits until the parent lets all go
      ConfiguracaoHost host;
      DefineDialetoBanco(host, conexao.TipoBanco());
      host.VersaoSistema = "host" + std::to_string(numero);
      cSolicitacaoFuncaoNFe fila(conexao, host, ui);
      for (;;) {
        int32_t nsu = fila.LocalizarAnalise("10.0.0.5");
        if (nsu <= 0) break;
        if (fila.DefineHoraAnalise(nsu, DataHora::Hora(10, 0, numero))) {
          if (write(escrita, &nsu, sizeof nsu) != static_cast<ssize_t>(sizeof nsu)) _exit(5);
          // A Host works on what it claimed before it looks again; without this
          // pause the first process to start can take every row alone.
          usleep(300);
        }
      }
    }
    if (!ui.Caixas().empty()) codigo = 3;
  } catch (...) {
    codigo = 2;
  }
  close(escrita);
  _exit(codigo);
}

class FilaConcorrente : public ::testing::TestWithParam<Motor> {};

TEST_P(FilaConcorrente, EveryRowIsClaimedExactlyOnce) {
  BancoAberto banco(GetParam());
  banco.conexao->IniciaTransacao();
  for (int32_t nsu = 1; nsu <= kLinhas; ++nsu) ASSERT_TRUE(banco.Inclui(nsu, "10.0.0.5")) << nsu;
  banco.conexao->ConfirmaTransacao();

  auto escritos = teste::CorridaDeProcessos<int32_t>(
      kProcessos, [&](int i, int escrita, int largada) { Host(banco, i, escrita, largada); });

  std::map<int32_t, std::vector<int>> donos;   // NSU -> processes that claimed it
  for (size_t i = 0; i < escritos.size(); ++i)
    for (int32_t nsu : escritos[i]) donos[nsu].push_back(static_cast<int>(i));

  ASSERT_EQ(donos.size(), static_cast<size_t>(kLinhas));
  std::set<int> tomadores;
  for (int32_t nsu = 1; nsu <= kLinhas; ++nsu) {
    ASSERT_EQ(donos[nsu].size(), 1u) << "NSU " << nsu << " tomado " << donos[nsu].size() << " vezes";
    tomadores.insert(donos[nsu].front());
  }
  EXPECT_GT(tomadores.size(), 1u) << "sem disputa: um processo tomou tudo";

  // the table agrees: every row stamped, by the process that reported it
  Recordset rs = banco.conexao->ConexaoCompartilhada()->Consultar(
      "SELECT NSU, [Versao Host] FROM SolicitacaoFuncaoNFe WHERE [Hora da Analise] IS NOT NULL ORDER BY NSU");
  ASSERT_EQ(rs.RecordCount(), kLinhas);
  while (!rs.Eof()) {
    int32_t nsu = CLng(rs.Value("NSU"));
    EXPECT_EQ(rs.Value("Versao Host").Texto(), "host" + std::to_string(donos[nsu].front())) << nsu;
    rs.MoveNext();
  }
}

INSTANTIATE_TEST_SUITE_P(Motores, FilaConcorrente, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return teste::NomeMotor(info.param); });

}  // namespace
}  // namespace velant::data
