#include "data/documentos_nfe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apoio_dados.h"
#include "corrida_processos.h"
#include "data/conexao_driver.h"

namespace velant::data {
namespace {

using teste::Motor;

// What a signed document or a batch may carry that a statement text must not
// bend: quotes, a bracketed name (the PostgreSQL form rewrites [names] outside
// literals), backslashes, accents, line ends.
const std::string kAssinado = "<NFe><infAdic>D'ÁVILA & [Numero da NFe] C:\\nfe\\x \"y\"\r\nção</infAdic></NFe>";
const std::string kLote = "<enviNFe><idLote>000000000042</idLote>" + kAssinado + "</enviNFe>";

class DocumentosNoBanco : public ::testing::TestWithParam<Motor> {
 protected:
  teste::BancoAberto banco{GetParam()};
  CConexaoNfe& c = *banco.conexao;
  const NotaDocumento nota{1, "1", "35160111222333000181550010000001231000001230"};

  std::string Le() {
    auto d = LeDocumentos(c, nota);
    return d ? d->assinado + "|" + d->numeroLote + "|" + d->lote : "(nada)";
  }
  // Read through the other connection: only what was committed shows there.
  std::string Confirmado(const std::string& sql) {
    Recordset rs = c.ConexaoCompartilhada()->Consultar(sql);
    return rs.Eof() ? "(nada)" : rs.Value(0).Texto();
  }
};

TEST_P(DocumentosNoBanco, DocumentoELoteVoltamByteAByteEOLoteEnviadoFicaQuandoONovoAssinadoChega) {
  EXPECT_EQ(Le(), "(nada)");
  EXPECT_EQ(c.ExecutaSql(ComandoGravaLote(nota, "000000000042", kLote)), 0);   // no batch without its document
  ASSERT_EQ(c.ExecutaSql(ComandoGravaAssinado(nota, 123, kAssinado)), 1);
  EXPECT_EQ(Le(), kAssinado + "||");
  ASSERT_EQ(c.ExecutaSql(ComandoGravaLote(nota, "000000000042", kLote)), 1);
  EXPECT_EQ(Le(), kAssinado + "|000000000042|" + kLote);
  // Signed again under the same key: the batch that went out may be the one
  // the authority holds, so it stays until the next batch replaces it.
  ASSERT_EQ(c.ExecutaSql(ComandoGravaAssinado(nota, 123, kAssinado + "<!-- outro -->")), 1);
  EXPECT_EQ(Le(), kAssinado + "<!-- outro -->|000000000042|" + kLote);
  NotaDocumento outraChave = nota;   // each key is a row of its own
  outraChave.chave.back() = '9';
  EXPECT_FALSE(LeDocumentos(c, outraChave).has_value());
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

TEST_P(DocumentosNoBanco, TransacaoConfirmaTudoOuNada) {
  const std::string passo1 = "UPDATE MovimentoNFe SET [Etapa Concluida] = 1 WHERE Numero = 123";
  const std::string nenhuma = "UPDATE MovimentoNFe SET [Etapa Concluida] = 2 WHERE Numero = 999";
  const std::string documento = ComandoGravaAssinado(nota, 123, kAssinado);
  const struct { const char* nome; std::vector<std::string> comandos; bool feito; size_t caixas; } casos[] = {
      {"tudo feito", {passo1, documento}, true, 0},
      {"o segundo não muda linha", {passo1, nenhuma}, false, 0},
      {"o segundo falha no banco", {passo1, "INSERT INTO TabelaQueNaoExiste (a) VALUES (1)"}, false, 1},
      {"o primeiro não muda linha", {nenhuma, documento}, false, 0},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nome);
    c.ExecutaSql("DELETE FROM MovimentoNFe");
    c.ExecutaSql("DELETE FROM DocumentoNFe");
    ASSERT_EQ(c.ExecutaSql("INSERT INTO MovimentoNFe (Empresa, Serie, Numero, [Numero da NFe], [Etapa Concluida]) "
                           "VALUES (1, '1', 123, '" + nota.chave + "', 0)"), 1);
    const size_t caixasAntes = banco.raiz.ui.Caixas().size();
    EXPECT_EQ(ExecutaEmTransacao(c, caso.comandos), caso.feito);
    EXPECT_EQ(Confirmado("SELECT [Etapa Concluida] FROM MovimentoNFe"), caso.feito ? "1" : "0");
    EXPECT_EQ(Confirmado("SELECT COUNT(*) FROM DocumentoNFe"), caso.feito ? "1" : "0");
    EXPECT_EQ(banco.raiz.ui.Caixas().size() - caixasAntes, caso.caixas);
    // The connection is back to one statement, one commit.
    ASSERT_EQ(c.ExecutaSql("UPDATE MovimentoNFe SET [Numero do Lote] = 7 WHERE Numero = 123"), 1);
    EXPECT_EQ(Confirmado("SELECT [Numero do Lote] FROM MovimentoNFe"), "7");
  }
}

INSTANTIATE_TEST_SUITE_P(Motores, DocumentosNoBanco, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return teste::NomeMotor(info.param); });

// Hosts of a database made before the table, opening their connections at
// the same moment: each creates the table, and none of them fails for it.
TEST(DocumentosPostgreSql, HostsQueAbremJuntosCriamATabelaSemErro) {
  teste::BancoAberto banco(Motor::PostgreSql);
  banco.Executa("DROP TABLE DocumentoNFe");
  const ParametrosPostgreSql parametros = teste::ParametrosServidor(banco.pg->Nome());
  teste::CorridaDeProcessos<int>(6, [&](int, InterfaceHeadless&, auto& largada, auto&) {
    ConexaoPostgreSql conexao(parametros);
    largada();
    GarantirTabelaDocumentos(conexao, DialetoSql::PostgreSql);
    return 0;
  });
  EXPECT_TRUE(banco.conexao->Conexao()->Consultar("SELECT * FROM DocumentoNFe").Eof());
}

}  // namespace
}  // namespace velant::data
