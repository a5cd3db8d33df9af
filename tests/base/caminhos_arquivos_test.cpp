// Request paths mapped under the root, and the one reader and the one writer
// of the system's files.
#include "base/caminhos.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "apoio/arquivos_teste.h"
#include "base/arquivos.h"
#include "base/erro.h"
#include "base/tabela_tsv_teste.h"

namespace fs = std::filesystem;

namespace velant {
namespace {

using teste::LerTabelaTsv;
using teste::PastaTemporaria;

// Reading and writing land on the same path, with the folders made for writing.
TEST(MapeadorCaminhosTest, MapsUnderTheRoot) {
  for (const auto& c : LerTabelaTsv("base/caminhos.tsv", false)) {
    SCOPED_TRACE("caminhos.tsv:" + std::to_string(c.numero));
    PastaTemporaria raiz;
    std::istringstream existentes(c[0]);
    for (std::string pasta; std::getline(existentes, pasta, ',');) fs::create_directories(raiz.Caminho() / pasta);
    const MapeadorCaminhos mapa(raiz.Caminho());
    const auto relativo = [&](const fs::path& p) { return p.lexically_relative(raiz.Caminho()).generic_string(); };
    EXPECT_EQ(relativo(mapa.Mapear(c[1])) + "|" + relativo(mapa.MapearParaGravar(c[1])), c[2] + "|" + c[2]);
  }
}

// Writing creates the missing folders and reuses the existing spelling; a
// folder found once is taken again while it exists; renamed or removed, it is
// looked for (or created) anew.
TEST(MapeadorCaminhosTest, WritingCreatesFoldersAndFollowsRenamesAndRemovals) {
  PastaTemporaria raiz;
  const fs::path r = raiz.Caminho();
  fs::create_directories(r / "C/Dunmor/nfe/Arquivos");
  MapeadorCaminhos m(r);
  fs::path arquivo = m.MapearParaGravar("c:\\DUNMOR\\NFE\\arquivos\\Lote\\NFe1.xml");
  EXPECT_EQ(arquivo, r / "C/Dunmor/nfe/Arquivos/Lote/NFe1.xml");
  EXPECT_TRUE(fs::is_directory(r / "C/Dunmor/nfe/Arquivos/Lote") && !fs::exists(arquivo));   // only the folders
  EXPECT_EQ(std::distance(fs::directory_iterator(r / "C/Dunmor/nfe"), fs::directory_iterator()), 1);   // no second spelling
  teste::GravarTudo(arquivo, "x");
  EXPECT_TRUE(m.Existe("C:\\Dunmor\\nfe\\ARQUIVOS\\lote\\nfe1.XML"));
  EXPECT_FALSE(m.Existe("C:\\Dunmor\\nfe\\arquivos\\lote\\NFe2.xml"));

  fs::create_directories(r / "C/dunmor2/NFE");
  const std::string nota = "C:\\Dunmor2\\nfe\\NFe1.xml";
  EXPECT_EQ(m.MapearParaGravar(nota), r / "C/dunmor2/NFE/NFe1.xml");
  fs::rename(r / "C/dunmor2/NFE", r / "C/dunmor2/Nfe");
  EXPECT_EQ(m.Mapear(nota), r / "C/dunmor2/Nfe/NFe1.xml");
  fs::remove_all(r / "C/dunmor2");
  EXPECT_EQ(m.MapearParaGravar(nota), r / "C/Dunmor2/nfe/NFe1.xml");
  EXPECT_TRUE(fs::is_directory(r / "C/Dunmor2/nfe"));
  EXPECT_EQ(MapeadorCaminhos(m).Mapear(nota), r / "C/Dunmor2/nfe/NFe1.xml");   // a copy shares what it found
}

TEST(MapeadorCaminhosTest, DefaultRootIsTheOptionThenTheEnvironmentThenTheDataHome) {
  const struct {
    std::string opcao;
    std::optional<std::string> velantRaiz, xdgDataHome;
    std::string esperada;
  } casos[] = {
      {"/opcao", "/env", "/dados", "/opcao"},
      {"", "/env", "/dados", "/env"},
      {"", std::nullopt, "/dados", "/dados/velantnfe"},
      {"", "", "/dados", "/dados/velantnfe"},
      {"", std::nullopt, std::nullopt, "/casa/.local/share/velantnfe"},
      {"", std::nullopt, "relativa", "/casa/.local/share/velantnfe"},   // a relative data home is ignored
  };
  for (const auto& c : casos) {
    teste::VariavelAmbiente raiz("VELANT_RAIZ", c.velantRaiz);
    teste::VariavelAmbiente dados("XDG_DATA_HOME", c.xdgDataHome);
    teste::VariavelAmbiente home("HOME", "/casa");
    EXPECT_EQ(MapeadorCaminhos::RaizPadrao(c.opcao).string(), c.esperada);
  }
  const MapeadorCaminhos relativa("demo-raiz/");   // made absolute
  EXPECT_EQ(relativa.Mapear("C:\\x"), fs::current_path() / "demo-raiz" / "C" / "x");
}

TEST(LerArquivoComum, RecusaOQueNaoEUmArquivoComumSemEsperar) {
  PastaTemporaria pasta;
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
  PastaTemporaria pasta;
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
  PastaTemporaria pasta;
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
