// The files the Host writes are created as any program's are: the process
// umask decides who may read them. An installation that keeps its invoices,
// database and log to the Host's user runs it under umask 077.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "apoio_emissao.h"
#include "lifecycle/processa_nfe.h"

namespace velant {
namespace {

namespace fs = std::filesystem;

// Set before anything of the Host exists; put back afterwards.
struct MascaraRestrita {
  mode_t anterior = ::umask(077);
  ~MascaraRestrita() { ::umask(anterior); }
};

class ArquivosDoHost : private MascaraRestrita, public teste::AmbienteEmissao {};

TEST_F(ArquivosDoHost, SeguemAMascaraDoProcesso) {
  Prepara();
  ASSERT_TRUE(ProcessaNFeAzure(a.ctx)) << a.ArquivoLog();
  const std::string chave = teste::ChaveNFe(), banco = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\dvk_data.db";
  for (const auto& windows : {"C:\\Dunmor\\nfe\\arquivos\\NFe" + chave + ".xml",
                              "C:\\Dunmor\\nfe\\arquivos\\assinado\\NFe" + chave + "-assinado.xml",
                              std::string("C:\\Dunmor\\nfe\\lotes\\000000000001-env-lot.xml"),
                              RegistroEventos::NomeArquivoLog(a.relogio.agora), banco, banco + "-wal", banco + "-shm"}) {
    struct stat st {};
    ASSERT_EQ(::stat(a.caminhos.Mapear(windows).c_str(), &st), 0) << windows;
    EXPECT_EQ(st.st_mode & 0777, 0600u) << windows << ": " << std::oct << (st.st_mode & 0777);
  }
}

}  // namespace
}  // namespace velant
