// The signed document and the batch are stored with the invoice's row, and
// a resumed invoice is finished from what the database holds.
#include "lifecycle/documentos_banco.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "data/documentos_nfe.h"
#include "lifecycle/apoio_emissao.h"
#include "lifecycle/lote_nfe.h"
#include "lifecycle/processa_nfe.h"

namespace velant {
namespace {

const std::string kChave = teste::ChaveNFe();
const std::string kAssinado = "C:\\Dunmor\\nfe\\arquivos\\assinado\\NFe" + kChave + "-assinado.xml";
const std::string kLote = "C:\\Dunmor\\nfe\\lotes\\000000000001-env-lot.xml";

class Documentos : public teste::AmbienteEmissao {
 protected:
  // Generated and sent, the receipt stored: step 1, as a Host leaves an
  // invoice it dies with right after the send.
  void EnviaAteEtapaUm() {
    Prepara();
    ASSERT_TRUE(EmiteNFE(a.ctx, 1, "")) << a.ArquivoLog();
    ASSERT_TRUE(GerarLoteNFE(a.ctx)) << a.ArquivoLog();
    ASSERT_EQ(Movimento().etapa, 1);
  }
  std::string Arquivo(const std::string& caminho) { return teste::LerTudo(a.caminhos.Mapear(caminho)); }
};

TEST_F(Documentos, LoteComAEtapaUm) {
  EnviaAteEtapaUm();
  auto d = data::LeDocumentos(*conexao, {1, "1", kChave});
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->assinado, Arquivo(kAssinado));
  EXPECT_EQ(d->numeroLote, "000000000001");
  EXPECT_EQ(d->lote, Arquivo(kLote));
}

// Step 1 and its batch go in together: when the batch cannot be stored (no
// signed document under the key), the row stays at step 0 and nothing
// reaches the authority.
TEST_F(Documentos, LoteQueNaoChegaAoBancoNaoEEnviado) {
  Prepara();
  ASSERT_TRUE(EmiteNFE(a.ctx, 1, "")) << a.ArquivoLog();
  Executa("DELETE FROM DocumentoNFe");
  EXPECT_FALSE(GerarLoteNFE(a.ctx));
  EXPECT_EQ(Movimento().etapa, 0);
  EXPECT_EQ(Movimento().lote, 0);
  EXPECT_TRUE(autoridade.enviadas.empty());
  EXPECT_TRUE(NoLog("      ** Erro ao atualizar MovimentoNFe: Etapa Concluída 1")) << a.ArquivoLog();
}

// Another Host resumes the invoice: whatever its root holds, the component
// builds the distribution file from the bytes the database holds; a row of
// an earlier version, with nothing in the database, uses the root's files.
enum class Raiz { SemArquivos, ArquivosDiferentes, ArquivosIguais, SemDocumentosNoBanco };

class RetomadaEmOutraRaiz : public Documentos, public ::testing::WithParamInterface<Raiz> {};

TEST_P(RetomadaEmOutraRaiz, ComponenteLeOQueOBancoGuarda) {
  EnviaAteEtapaUm();
  const std::string assinado = Arquivo(kAssinado), lote = Arquivo(kLote);
  if (GetParam() == Raiz::SemArquivos) {
    std::filesystem::remove(a.caminhos.Mapear(kAssinado));
    std::filesystem::remove(a.caminhos.Mapear(kLote));
  } else if (GetParam() == Raiz::ArquivosDiferentes) {
    teste::GravarTudo(a.caminhos.Mapear(kAssinado), assinado.substr(0, assinado.size() / 2));
    teste::GravarTudo(a.caminhos.Mapear(kLote), "<enviNFe/>");
  } else if (GetParam() == Raiz::SemDocumentosNoBanco) {
    Executa("DELETE FROM DocumentoNFe");
  }
  std::string assinadoVisto, loteVisto;
  autoridade.distribuicao = [&](const std::string&) {
    assinadoVisto = Arquivo(kAssinado);
    loteVisto = Arquivo(kLote);
  };
  Prepara();
  ASSERT_TRUE(ProcessaNFeAzure(a.ctx)) << a.ArquivoLog();
  EXPECT_EQ(Movimento().etapa, 3);
  EXPECT_EQ(assinadoVisto, assinado);
  EXPECT_EQ(loteVisto, lote);
  EXPECT_EQ(autoridade.enviadas.size(), 1u);
  const bool refeitos = GetParam() == Raiz::SemArquivos || GetParam() == Raiz::ArquivosDiferentes;
  EXPECT_EQ(NoLog("        Arquivo refeito com o conteúdo do banco de dados: " + kAssinado), refeitos);
  EXPECT_EQ(NoLog("        Arquivo refeito com o conteúdo do banco de dados: " + kLote), refeitos);
}

INSTANTIATE_TEST_SUITE_P(Casos, RetomadaEmOutraRaiz,
                         ::testing::Values(Raiz::SemArquivos, Raiz::ArquivosDiferentes, Raiz::ArquivosIguais,
                                           Raiz::SemDocumentosNoBanco));

// An invoice begun in one layout and resumed after the switch to the other
// is generated again in the layout of the document it holds, under its key.
class LeiauteNaRetomada : public Documentos, public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(LeiauteNaRetomada, MantemOLeiauteDoDocumento) {
  const auto [antes, depois] = GetParam();
  Prepara();
  a.atual.LeiauteNFe = antes;
  ASSERT_TRUE(EmiteNFE(a.ctx, 1, "")) << a.ArquivoLog();
  const std::string chave = Movimento().chave;
  Prepara();
  a.atual.LeiauteNFe = depois;   // the registry or the command now ask for the other layout
  ASSERT_TRUE(ProcessaNFeAzure(a.ctx)) << a.ArquivoLog();
  EXPECT_EQ(a.atual.LeiauteNFe, antes);
  EXPECT_EQ(Movimento().chave, chave);
  EXPECT_NE(Arquivo("C:\\Dunmor\\nfe\\arquivos\\assinado\\NFe" + chave + "-assinado.xml")
                .find(std::string("<infNFe versao=\"") + antes + "\""),
            std::string::npos);
  EXPECT_EQ(autoridade.enviadas, std::vector<std::string>{chave});
}

INSTANTIATE_TEST_SUITE_P(Leiautes, LeiauteNaRetomada, ::testing::Values(std::pair{"3.10", "4.00"}, std::pair{"4.00", "3.10"}));

}  // namespace
}  // namespace velant
