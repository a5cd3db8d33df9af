// Printing the DANFE against a real CUPS scheduler that the test starts on
// a socket of its own temporary folder, with queues whose device is a file:
// the job must arrive there as the DANFE, on the registry's printer or the
// default one; refusals name the printer and CUPS's reason, and a silent
// scheduler costs a bounded wait.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "base/erro.h"
#include "component/danfe/impressora_cups.h"
#include "danfe_apoio.h"

namespace velant {
namespace {

using Clock = std::chrono::steady_clock;

// cupsd -f with its own configuration, folders and socket under `pasta`;
// stopped (SIGTERM, then SIGKILL) when this object goes, and by the kernel
// should the test process die first.
class ServidorCups {
 public:
  explicit ServidorCups(const std::filesystem::path& pasta) : pasta_(pasta) {
    // The filters run as the scheduler's own user, who must reach the spool.
    std::filesystem::permissions(pasta_.parent_path(), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    for (const char* sub : {"spool", "tmp", "cache", "state", "log", "ppd", "saida"})
      std::filesystem::create_directories(pasta_ / sub);
    teste::GravarTudo(pasta_ / "cupsd.conf", "Listen " + Socket() +
                                                 "\nLogLevel info\nWebInterface No\nBrowsing No\n"
                                                 "DefaultAuthType None\n<Location />\n  Order allow,deny\n"
                                                 "  Allow all\n</Location>\n<Policy default>\n  <Limit All>\n"
                                                 "    Order deny,allow\n  </Limit>\n</Policy>\n");
    std::string p = pasta_.string();
    teste::GravarTudo(pasta_ / "cups-files.conf",
                      "ServerRoot " + p + "\nRequestRoot " + p + "/spool\nTempDir " + p + "/tmp\nCacheDir " + p +
                          "/cache\nStateDir " + p + "/state\nAccessLog " + p + "/log/access_log\nErrorLog " + p +
                          "/log/error_log\nPageLog " + p + "/log/page_log\nFileDevice Yes\n");
    std::filesystem::copy_file(std::filesystem::path(VELANT_FONTE) / "tests/apoio/fila-passagem.ppd", pasta_ / "fila.ppd");
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      std::string conf = (pasta_ / "cupsd.conf").string(), arquivos = (pasta_ / "cups-files.conf").string();
      execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", conf.c_str(), "-s", arquivos.c_str(), nullptr);
      _exit(127);
    }
    auto limite = Clock::now() + std::chrono::seconds(20);
    while (!Atende()) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        throw std::runtime_error("o cupsd terminou ao iniciar: " + Log());
      }
      if (Clock::now() > limite) throw std::runtime_error("o cupsd não abriu o socket: " + Log());
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  ~ServidorCups() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    auto limite = Clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (Clock::now() > limite) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ServidorCups(const ServidorCups&) = delete;
  ServidorCups& operator=(const ServidorCups&) = delete;

  std::string Socket() const { return (pasta_ / "cups.sock").string(); }

  // The scheduler takes connections on its socket.
  bool Atende() const {
    sockaddr_un endereco{};
    endereco.sun_family = AF_UNIX;
    std::string caminho = Socket();
    if (caminho.size() >= sizeof endereco.sun_path) throw std::runtime_error("caminho longo demais: " + caminho);
    caminho.copy(endereco.sun_path, caminho.size());
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) == 0;
    close(fd);
    return ok;
  }
  std::filesystem::path Saida(const std::string& fila) const { return pasta_ / "saida" / (fila + ".prn"); }
  std::string Log() const { return teste::LerTudo(pasta_ / "log" / "error_log"); }

  // A CUPS client command against this scheduler; its exit status.
  int Lp(const std::string& comando, std::string* saida = nullptr) const {
    std::string programa = comando.substr(0, comando.find(' '));
    std::string resto = comando.size() > programa.size() ? comando.substr(programa.size()) : "";
    return teste::Executa(programa + " -h " + teste::Citado(Socket()) + resto, saida);
  }

  void CriaFila(const std::string& fila) {
    std::string saida;
    int r = Lp("lpadmin -p " + fila + " -E -v file://" + Saida(fila).string() + " -P " +
                   teste::Citado(pasta_ / "fila.ppd"),
               &saida);
    if (r != 0) throw std::runtime_error("lpadmin falhou: " + saida);
  }

  // Waits (bounded) until the job is completed; its state line from lpstat.
  bool EsperaConcluido(const std::string& fila, int trabalho) const {
    auto limite = Clock::now() + std::chrono::seconds(30);
    std::string id = fila + "-" + std::to_string(trabalho) + " ";
    while (Clock::now() < limite) {
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
    pasta_ = new teste::PastaTemporaria();
    sim_ = new teste::ProcessoSimulador(pasta_->Caminho() / "simulador");
    teste::HostTeste host(pasta_->Caminho() / "autorizacao", sim_->Servicos(), teste::RegistroDanfe());
    distribuicao_ = new std::filesystem::path(teste::DistribuicaoAutorizada(host, {.numero = 601}, 1, &chave_));
  }
  static void TearDownTestSuite() {
    delete distribuicao_;
    delete sim_;
    delete pasta_;
  }

  ImpressaoDanfe() : cups_(pasta_->Caminho() / ("cups" + std::to_string(++servidores_))) {}

  // A Host whose registry names the printer, talking to this scheduler.
  teste::HostTeste& Host(const std::string& impressora) {
    host_ = std::make_unique<teste::HostTeste>(pasta_->Caminho() / ("host" + std::to_string(servidores_)),
                                               sim_->Servicos(),
                                               std::vector<std::pair<std::string, std::string>>{
                                                   {"ImpressoraDanfe", impressora}});
    return *host_;
  }

  static teste::PastaTemporaria* pasta_;
  static teste::ProcessoSimulador* sim_;
  static std::filesystem::path* distribuicao_;
  static std::string chave_;
  static int servidores_;
  ServidorCups cups_;
  std::unique_ptr<teste::HostTeste> host_;
};

teste::PastaTemporaria* ImpressaoDanfe::pasta_ = nullptr;
teste::ProcessoSimulador* ImpressaoDanfe::sim_ = nullptr;
std::filesystem::path* ImpressaoDanfe::distribuicao_ = nullptr;
std::string ImpressaoDanfe::chave_;
int ImpressaoDanfe::servidores_ = 0;

TEST_F(ImpressaoDanfe, TrabalhoChegaNaImpressoraDoRegistroOuNaPadrao) {
  cups_.CriaFila("DanfeBalcao");
  cups_.CriaFila("DanfeExpedicao");
  ASSERT_EQ(cups_.Lp("lpadmin -d DanfeExpedicao"), 0);
  struct Caso {
    const char* registro;
    const char* fila;
  };
  for (const Caso& caso : {Caso{"DanfeBalcao", "DanfeBalcao"}, Caso{"", "DanfeExpedicao"}}) {
    SCOPED_TRACE(std::string("ImpressoraDanfe = \"") + caso.registro + "\"");
    teste::VariavelAmbiente servidor("CUPS_SERVER", cups_.Socket());
    auto temporarios = pasta_->Caminho() / ("tmp-" + std::string(caso.fila));
    std::filesystem::create_directories(temporarios);
    teste::VariavelAmbiente tmp("TMPDIR", temporarios.string());
    auto& host = Host(caso.registro);
    teste::GravarTudo(host.Local("C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + chave_ + "-procNFe.xml"),
                      teste::LerTudo(*distribuicao_));

    ServicoDocumentoFiscal c(host.Ctx());
    std::string resposta =
        c.ImprimeDanfe("C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + chave_ + "-procNFe.xml", "", 3, 0);
    ASSERT_EQ(resposta.rfind("Trabalho de impressão ", 0), 0u) << resposta;
    int trabalho = std::stoi(resposta.substr(std::string("Trabalho de impressão ").size()));
    ASSERT_TRUE(cups_.EsperaConcluido(caso.fila, trabalho)) << cups_.Log();

    // What reached the device is the DANFE of this invoice.
    auto recebido = cups_.Saida(caso.fila);
    ASSERT_TRUE(std::filesystem::exists(recebido)) << cups_.Log();
    std::string texto = teste::TextoPdf(recebido);
    EXPECT_NE(texto.find("DANFE"), std::string::npos) << texto;
    EXPECT_NE(texto.find(chave_.substr(0, 4) + " " + chave_.substr(4, 4)), std::string::npos) << texto;
    EXPECT_NE(texto.find("Nº 000.000.601"), std::string::npos) << texto;
    // The temporary PDF did not stay behind.
    EXPECT_TRUE(std::filesystem::is_empty(temporarios));
    std::filesystem::remove(recebido);
  }
}

TEST_F(ImpressaoDanfe, RecusasNomeiamAImpressoraEOMotivo) {
  cups_.CriaFila("DanfeFechada");
  ASSERT_EQ(cups_.Lp("cupsreject -r manutencao DanfeFechada"), 0);
  struct Caso {
    const char* nome;
    std::string servidor;
    std::string impressora;
    std::vector<std::string> trechos;
  };
  const std::string parado = (pasta_->Caminho() / "nenhum.sock").string();
  for (const Caso& caso : {Caso{"fila inexistente", cups_.Socket(), "NaoExiste", {"\"NaoExiste\"", "não encontrada"}},
                           Caso{"fila recusando trabalhos", cups_.Socket(), "DanfeFechada",
                                {"\"DanfeFechada\"", "não está aceitando trabalhos"}},
                           Caso{"servidor parado", parado, "DanfeBalcao",
                                {"\"DanfeBalcao\"", "não foi possível conectar", parado}}}) {
    SCOPED_TRACE(caso.nome);
    teste::VariavelAmbiente servidor("CUPS_SERVER", caso.servidor);
    auto& host = Host(caso.impressora);
    teste::GravarTudo(host.Local("C:\\Dunmor\\d.xml"), teste::LerTudo(*distribuicao_));
    ServicoDocumentoFiscal c(host.Ctx());
    try {
      c.ImprimeDanfe("C:\\Dunmor\\d.xml", "", 3, 0);
      ADD_FAILURE() << "a impressão deveria falhar";
    } catch (const ErroExecucao& e) {
      EXPECT_EQ(e.Codigo(), CodigoErro::ErroComponente);
      for (const auto& t : caso.trechos) EXPECT_NE(e.Descricao().find(t), std::string::npos) << e.Descricao();
    }
  }
  EXPECT_FALSE(std::filesystem::exists(cups_.Saida("DanfeFechada")));
}

// A scheduler that takes the connection and never answers.
TEST_F(ImpressaoDanfe, ServidorMudoEsperaLimitada) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in endereco{};
  endereco.sin_family = AF_INET;
  endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco), 0);
  ASSERT_EQ(listen(fd, 4), 0);
  socklen_t tamanho = sizeof endereco;
  getsockname(fd, reinterpret_cast<sockaddr*>(&endereco), &tamanho);
  auto pdf = pasta_->Caminho() / "mudo.pdf";
  teste::GravarTudo(pdf, "%PDF-1.4\n");

  ConfiguracaoImpressora cfg;
  cfg.servidor = "127.0.0.1:" + std::to_string(ntohs(endereco.sin_port));
  cfg.impressora = "DanfeBalcao";
  cfg.tempoConexao = std::chrono::milliseconds(1000);
  cfg.tempoResposta = std::chrono::milliseconds(1000);
  auto inicio = Clock::now();
  try {
    ImprimePdf(cfg, pdf, "DANFE");
    ADD_FAILURE() << "a impressão deveria falhar";
  } catch (const ErroExecucao& e) {
    EXPECT_NE(e.Descricao().find("\"DanfeBalcao\""), std::string::npos) << e.Descricao();
  }
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - inicio).count(), 8.0);
  close(fd);
}

}  // namespace
}  // namespace velant
