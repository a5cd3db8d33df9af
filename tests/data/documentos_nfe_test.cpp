#include "data/documentos_nfe.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "apoio_dados.h"
#include "corrida_processos.h"
#include "base/regional.h"
#include "data/conexao_driver.h"
#include "data/conexao_nfe.h"

namespace velant::data {
namespace {

using teste::Motor;

// What a signed document or a batch may carry that a statement text must not
// bend: quotes, a bracketed name (the PostgreSQL form rewrites [names] outside
// literals), backslashes, accents, line ends.
const std::string kAssinado =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><NFe><infAdic>D'ÁVILA & FILHOS [Numero da NFe] C:\\nfe\\x "
    "\"y\"\r\nção</infAdic></NFe>";
const std::string kLote = "<enviNFe><idLote>000000000042</idLote>" + kAssinado.substr(38) + "</enviNFe>";

class DocumentosNoBanco : public ::testing::TestWithParam<Motor> {
 protected:
  teste::BancoAberto banco{GetParam()};
  CConexaoNfe& c = *banco.conexao;
  const NotaDocumento nota{1, "1", "35160111222333000181550010000001231000001230"};

  // Read through the other connection: only what was committed shows there.
  std::string Confirmado(const std::string& sql) {
    Recordset rs = c.ConexaoCompartilhada()->Consultar(sql);
    return rs.Eof() ? "(nada)" : rs.Value(0).Texto();
  }
};

TEST_P(DocumentosNoBanco, DocumentoELoteVoltamByteAByteEOLoteEnviadoFicaQuandoONovoAssinadoChega) {
  EXPECT_FALSE(LeDocumentos(c, nota).has_value());
  // A batch has nowhere to go without its signed document.
  EXPECT_EQ(c.ExecutaSql(ComandoGravaLote(nota, "000000000042", kLote)), 0);

  ASSERT_EQ(c.ExecutaSql(ComandoGravaAssinado(nota, 123, kAssinado)), 1);
  auto d = LeDocumentos(c, nota);
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->assinado, kAssinado);
  EXPECT_EQ(d->numeroLote, "");
  EXPECT_EQ(d->lote, "");

  ASSERT_EQ(c.ExecutaSql(ComandoGravaLote(nota, "000000000042", kLote)), 1);
  d = LeDocumentos(c, nota);
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->assinado, kAssinado);
  EXPECT_EQ(d->numeroLote, "000000000042");
  EXPECT_EQ(d->lote, kLote);

  // Signed again under the same key: the batch that went out may be the one
  // the authority holds, so it stays until the next batch replaces it.
  const std::string novo = kAssinado + "<!-- outro -->";
  ASSERT_EQ(c.ExecutaSql(ComandoGravaAssinado(nota, 123, novo)), 1);
  d = LeDocumentos(c, nota);
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->assinado, novo);
  EXPECT_EQ(d->numeroLote, "000000000042");
  EXPECT_EQ(d->lote, kLote);

  // Each key is a row of its own.
  NotaDocumento outraChave = nota;
  outraChave.chave.back() = '9';
  EXPECT_FALSE(LeDocumentos(c, outraChave).has_value());
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

TEST_P(DocumentosNoBanco, TransacaoConfirmaTudoOuNada) {
  const std::string movimento = "FROM MovimentoNFe WHERE Empresa = 1 AND Serie = '1' AND Numero = 123";
  const std::string passo1 = "UPDATE MovimentoNFe SET [Etapa Concluida] = 1 WHERE Numero = 123";
  const std::string documento = ComandoGravaAssinado(nota, 123, kAssinado);
  const struct {
    const char* nome;
    std::vector<std::string> comandos;
    bool feito;
    const char* etapa;
    const char* documentos;
    size_t caixas;
  } casos[] = {
      {"tudo feito", {passo1, documento}, true, "1", "1", 0},
      {"o segundo não muda linha", {passo1, "UPDATE MovimentoNFe SET [Etapa Concluida] = 2 WHERE Numero = 999"},
       false, "0", "0", 0},
      {"o segundo falha no banco", {passo1, "INSERT INTO TabelaQueNaoExiste (a) VALUES (1)"}, false, "0", "0", 1},
      {"o primeiro não muda linha", {"UPDATE MovimentoNFe SET [Etapa Concluida] = 1 WHERE Numero = 999", documento},
       false, "0", "0", 0},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nome);
    c.ExecutaSql("DELETE FROM MovimentoNFe");
    c.ExecutaSql("DELETE FROM DocumentoNFe");
    ASSERT_EQ(c.ExecutaSql("INSERT INTO MovimentoNFe (Empresa, Serie, Numero, [Numero da NFe], [Etapa Concluida]) "
                           "VALUES (1, '1', 123, '" + nota.chave + "', 0)"),
              1);
    const size_t caixasAntes = banco.raiz.ui.Caixas().size();

    EXPECT_EQ(ExecutaEmTransacao(c, caso.comandos), caso.feito);
    EXPECT_EQ(Confirmado("SELECT [Etapa Concluida] " + movimento), caso.etapa);
    EXPECT_EQ(Confirmado("SELECT COUNT(*) FROM DocumentoNFe"), caso.documentos);
    EXPECT_EQ(banco.raiz.ui.Caixas().size() - caixasAntes, caso.caixas);
    // The connection is back to one statement, one commit.
    ASSERT_EQ(c.ExecutaSql("UPDATE MovimentoNFe SET [Numero do Lote] = 7 WHERE Numero = 123"), 1);
    EXPECT_EQ(Confirmado("SELECT [Numero do Lote] " + movimento), "7");
  }
}

TEST_P(DocumentosNoBanco, BancoDeVersaoAnteriorGanhaATabelaAoAbrir) {
  c.Conexao()->Executar("DROP TABLE DocumentoNFe");
  banco.conexao.reset();
  banco.conexao = banco.raiz.Conecta();
  ASSERT_TRUE(banco.conexao->ConexaoAtiva()) << banco.conexao->ErroAbertura();
  EXPECT_EQ(banco.conexao->ExecutaSql(ComandoGravaAssinado(nota, 123, kAssinado)), 1);
  EXPECT_EQ(LeDocumentos(*banco.conexao, nota)->assinado, kAssinado);
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

// Hosts of a database made before the table, opening their connections at
// the same moment: each creates the table, and none of them fails for it.
TEST(DocumentosPostgreSql, HostsQueAbremJuntosCriamATabelaSemErro) {
  teste::BancoAberto banco(Motor::PostgreSql);
  banco.conexao->Conexao()->Executar("DROP TABLE DocumentoNFe");
  const ParametrosPostgreSql parametros = teste::ParametrosServidor(banco.pg->Nome());
  auto escritos = teste::CorridaDeProcessos<int>(6, [&](int, int escrita, int largada) {
    int criada = 0;
    try {
      ConexaoPostgreSql conexao(parametros);
      char c;
      if (read(largada, &c, 1) < 0) _exit(5);
      GarantirTabelaDocumentos(conexao, DialetoSql::PostgreSql);
      criada = 1;
    } catch (...) {
    }
    if (write(escrita, &criada, sizeof criada) != static_cast<ssize_t>(sizeof criada)) _exit(6);
    close(escrita);
    _exit(0);
  });
  for (const auto& e : escritos) EXPECT_EQ(e, std::vector<int>{1});
  EXPECT_TRUE(banco.conexao->Conexao()->Consultar("SELECT * FROM DocumentoNFe").Eof());
}

INSTANTIATE_TEST_SUITE_P(Motores, DocumentosNoBanco, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return teste::NomeMotor(info.param); });

}  // namespace
}  // namespace velant::data
