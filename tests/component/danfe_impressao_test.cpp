// Printing the DANFE against a real CUPS scheduler that the test starts on
// a socket of its own temporary folder, with queues whose device is a file:
// the job must arrive there as the DANFE, on the registry's printer or the
// default one; refusals name the printer and CUPS's reason, and a silent
// scheduler costs a bounded wait.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <thread>

#include "apoio/processo_filho.h"
#include "apoio/servidor_smtp.h"
#include "base/erro.h"
#include "component/danfe/impressora_cups.h"
#include "danfe_apoio.h"

namespace velant {
namespace {

using Clock = std::chrono::steady_clock;

// cupsd -f with its own configuration, folders and socket under `pasta`.
class ServidorCups {
 public:
  explicit ServidorCups(const std::filesystem::path& pasta) : pasta_(pasta) {
    // The filters run as the scheduler's own user, who must reach the spool.
    std::filesystem::permissions(pasta_.parent_path(), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    for (const char* sub : {"spool", "tmp", "cache", "state", "log", "saida"})
      std::filesystem::create_directories(pasta_ / sub);
    teste::GravarTudo(pasta_ / "cupsd.conf",
                      "Listen " + Socket() + "\nLogLevel info\nWebInterface No\nBrowsing No\nDefaultAuthType None\n"
                      "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                      "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
    const std::string p = pasta_.string();
    teste::GravarTudo(pasta_ / "cups-files.conf", "ServerRoot " + p + "\nRequestRoot " + p + "/spool\nTempDir " + p +
                      "/tmp\nCacheDir " + p + "/cache\nStateDir " + p + "/state\nAccessLog " + p + "/log/access_log\n"
                      "ErrorLog " + p + "/log/error_log\nPageLog " + p + "/log/page_log\nFileDevice Yes\n");
    pid_ = teste::IniciaProcesso({"/usr/sbin/cupsd", "-f", "-c", p + "/cupsd.conf", "-s", p + "/cups-files.conf"},
                                 pasta_ / "cupsd.out");
    for (auto limite = Clock::now() + std::chrono::seconds(20); !Atende();) {
      if (Clock::now() > limite) throw std::runtime_error("o cupsd não abriu o socket: " + Log());
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  ~ServidorCups() {
    int status = 0;
    teste::ParaProcesso(pid_, std::chrono::seconds(10), status);
  }

  std::string Socket() const { return (pasta_ / "cups.sock").string(); }
  bool Atende() const {
    sockaddr_un endereco{};
    endereco.sun_family = AF_UNIX;
    Socket().copy(endereco.sun_path, sizeof endereco.sun_path - 1);
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) == 0;
    close(fd);
    return ok;
  }
  std::filesystem::path Saida(const std::string& fila) const { return pasta_ / "saida" / (fila + ".prn"); }
  std::string Log() const { return teste::LerTudo(pasta_ / "log" / "error_log"); }

  // A CUPS client command (its first word) against this scheduler; its exit status.
  int Lp(const std::string& comando, std::string* saida = nullptr) const {
    const size_t espaco = comando.find(' ');
    return teste::Executa(comando.substr(0, espaco) + " -h " + teste::Citado(Socket()) + comando.substr(espaco), saida);
  }
  void CriaFila(const std::string& fila) {
    std::string saida;
    if (Lp("lpadmin -p " + fila + " -E -v file://" + Saida(fila).string() + " -P " +
               teste::Citado(std::filesystem::path(VELANT_FONTE) / "tests/apoio/fila-passagem.ppd"),
           &saida) != 0)
      throw std::runtime_error("lpadmin falhou: " + saida);
  }
  // Waits (bounded) until the job is completed.
  bool EsperaConcluido(const std::string& fila, int trabalho) const {
    const std::string id = fila + "-" + std::to_string(trabalho) + " ";
    for (auto limite = Clock::now() + std::chrono::seconds(30); Clock::now() < limite;) {
      std::string saida;
      Lp("lpstat -W completed -o " + fila, &saida);
      if (saida.find(id) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

 private:
  std::filesystem::path pasta_;
  pid_t pid_ = -1;
};

class ImpressaoDanfe : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    a_ = std::make_unique<teste::AmbienteDanfe>();
    distribuicao_ = teste::LerTudo(teste::DistribuicaoAutorizada(a_->host, {.numero = 601}, 1, &chave_));
  }
  static void TearDownTestSuite() { a_.reset(); }

  // ImprimeDanfe of the invoice by a Host whose registry names the printer, with this scheduler.
  std::string Imprime(const std::string& impressora, const std::string& servidor) {
    teste::VariavelAmbiente cups("CUPS_SERVER", servidor);
    teste::HostTeste host(a_->pasta.Caminho() / ("host" + std::to_string(++hosts_)), a_->sim.Servicos(),
                          {{"ImpressoraDanfe", impressora}});
    teste::GravarTudo(host.Local("C:\\Dunmor\\d.xml"), distribuicao_);
    return ServicoDocumentoFiscal(host.Ctx()).ImprimeDanfe("C:\\Dunmor\\d.xml", "", 3, 0);
  }

  static inline std::unique_ptr<teste::AmbienteDanfe> a_;
  static inline std::string distribuicao_, chave_;
  static inline int hosts_ = 0, servidores_ = 0;
  ServidorCups cups_{a_->pasta.Caminho() / ("cups" + std::to_string(++servidores_))};
};

// With no printer in the registry, the scheduler's default one (the
// registry's own printer is exemplos_integracao.sh's).
TEST_F(ImpressaoDanfe, TrabalhoChegaNaImpressoraPadrao) {
  cups_.CriaFila("DanfeBalcao");
  cups_.CriaFila("DanfeExpedicao");
  ASSERT_EQ(cups_.Lp("lpadmin -d DanfeExpedicao"), 0);
  auto temporarios = a_->pasta.Caminho() / "tmp";
  std::filesystem::create_directories(temporarios);
  teste::VariavelAmbiente tmp("TMPDIR", temporarios.string());
  std::string resposta = Imprime("", cups_.Socket());
  ASSERT_EQ(resposta.rfind("Trabalho de impressão ", 0), 0u) << resposta;
  ASSERT_TRUE(cups_.EsperaConcluido("DanfeExpedicao", std::stoi(resposta.substr(resposta.rfind(' ') + 1))))
      << cups_.Log();
  // What reached the device is the DANFE of this invoice.
  ASSERT_TRUE(std::filesystem::exists(cups_.Saida("DanfeExpedicao"))) << cups_.Log();
  EXPECT_FALSE(std::filesystem::exists(cups_.Saida("DanfeBalcao")));
  std::string texto = teste::TextoPdf(cups_.Saida("DanfeExpedicao"));
  for (const std::string& trecho : {std::string("DANFE"), chave_.substr(0, 4) + " " + chave_.substr(4, 4),
                                    std::string("Nº 000.000.601")})
    EXPECT_NE(texto.find(trecho), std::string::npos) << trecho << "\n" << texto;
  // The temporary PDF did not stay behind.
  EXPECT_TRUE(std::filesystem::is_empty(temporarios));
}

TEST_F(ImpressaoDanfe, RecusasNomeiamAImpressoraEOMotivo) {
  cups_.CriaFila("DanfeFechada");
  ASSERT_EQ(cups_.Lp("cupsreject -r manutencao DanfeFechada"), 0);
  const std::string parado = (a_->pasta.Caminho() / "nenhum.sock").string();
  struct Caso { std::string servidor, impressora; std::vector<std::string> trechos; } casos[] = {
      {cups_.Socket(), "NaoExiste", {"\"NaoExiste\"", "não encontrada"}},
               {cups_.Socket(), "DanfeFechada", {"\"DanfeFechada\"", "não está aceitando trabalhos"}},
               {parado, "DanfeBalcao", {"\"DanfeBalcao\"", "não foi possível conectar", parado}}};
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.impressora);
    const std::string erro = teste::ErroDoComponente([&] { Imprime(caso.impressora, caso.servidor); });
    for (const auto& t : caso.trechos) EXPECT_NE(erro.find(t), std::string::npos) << erro;
  }
  EXPECT_FALSE(std::filesystem::exists(cups_.Saida("DanfeFechada")));
}

// A scheduler that takes the connection and never answers.
TEST(ImpressoraCups, ServidorMudoEsperaLimitada) {
  teste::ServidorMudo mudo;
  teste::PastaTemporaria pasta;
  teste::GravarTudo(pasta.Caminho() / "mudo.pdf", "%PDF-1.4\n");
  ConfiguracaoImpressora cfg{"DanfeBalcao", "127.0.0.1:" + std::to_string(mudo.Porta()), std::chrono::seconds(1),
                             std::chrono::seconds(1)};
  auto inicio = Clock::now();
  EXPECT_THAT(teste::ErroDoComponente([&] { ImprimePdf(cfg, pasta.Caminho() / "mudo.pdf", "DANFE"); }),
              ::testing::HasSubstr("\"DanfeBalcao\""));
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - inicio).count(), 8.0);
}

}  // namespace
}  // namespace velant
