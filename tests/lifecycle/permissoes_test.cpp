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
class MascaraRestrita {
 protected:
  MascaraRestrita() : anterior_(::umask(077)) {}
  ~MascaraRestrita() { ::umask(anterior_); }

 private:
  mode_t anterior_;
};

class ArquivosDoHost : private MascaraRestrita, public teste::AmbienteEmissao {};

TEST_F(ArquivosDoHost, SeguemAMascaraDoProcesso) {
  Prepara();
  ASSERT_TRUE(ProcessaNFeAzure(a.ctx)) << a.ArquivoLog();
  const std::string chave = teste::ChaveNFe();
  const std::string config = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\";
  fs::path lote;
  for (const auto& e : fs::directory_iterator(a.caminhos.Mapear("C:\\Dunmor\\nfe\\lotes"))) lote = e.path();

  const struct {
    const char* nome;
    fs::path local;
  } arquivos[] = {
      {"documento gerado", a.caminhos.Mapear("C:\\Dunmor\\nfe\\arquivos\\NFe" + chave + ".xml")},
      {"documento assinado", a.caminhos.Mapear("C:\\Dunmor\\nfe\\arquivos\\assinado\\NFe" + chave + "-assinado.xml")},
      {"lote", lote},
      {"log do dia", a.caminhos.Mapear(RegistroEventos::NomeArquivoLog(a.relogio.agora))},
      {"banco de dados", a.caminhos.Mapear(config + "dvk_data.db")},
      {"registro de transações do banco", a.caminhos.Mapear(config + "dvk_data.db-wal")},
      {"índice compartilhado do banco", a.caminhos.Mapear(config + "dvk_data.db-shm")},
  };
  for (const auto& arquivo : arquivos) {
    struct stat st {};
    ASSERT_EQ(::stat(arquivo.local.c_str(), &st), 0) << arquivo.nome << ": " << arquivo.local;
    EXPECT_EQ(st.st_mode & 0777, 0600u) << arquivo.nome << ": " << std::oct << (st.st_mode & 0777);
  }
}

}  // namespace
}  // namespace velant
