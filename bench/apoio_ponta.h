#pragma once
// What the benchmarks that run the real programs share: child processes,
// the authority simulator, a throw-away PostgreSQL server, Host roots, the
// invoice request text, and a front end that inserts requests and waits for
// their answers.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "apoio/processo_filho.h"
#include "apoio_bench.h"
#include "base/caminhos.h"
#include "base/data_hora.h"
#include "base/regional.h"
#include "contexto/configuracao_host.h"
#include "data/conexao_nfe.h"
#include "data/configuracao_banco.h"
#include "data/solicitacao_funcao_nfe.h"
#include "plataforma/perfil_ini.h"
#include "ui/interface_headless.h"

namespace velant::bench {

namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

inline fs::path Binario(const char* nome) { return fs::path(VELANT_BINARIOS) / nome; }
inline fs::path Fonte() { return fs::path(VELANT_FONTE); }

inline fs::path PastaNova(const char* nome) {
  std::string modelo = (fs::temp_directory_path() / (std::string(nome) + "-XXXXXX")).string();
  if (mkdtemp(modelo.data()) == nullptr) throw std::runtime_error("mkdtemp");
  return modelo;
}

inline void Grava(const fs::path& arquivo, const std::string& texto) {
  fs::create_directories(arquivo.parent_path());
  std::ofstream(arquivo, std::ios::binary | std::ios::trunc) << texto;
}

inline std::string Le(const fs::path& arquivo) {
  std::ifstream f(arquivo, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// A child process, ended with SIGTERM (then SIGKILL) when this object goes.
class Processo {
 public:
  Processo(std::vector<std::string> args, const fs::path& saida) : pid_(teste::IniciaProcesso(std::move(args), saida)) {}
  ~Processo() {
    int status;
    teste::ParaProcesso(pid_, std::chrono::seconds(5), status);
  }
  Processo(const Processo&) = delete;
  Processo& operator=(const Processo&) = delete;
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

inline void EsperaArquivo(const fs::path& arquivo, const char* oque) {
  auto limite = Relogio::now() + std::chrono::seconds(30);
  while (!fs::exists(arquivo) || fs::file_size(arquivo) == 0) {
    if (Relogio::now() > limite) throw std::runtime_error(std::string(oque) + " não iniciou");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// The authority simulator on a free port of 127.0.0.1.
struct Simulador {
  fs::path pasta = PastaNova("bench-autoridade");
  std::unique_ptr<Processo> processo;
  // `opcoes`: more of the simulator's options (faults).
  explicit Simulador(int consultasEmProcessamento, const std::vector<std::string>& opcoes = {}) {
    std::vector<std::string> args{Binario("velantnfe-autoridade").string(), "--certificados", Certificados().string(),
                                  "--porta", "0", "--arquivo-porta", (pasta / "porta").string(), "--arquivo-servicos",
                                  (pasta / "servicos.ini").string(), "--banco", (pasta / "autoridade.sqlite").string(),
                                  "--consultas-processamento", std::to_string(consultasEmProcessamento),
                                  "--leiaute-310"};
    args.insert(args.end(), opcoes.begin(), opcoes.end());
    processo = std::make_unique<Processo>(std::move(args), pasta / "saida.txt");
    EsperaArquivo(pasta / "porta", "o simulador");
  }
  ~Simulador() {
    processo.reset();
    std::error_code ec;
    fs::remove_all(pasta, ec);
  }
};

// A throw-away PostgreSQL server (scripts/pg-teste).
struct ServidorPostgreSql {
  fs::path estado = PastaNova("bench-pg");
  std::string porta;
  ServidorPostgreSql() {
    std::string comando = "bash " + (Fonte() / "scripts/pg-teste").string() + " iniciar " + estado.string();
    if (std::system(comando.c_str()) != 0) throw std::runtime_error("pg-teste iniciar falhou");
    porta = Le(estado / "porta");
    while (!porta.empty() && (porta.back() == '\n' || porta.back() == '\r')) porta.pop_back();
  }
  ~ServidorPostgreSql() {
    std::string comando = "bash " + (Fonte() / "scripts/pg-teste").string() + " parar " + estado.string();
    if (std::system(comando.c_str()) != 0) std::fprintf(stderr, "pg-teste parar falhou\n");
    std::error_code ec;
    fs::remove_all(estado, ec);
  }
};

// `extras`: more lines of the key ("\"Nome\"=\"valor\"\r\n").
inline std::string Registro(const Simulador& sim, const std::string& extras = "") {
  return "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n\"Ambiente\"=\"2\"\r\n"
         "\"UnidadeFederada\"=\"SP\"\r\n\"UnidadeFederadaCodigo\"=\"35\"\r\n\"CNPJ\"=\"11222333000181\"\r\n"
         "\"VerProc\"=\"6.07.01.1\"\r\n\"TipoDanfe\"=\"1\"\r\n\"Certificado\"=\"" +
         (Certificados() / "emitente.pfx").string() + "\"\r\n\"SenhaCertificado\"=\"1234\"\r\n\"ArquivoServicos\"=\"" +
         (sim.pasta / "servicos.ini").string() + "\"\r\n\"ArquivoAC\"=\"" + (Certificados() / "ac.pem").string() +
         "\"\r\n" + extras;
}

// A root of a Host; the database is the embedded SQLite file unless a
// PostgreSQL server and database are given.
struct RaizHost {
  fs::path raiz = PastaNova("bench-host");
  RaizHost(const Simulador& sim, const ServidorPostgreSql* pg = nullptr, const std::string& banco = "",
           const std::string& registro = "") {
    std::string ini = "[Local]\r\nIP do Computador a ser processado=127.0.0.1\r\n";
    if (pg != nullptr)
      ini += "[SGBD]\r\nGerenciador de Banco de Dados=POSTGRESQL\r\nIP do Banco de Dados=127.0.0.1\r\n"
             "Porta do Banco de Dados=" + pg->porta + "\r\nNome Interno BD=" + banco +
             "\r\nUsuario do Banco de Dados=postgres\r\n";
    Grava(raiz / "C/KorvanePafEcf/NFe/VelantNFe/VelantNFe.ini", ini);
    Grava(raiz / "registro.reg", Registro(sim, registro));
  }
  ~RaizHost() {
    std::error_code ec;
    fs::remove_all(raiz, ec);
  }
  std::unique_ptr<Processo> Inicia() const {
    auto p = std::make_unique<Processo>(std::vector<std::string>{Binario("velantnfe").string(), "--raiz", raiz.string(),
                                                                 "--registro", (raiz / "registro.reg").string()},
                                        raiz / "host.out");
    // Started once its log says so.
    auto limite = Relogio::now() + std::chrono::seconds(30);
    for (;;) {
      bool iniciou = false;
      for (const auto& e : fs::recursive_directory_iterator(raiz))
        if (e.path().extension() == ".LOG" && Le(e.path()).find(" - Início") != std::string::npos) iniciou = true;
      if (iniciou) return p;
      if (Relogio::now() > limite) throw std::runtime_error("o Host não iniciou: " + Le(raiz / "host.out"));
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
};

// The day before today (dd/mm/yyyy): a 4.00 emission must be recent.
inline std::string Ontem() { return Format(Valor(DataHora(RelogioSistema().Agora().Serial() - 1)), "dd/mm/yyyy"); }

// An invoice of series 1 with n items of 100,00 (ICMS 18%, PIS, COFINS),
// by `comando`, issued on `dia`.
inline std::string Pedido(int numero, int itens, const std::string& comando = "NFE3.10",
                          const std::string& dia = "15/01/2016") {
  auto centavos = [](long c) {
    char t[32];
    std::snprintf(t, sizeof t, "%ld,%02ld", c / 100, c % 100);
    return std::string(t);
  };
  std::ostringstream s;
  auto l = [&](const std::string& linha) { s << linha << "\r\n"; };
  for (const std::string& x :
       {"000-000 - " + comando, "001-000 - " + std::to_string(numero), std::string("040-000 - 1"),
        std::string("042-000 - 3"), std::string("100-000 - "), "110-000 - " + dia + " 10:30:00",
        "111-000 - " + std::to_string(numero), std::string("112-000 - 1"), std::string("113-000 - 1"),
        "114-000 - " + dia + " 11:00:00", "115-000 - " + centavos(10000L * itens),
        "116-000 - " + centavos(10000L * itens), "117-000 - " + centavos(165L * itens),
        "119-000 - " + centavos(760L * itens), "121-000 - " + centavos(1800L * itens),
        "122-000 - " + centavos(10000L * itens), std::string("130-000 - 0")})
    l(x);
  for (const char* x : {"210-000 - CLIENTE EXEMPLO S A", "211-000 - AV PAULISTA 1000", "212-000 - BELA VISTA",
                        "213-000 - SAO PAULO", "214-000 - SP", "215-000 - 01310200", "216-000 - 1058",
                        "217-000 - BRASIL", "218-000 - (1155556666", "219-000 - 44555666000172",
                        "220-000 - 987654321098", "222-000 - 3550308", "310-000 - EMPRESA TESTE LTDA",
                        "311-000 - LOJA TESTE", "312-000 - RUA DAS FLORES", "313-000 - 100", "315-000 - CENTRO",
                        "316-000 - 01310100", "317-000 - (1133334444", "318-000 - 123456789012",
                        "319-000 - SAO PAULO", "320-000 - 3550308", "362-000 - 9"})
    l(x);
  for (int i = 1; i <= itens; ++i) {
    char n[8];
    std::snprintf(n, sizeof n, "%03d", i % 1000);
    std::string c = std::string("-") + n + " - ";
    for (const std::string& x :
         {"800" + c, "810" + c + "84713012", "811" + c + "PRODUTO DE TESTE " + std::to_string(i), "812" + c + "UN",
          "813" + c + "P" + std::to_string(i), "820" + c + "50,00", "821" + c + "2", "822" + c + "100,00",
          "824" + c + "01", "825" + c + "01", "829" + c + "1,65", "830" + c + "7,60", "831" + c + "5102",
          "832" + c + "VENDA DE MERCADORIA", "833" + c + "35", "835" + c + "7,60", "836" + c + "1,65",
          "837" + c + "18,00", "838" + c + "100,00", "840" + c + "18", "843" + c + "1", "844" + c + "000",
          "845" + c + "P", "899" + c})
      l(x);
  }
  l("999-999 - ");
  return s.str();
}

// The front end's side: inserts requests and watches them, as velantnfe-ac does.
class FrenteDeLoja {
 public:
  explicit FrenteDeLoja(const RaizHost& raiz)
      : caminhos_(raiz.raiz), ini_(caminhos_), ui_(true),
        conexao_(ini_, caminhos_, ui_, "C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini") {
    data::DefineDialetoBanco(host_, conexao_.TipoBanco());
    fila_ = std::make_unique<data::cSolicitacaoFuncaoNFe>(conexao_, host_, ui_);
  }
  // Inserts and, as velantnfe-ac does, tells the Hosts that listen (PostgreSQL).
  int32_t Inclui(const std::string& texto, const std::string& comando = "NFE3.10") {
    auto rs = conexao_.RsConexao("SELECT MAX(NSU) FROM SolicitacaoFuncaoNFe");
    int32_t nsu = (rs->Eof() || rs->Value(0).ENulo()) ? 1 : CLng(rs->Value(0)) + 1;
    data::cSolicitacaoFuncaoNFe& s = *fila_;
    DataHora agora = RelogioSistema().Agora();
    s.NSU(nsu);
    s.NumeroControleSolicitacao(nsu);
    s.DataSolicitacao(agora.SoData());
    s.HoraSolicitacao(agora.SoHora());
    s.TipoOperacao(comando);
    s.IPComputadorAC("127.0.0.1");
    s.Texto(texto);
    // The record keeps the last row it loaded: a new request starts open.
    s.HoraAnalise(DataHora());
    s.HoraAprovacao(DataHora());
    s.HoraCancelamentoHost(DataHora());
    s.HoraConfirmacaoAC(DataHora());
    s.HoraCancelamentoAC(DataHora());
    s.Mensagem("");
    if (!s.Incluir()) throw std::runtime_error("pedido não incluído");
    data::AvisaHosts(conexao_);
    return nsu;
  }
  // 1 approved, 0 cancelled, -1 not answered yet.
  int Resposta(int32_t nsu) {
    if (!fila_->LocalizarCodigo(nsu)) return -1;
    if (!fila_->HoraAprovacao().Zero()) return 1;
    if (!fila_->HoraCancelamentoHost().Zero()) return 0;
    return -1;
  }
  const std::string& Mensagem() const { return fila_->Mensagem(); }

 private:
  MapeadorCaminhos caminhos_;
  PerfilIni ini_;
  InterfaceHeadless ui_;
  ConfiguracaoHost host_;
  data::CConexaoNfe conexao_;
  std::unique_ptr<data::cSolicitacaoFuncaoNFe> fila_;
};

// Waits for the answers; false (with the reason in the state) when one is
// not an approval or does not come within the limit.
inline bool EsperaRespostas(benchmark::State& state, FrenteDeLoja& ac, const std::vector<int32_t>& nsus, int segundos) {
  auto limite = Relogio::now() + std::chrono::seconds(segundos);
  for (int32_t nsu : nsus) {
    for (;;) {
      int r = ac.Resposta(nsu);
      if (r == 1) break;
      if (r == 0) {
        state.SkipWithError(("cancelado: " + ac.Mensagem()).c_str());
        return false;
      }
      if (Relogio::now() > limite) {
        state.SkipWithError("sem resposta no tempo");
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  return true;
}

}  // namespace velant::bench
