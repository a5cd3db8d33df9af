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
// (A root without the files at all: emissao_outro_host.sh.)
class RetomadaEmOutraRaiz : public Documentos, public ::testing::WithParamInterface<std::string> {};

TEST_P(RetomadaEmOutraRaiz, ComponenteLeOQueOBancoGuarda) {
  EnviaAteEtapaUm();
  const std::string assinado = Arquivo(kAssinado), lote = Arquivo(kLote);
  const bool refeitos = GetParam() == "ArquivosDiferentes";
  if (refeitos) {
    teste::GravarTudo(a.caminhos.Mapear(kAssinado), assinado.substr(0, assinado.size() / 2));
    teste::GravarTudo(a.caminhos.Mapear(kLote), "<enviNFe/>");
  }
  if (GetParam() == "SemDocumentosNoBanco") Executa("DELETE FROM DocumentoNFe");
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
  EXPECT_EQ(NoLog("        Arquivo refeito com o conteúdo do banco de dados: " + kAssinado), refeitos);
  EXPECT_EQ(NoLog("        Arquivo refeito com o conteúdo do banco de dados: " + kLote), refeitos);
}

INSTANTIATE_TEST_SUITE_P(Raiz, RetomadaEmOutraRaiz,
                         ::testing::Values("ArquivosDiferentes", "ArquivosIguais", "SemDocumentosNoBanco"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace velant
