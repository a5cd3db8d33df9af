// The one reader and the one writer of the system's files.
#include "base/arquivos.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "apoio/arquivos_teste.h"
#include "base/erro.h"

namespace velant {
namespace {

namespace fs = std::filesystem;

TEST(LerArquivoComum, RecusaOQueNaoEUmArquivoComumSemEsperar) {
  teste::PastaTemporaria pasta;
  const fs::path fifo = pasta.Caminho() / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  teste::GravarTudo(pasta.Caminho() / "grande", std::string(2048, 'x'));
  const struct { const char* nome; fs::path caminho; std::size_t limite; const char* motivo; } casos[] = {
      {"ausente", pasta.Caminho() / "nada", kTamanhoMaximoArquivo, "não encontrado"},
      {"pasta", pasta.Caminho(), kTamanhoMaximoArquivo, "não é um arquivo comum"},
      {"fifo sem escritor", fifo, kTamanhoMaximoArquivo, "não é um arquivo comum"},
      {"dispositivo sem fim", "/dev/zero", kTamanhoMaximoArquivo, "não é um arquivo comum"},
      {"acima do limite", pasta.Caminho() / "grande", 1024, "maior que 1024 bytes"},
  };
  for (const auto& c : casos) {
    std::string motivo;
    EXPECT_FALSE(LerArquivoComum(c.caminho, &motivo, c.limite)) << c.nome;
    EXPECT_EQ(motivo, c.motivo) << c.nome;
  }
  auto lido = LerArquivoComum(pasta.Caminho() / "grande", nullptr, 2048);
  ASSERT_TRUE(lido);
  EXPECT_EQ(*lido, std::string(2048, 'x'));
}

// The database and its companions are opened by their connection alone:
// no name, link or second name of them is ever read.
TEST(LerArquivoComum, NuncaAbreUmArquivoProtegido) {
  teste::PastaTemporaria pasta;
  const fs::path banco = pasta.Caminho() / "dados.db";
  const fs::path wal = pasta.Caminho() / "dados.db-wal";
  teste::GravarTudo(banco, "SQLite format 3");
  teste::GravarTudo(pasta.Caminho() / "nota.xml", "<NFe/>");
  ProtegeArquivo(banco);
  ProtegeArquivo(wal);   // made later, protected from the moment it exists
  teste::GravarTudo(wal, "frames");
  fs::create_symlink(banco, pasta.Caminho() / "atalho.xml");
  fs::create_hard_link(wal, pasta.Caminho() / "copia.zip");
  for (const char* nome : {"dados.db", "dados.db-wal", "atalho.xml", "copia.zip"}) {
    std::string motivo;
    EXPECT_FALSE(LerArquivoComum(pasta.Caminho() / nome, &motivo)) << nome;
    EXPECT_EQ(motivo, "reservado ao banco de dados") << nome;
    EXPECT_TRUE(ArquivoProtegido(pasta.Caminho() / nome)) << nome;
  }
  EXPECT_FALSE(ArquivoProtegido(pasta.Caminho() / "nota.xml"));
  EXPECT_EQ(LerArquivoComum(pasta.Caminho() / "nota.xml"), std::optional<std::string>("<NFe/>"));
}

// Replaces the whole file keeping its permissions; a failure names the step;
// no temporary file is ever left behind.
TEST(GravaArquivo, SubstituiInteiroMantemPermissoesEFalhaNomeiaOPasso) {
  teste::PastaTemporaria pasta;
  const fs::path alvo = pasta.Caminho() / "nota.xml";
  GravaArquivo(alvo, "primeiro");
  ASSERT_EQ(chmod(alvo.c_str(), 0640), 0);
  GravaArquivo(alvo, "segundo, mais longo");
  EXPECT_EQ(teste::LerTudo(alvo), "segundo, mais longo");
  EXPECT_EQ(fs::status(alvo).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // A folder with something in it where the document should go: the rename
  // fails whoever runs the test (root included).
  const fs::path outro = pasta.Caminho() / "outra.xml";
  fs::create_directories(outro / "dentro");
  try {
    GravaArquivo(outro, "x");
    FAIL() << "não levantou";
  } catch (const ErroExecucao& e) {
    EXPECT_EQ(e.Numero(), static_cast<int>(CodigoErro::ErroDeEntradaSaida));
    EXPECT_NE(e.Descricao().find("Não foi possível gravar " + outro.string() + " (renomeação: "), std::string::npos)
        << e.Descricao();
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(pasta.Caminho()), fs::directory_iterator()), 2);
  EXPECT_THROW(GravaArquivo(pasta.Caminho() / "sem" / "pasta.xml", "x"), ErroExecucao);
}

}  // namespace
}  // namespace velant
