// velantnfe-autoridade: the tax authority's NF-e services of layouts 4.00
// and 3.10 over HTTPS (TLS 1.2 or later) on loopback, demanding a client certificate, for tests and
// demonstrations. See simulador_autoridade.h for what it checks and answers
// and simulador_falhas.h for the faults it can show.
#include <httplib.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "component/xml/assinador_xml.h"
#include "component/autoridade/servicos_autorizacao.h"
#include "simulador/simulador_autoridade.h"
#include "component/xml/validador_esquema.h"

using namespace velant::autoridade;

namespace {

constexpr const char* kUso =
    "uso: velantnfe-autoridade --certificados DIR | --certificado servidor.pem --chave servidor.key --ac ac.pem\n"
    "         [--porta N (0: uma livre)] [--arquivo-porta ARQ] [--arquivo-servicos ARQ]\n"
    "         [--banco ARQ.sqlite] [--controle ARQ] [--ambiente 1|2] [--consultas-processamento N]\n"
    "         [--recusar] [--atraso SEGUNDOS] [--descartar] [--rejeitar CODIGO]\n"
    "         [--sempre-processando] [--paralisado 108|109] [--sem-regras]\n"
    "         [--leiaute-310] [--sincrono-recibo] [--ociosa SEGUNDOS]\n"
    "         [--assinatura ARQ.pfx [--senha-assinatura SENHA]]\n"
    "       velantnfe-autoridade chamadas --banco ARQ.sqlite\n";

constexpr const char* kAjuda =
    "\n"
    "Os serviços NF-e 4.00 da autoridade fiscal (status, autorização, retorno, consulta,\n"
    "eventos, inutilização) em HTTPS (TLS 1.2 ou mais novo) no 127.0.0.1, exigindo\n"
    "certificado de cliente, para testes e demonstrações; cada serviço no seu caminho\n"
    "(/ws/NFeAutorizacao4.asmx...), outro caminho recebe HTTP 404. Termina com SIGTERM\n"
    "ou SIGINT. \"chamadas\" lista as chamadas recebidas (caminho, serviço, HTTP, cStat).\n"
    "\n"
    "  --certificados DIR        DIR/servidor.pem, DIR/servidor.key e DIR/ac.pem (a AC que\n"
    "                            assina o servidor e aceita os clientes) e, quando existe,\n"
    "                            DIR/autoridade.pfx (senha 1234) para assinar as respostas\n"
    "  --assinatura ARQ.pfx      certificado com que assina protNFe, retEvento e retInutNFe\n"
    "                            (sem ele, as respostas vão sem assinatura)\n"
    "  --senha-assinatura SENHA  senha desse arquivo\n"
    "  --porta N                 porta; 0 (padrão) escolhe uma livre\n"
    "  --arquivo-porta ARQ       grava a porta escolhida\n"
    "  --arquivo-servicos ARQ    grava o arquivo de endereços que aponta todas as UFs para\n"
    "                            este servidor (valor \"ArquivoServicos\" do registro do Host)\n"
    "  --banco ARQ.sqlite        notas, lotes e protocolos (padrão velantnfe-autoridade.sqlite)\n"
    "  --ambiente 1|2            ambiente atendido (padrão 2, homologação)\n"
    "  --leiaute-310             atende também os serviços 3.10 (sem ela, respondem 239)\n"
    "  --consultas-processamento N  consultas do recibo respondidas 105 (em processamento)\n"
    "                            antes do resultado (padrão 1)\n"
    "  --controle ARQ            arquivo relido a cada pedido, uma falha por linha, que vale\n"
    "                            sobre as opções: recusar=1, atraso=2.5, descartar=1,\n"
    "                            rejeitar=539, processando=sempre, consultas_processamento=2,\n"
    "                            paralisado=108, paralisado_svc=109 (SVC-AN e SVC-RS, que\n"
    "                            só atendem com a UF paralisada), adulterar=protocolo|chave|\n"
    "                            assinatura, sincrono=recibo\n"
    "  Falhas desde o início:\n"
    "  --recusar                 recusa as conexões\n"
    "  --atraso SEGUNDOS         responde depois de SEGUNDOS\n"
    "  --descartar               processa e fecha a conexão sem responder\n"
    "  --rejeitar CODIGO         rejeita o próximo pedido com CODIGO\n"
    "  --sempre-processando      o lote nunca sai de \"em processamento\"\n"
    "  --paralisado 108|109      serviço da UF paralisado\n"
    "  --sincrono-recibo         o lote de uma NF-e síncrono recebe recibo (103), não o protocolo\n"
    "  --ociosa SEGUNDOS         fecha, sem aviso, a conexão mantida aberta que ficou esse tempo\n"
    "                            sem pedido (padrão 5)\n";

// "--porta abc" names the option and the value.
int Inteiro(const std::string& opcao, const std::string& texto) {
  try {
    size_t fim = 0;
    int n = std::stoi(texto, &fim);
    if (fim == texto.size()) return n;
  } catch (const std::exception&) {
  }
  throw std::invalid_argument("valor inválido para " + opcao + ": " + texto);
}

double Decimal(const std::string& opcao, const std::string& texto) {
  try {
    size_t fim = 0;
    double n = std::stod(texto, &fim);
    if (fim == texto.size() && n >= 0) return n;
  } catch (const std::exception&) {
  }
  throw std::invalid_argument("valor inválido para " + opcao + ": " + texto);
}

std::atomic<bool> gParar{false};
std::mutex gMutexParada;
std::condition_variable gParada;

void AoSinal(int) { gParar = true; }

// Waits, but gives up at once when the program is told to stop.
void Espera(double segundos) {
  std::unique_lock<std::mutex> trava(gMutexParada);
  gParada.wait_for(trava, std::chrono::milliseconds(static_cast<long>(segundos * 1000)), [] { return gParar.load(); });
}

struct Opcoes {
  int porta = 0;
  int ociosaSegundos = 5;   // a kept-alive connection idle this long is closed
  std::string arquivoPorta, arquivoServicos, certificado, chave, ac, assinatura, senhaAssinatura;
  ConfiguracaoSimulador simulador;
};

void GravaArquivo(const std::string& destino, const std::string& conteudo) {
  std::string temporario = destino + ".tmp";
  {
    std::ofstream saida(temporario, std::ios::trunc);
    saida << conteudo;
  }
  std::rename(temporario.c_str(), destino.c_str());
}

Opcoes LeOpcoes(int argc, char** argv) {
  Opcoes o;
  o.simulador.banco = "velantnfe-autoridade.sqlite";
  std::vector<std::string> a(argv + 1, argv + argc);
  for (size_t i = 0; i < a.size(); ++i) {
    auto valor = [&]() -> std::string {
      if (i + 1 >= a.size()) throw std::invalid_argument("opção " + a[i] + " sem valor");
      return a[++i];
    };
    const std::string& op = a[i];
    if (op == "--porta") o.porta = Inteiro(op, valor());
    else if (op == "--arquivo-porta") o.arquivoPorta = valor();
    else if (op == "--arquivo-servicos") o.arquivoServicos = valor();
    else if (op == "--certificado") o.certificado = valor();
    else if (op == "--chave") o.chave = valor();
    else if (op == "--ac") o.ac = valor();
    else if (op == "--certificados") {
      std::string d = valor();
      o.certificado = d + "/servidor.pem";
      o.chave = d + "/servidor.key";
      o.ac = d + "/ac.pem";
      if (std::ifstream(d + "/autoridade.pfx").good()) {
        o.assinatura = d + "/autoridade.pfx";
        o.senhaAssinatura = "1234";
      }
    } else if (op == "--assinatura") o.assinatura = valor();
    else if (op == "--senha-assinatura") o.senhaAssinatura = valor();
    else if (op == "--banco") o.simulador.banco = valor();
    else if (op == "--controle") o.simulador.arquivoControle = valor();
    else if (op == "--ambiente") o.simulador.ambiente = valor();
    else if (op == "--consultas-processamento") o.simulador.consultasEmProcessamento = Inteiro(op, valor());
    else if (op == "--recusar") o.simulador.falhas.recusarConexoes = true;
    else if (op == "--atraso") o.simulador.falhas.atrasoSegundos = Decimal(op, valor());
    else if (op == "--descartar") o.simulador.falhas.descartarResposta = true;
    else if (op == "--rejeitar") o.simulador.falhas.rejeitarProxima = valor();
    else if (op == "--sempre-processando") o.simulador.falhas.sempreEmProcessamento = true;
    else if (op == "--paralisado") o.simulador.falhas.paralisado = valor();
    else if (op == "--sem-regras") o.simulador.regrasNegocio = false;
    else if (op == "--leiaute-310") o.simulador.leiaute310 = true;
    else if (op == "--sincrono-recibo") o.simulador.falhas.reciboNoSincrono = true;
    else if (op == "--ociosa") o.ociosaSegundos = Inteiro(op, valor());
    else throw std::invalid_argument("opção desconhecida: " + op);
  }
  if (o.certificado.empty() || o.chave.empty() || o.ac.empty())
    throw std::invalid_argument("faltam os certificados do servidor");
  if (o.simulador.ambiente != "1" && o.simulador.ambiente != "2") throw std::invalid_argument("ambiente deve ser 1 ou 2");
  if (!o.assinatura.empty()) o.simulador.assinatura = velant::CarregarCertificadoA1(o.assinatura, o.senhaAssinatura);
  return o;
}

std::string AssuntoCliente(const SSL* ssl) {
  if (ssl == nullptr) return "";
  X509* cert = SSL_get1_peer_certificate(ssl);
  if (cert == nullptr) return "";
  char texto[512] = {0};
  X509_NAME_oneline(X509_get_subject_name(cert), texto, sizeof texto - 1);
  X509_free(cert);
  return texto;
}

// While connections are refused the port stays taken, so no one else gets it.
class PortaReservada {
 public:
  explicit PortaReservada(int porta) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    int sim = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &sim, sizeof sim);
    setsockopt(fd_, SOL_SOCKET, SO_REUSEPORT, &sim, sizeof sim);
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    endereco.sin_port = htons(static_cast<uint16_t>(porta));
    if (bind(fd_, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0) {
      close(fd_);
      throw std::runtime_error("não foi possível reservar a porta " + std::to_string(porta));
    }
    socklen_t tamanho = sizeof endereco;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&endereco), &tamanho);
    porta_ = ntohs(endereco.sin_port);
  }
  ~PortaReservada() { close(fd_); }
  int Porta() const { return porta_; }

 private:
  int fd_ = -1;
  int porta_ = 0;
};

class Servidor {
 public:
  Servidor(const Opcoes& o, SimuladorAutoridade& simulador, int porta)
      : https_(o.certificado.c_str(), o.chave.c_str(), o.ac.c_str()) {
    if (!https_.is_valid()) throw std::runtime_error("certificado ou chave do servidor inválidos");
    // The authorities accept nothing older, whatever the system's defaults.
    if (SSL_CTX_set_min_proto_version(https_.ssl_context(), TLS1_2_VERSION) != 1)
      throw std::runtime_error("não foi possível exigir TLS 1.2");
    // Clients resume their TLS sessions, as with the authorities' servers;
    // a server that verifies client certificates needs a session context for it.
    static const unsigned char kContextoSessao[] = "velantnfe-autoridade";
    SSL_CTX_set_session_id_context(https_.ssl_context(), kContextoSessao, sizeof kContextoSessao - 1);
    https_.set_read_timeout(10, 0);
    https_.set_write_timeout(10, 0);
    https_.set_tcp_nodelay(true);   // headers and body go in separate writes
    // Clients keep their connections (one per worker of each Host); each
    // kept connection holds a thread while it waits for its next request.
    https_.set_keep_alive_max_count(1000000);
    https_.set_keep_alive_timeout(o.ociosaSegundos);
    https_.new_task_queue = [] { return new httplib::ThreadPool(64); };
    https_.Post(".*", [&simulador](const httplib::Request& pedido, httplib::Response& resposta) {
      FalhasSimulador falhas;
      try {
        falhas = simulador.Falhas();
      } catch (const std::exception&) {
        // Atende reports a control file it cannot read.
      }
      if (falhas.atrasoSegundos > 0) Espera(falhas.atrasoSegundos);
      RespostaSimulador r =
          simulador.Atende({pedido.path, pedido.get_header_value("Content-Type"), pedido.body});
      std::printf("velantnfe-autoridade: %s de %s: HTTP %d%s\n", pedido.path.c_str(),
                  AssuntoCliente(pedido.ssl).c_str(), r.status, falhas.descartarResposta ? " (descartada)" : "");
      std::fflush(stdout);
      if (falhas.descartarResposta) {
        // Processed, but the answer never leaves: the client sees the connection close.
        shutdown(SSL_get_fd(pedido.ssl), SHUT_RDWR);
        return;
      }
      resposta.status = r.status;
      resposta.set_content(r.corpo, r.tipoConteudo.c_str());
    });
    porta_ = porta == 0 ? https_.bind_to_any_port("127.0.0.1") : (https_.bind_to_port("127.0.0.1", porta) ? porta : -1);
    if (porta_ <= 0) throw std::runtime_error("não foi possível abrir a porta " + std::to_string(porta));
    linha_ = std::thread([this] { https_.listen_after_bind(); });
  }
  ~Servidor() {
    https_.stop();
    if (linha_.joinable()) linha_.join();
  }
  int Porta() const { return porta_; }

 private:
  httplib::SSLServer https_;
  int porta_ = 0;
  std::thread linha_;
};

// Compiling the invoice schema takes a while; done before the port opens so
// that the first answers come as fast as the others.
void CompilaEsquemas(bool leiaute310) {
  for (auto leiaute : {Leiaute::V400, Leiaute::V310}) {
    if (leiaute == Leiaute::V310 && !leiaute310) continue;
    for (auto servico : {ServicoNFe::StatusServico, ServicoNFe::Autorizacao, ServicoNFe::RetAutorizacao,
                         ServicoNFe::Consulta, ServicoNFe::RecepcaoEvento, ServicoNFe::Inutilizacao})
      velant::ValidarXml("<x/>", Descricao(servico, leiaute).esquemaPedido);
  }
}

// "chamadas --banco ARQ": one line per call received, tab-separated.
int ListaChamadas(const std::vector<std::string>& a) {
  if (a.size() != 3 || a[1] != "--banco") throw std::invalid_argument("uso: chamadas --banco ARQ.sqlite");
  if (!std::ifstream(a[2]).good()) throw std::invalid_argument("banco inexistente: " + a[2]);
  EstadoSimulador estado(a[2]);
  for (const auto& c : estado.Chamadas())
    std::printf("%s\t%s\t%d\t%s\n", c.caminho.c_str(), c.servico.c_str(), c.http, c.cStat.c_str());
  return 0;
}

int Executa(const Opcoes& o) {
  CompilaEsquemas(o.simulador.leiaute310);
  SimuladorAutoridade simulador(o.simulador);
  bool recusar = simulador.Falhas().recusarConexoes;
  std::unique_ptr<Servidor> servidor;
  std::unique_ptr<PortaReservada> reserva;
  int porta = o.porta;
  if (recusar) {
    reserva = std::make_unique<PortaReservada>(porta);
    porta = reserva->Porta();
  } else {
    servidor = std::make_unique<Servidor>(o, simulador, porta);
    porta = servidor->Porta();
  }
  std::string base = "https://127.0.0.1:" + std::to_string(porta);
  if (!o.arquivoServicos.empty()) GravaArquivo(o.arquivoServicos, TabelaServicosUnica(base));
  if (!o.arquivoPorta.empty()) GravaArquivo(o.arquivoPorta, std::to_string(porta) + "\n");
  std::printf("velantnfe-autoridade: %s em %s\n", recusar ? "recusando conexões" : "atendendo", base.c_str());
  std::fflush(stdout);

  while (!gParar) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    bool agora = recusar;
    try {
      agora = simulador.Falhas().recusarConexoes;
    } catch (const std::exception&) {
      // Left as it was; each request reports the fault.
    }
    if (agora == recusar) continue;
    recusar = agora;
    if (recusar) {
      servidor.reset();
      reserva = std::make_unique<PortaReservada>(porta);
    } else {
      reserva.reset();
      servidor = std::make_unique<Servidor>(o, simulador, porta);
    }
    std::printf("velantnfe-autoridade: %s\n", recusar ? "recusando conexões" : "atendendo");
    std::fflush(stdout);
  }
  gParada.notify_all();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGTERM, AoSinal);
  std::signal(SIGINT, AoSinal);
  std::signal(SIGPIPE, SIG_IGN);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf("%s%s", kUso, kAjuda);
      return 0;
    }
  }
  if (argc > 1 && std::strcmp(argv[1], "chamadas") == 0) {
    try {
      return ListaChamadas(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
      std::fprintf(stderr, "velantnfe-autoridade: %s\n", e.what());
      return 64;
    }
  }
  Opcoes opcoes;
  try {
    opcoes = LeOpcoes(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velantnfe-autoridade: %s\n%s", e.what(), kUso);
    return 64;
  }
  try {
    return Executa(opcoes);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velantnfe-autoridade: %s\n", e.what());
    return 70;
  }
}
