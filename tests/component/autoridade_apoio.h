#pragma once
// What the authority tests share: signed invoices and batches, the
// simulator started as its own process on a free loopback port, and a Host
// environment whose registry points the component at it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "apoio/processo_filho.h"
#include "component/apoio_documento.h"
#include "base/caminhos.h"
#include "base/erro.h"
#include "component/xml/assinador_xml.h"
#include "component/xml/autoridade_xml.h"
#include "component/xml/validador_esquema.h"
#include "component/servico_documento_fiscal.h"
#include "manager/ambiente_host.h"
#include "ui/interface_headless.h"

namespace velant::teste {

inline std::string Lote(const std::string& idLote, const std::vector<std::string>& notas) {
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><enviNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" "
                  "versao=\"3.10\"><idLote>" + idLote + "</idLote><indSinc>0</indSinc>";
  for (const auto& n : notas) s += autoridade::SemDeclaracao(n);
  return s + "</enviNFe>";
}

// Text of the first element with that local name ("" when absent).
inline std::string Campo(const std::string& xml, const std::string& nome) {
  auto doc = autoridade::DocumentoXml::Ler(xml, "teste");
  return autoridade::Texto(autoridade::Procura(doc.Raiz(), nome));
}
// The texts of several such elements joined by '|', to compare as one line.
inline std::string Campos(const std::string& xml, std::initializer_list<const char*> nomes) {
  std::string s;
  for (const char* n : nomes) s += (s.empty() ? "" : "|") + Campo(xml, n);
  return s;
}

inline size_t Ocorrencias(const std::string& texto, const std::string& trecho) {
  size_t n = 0;
  for (size_t p = texto.find(trecho); p != std::string::npos; p = texto.find(trecho, p + 1)) ++n;
  return n;
}

// The description of the component error the call raises; a failure, and
// "", when it raises none.
inline std::string ErroDoComponente(const std::function<void()>& chamada) {
  try {
    chamada();
  } catch (const ErroExecucao& e) {
    EXPECT_EQ(e.Codigo(), CodigoErro::ErroComponente) << e.Descricao();
    return e.Descricao();
  }
  ADD_FAILURE() << "a chamada deveria ser recusada";
  return "";
}

inline std::filesystem::path ExecutavelSimulador() {
  return std::filesystem::path(VELANT_BINARIOS) / "velantnfe-autoridade";
}

// The simulator as its own process, on a port the system chose; stopped
// (SIGTERM, then SIGKILL) when this object goes. It serves the 3.10
// services too unless leiaute310 is false.
class ProcessoSimulador {
 public:
  explicit ProcessoSimulador(const std::filesystem::path& pasta, std::vector<std::string> extras = {},
                             bool leiaute310 = true)
      : pasta_(pasta) {
    std::filesystem::create_directories(pasta_);
    std::vector<std::string> args = {ExecutavelSimulador().string(), "--certificados", PastaCertificados().string(),
        "--porta", "0", "--arquivo-porta", (pasta_ / "porta").string(), "--arquivo-servicos", Servicos().string(),
        "--banco", (pasta_ / "autoridade.sqlite").string(), "--controle", Controle().string(),
        "--consultas-processamento", "1"};
    if (leiaute310) args.push_back("--leiaute-310");
    args.insert(args.end(), extras.begin(), extras.end());
    std::filesystem::remove(pasta_ / "porta");
    pid_ = IniciaProcesso(args, pasta_ / "simulador.log");
    porta_ = EsperaPortaDoProcesso(pid_, pasta_ / "porta", "o simulador", [this] { return Log(); });
  }
  ~ProcessoSimulador() { Para(); }
  ProcessoSimulador(const ProcessoSimulador&) = delete;

  void Para() {
    if (pid_ <= 0) return;
    int status = 0;
    const bool morto = !ParaProcesso(pid_, std::chrono::seconds(10), status);
    pid_ = -1;
    // It must stop cleanly on SIGTERM (not killed), and without a sanitizer's report.
    const std::string log = Log();
    EXPECT_TRUE(!morto && WIFEXITED(status) && WEXITSTATUS(status) == 0 && log.find("Sanitizer") == std::string::npos &&
                log.find("runtime error") == std::string::npos)
        << (morto ? "o simulador não atendeu ao SIGTERM\n" : "") << log;
  }

  int Porta() const { return porta_; }
  std::filesystem::path Servicos() const { return pasta_ / "servicos-nfe.ini"; }
  std::filesystem::path Controle() const { return pasta_ / "controle.txt"; }
  // Replaces the control file; the next request (and the port, within 50 ms) sees it.
  void DefineControle(const std::string& conteudo) const {
    std::ofstream(Controle().string() + ".tmp", std::ios::trunc) << conteudo;
    std::filesystem::rename(Controle().string() + ".tmp", Controle());
  }
  std::string Log() const { return LerTudo(pasta_ / "simulador.log"); }

 private:
  std::filesystem::path pasta_;
  pid_t pid_ = -1;
  int porta_ = 0;
};

// A Host environment for the component: root folder, a registry file with
// the installation's values, the headless operator interface.
class HostTeste {
 public:
  HostTeste(const std::filesystem::path& pasta, const std::filesystem::path& servicos,
            const std::vector<std::pair<std::string, std::string>>& registroExtra = {})
      : pasta_(pasta) {
    std::filesystem::create_directories(pasta_ / "raiz");
    std::map<std::string, std::string> valores = {
        {"Ambiente", "2"}, {"UnidadeFederada", "SP"}, {"UnidadeFederadaCodigo", "35"}, {"CNPJ", kCnpjEmitente},
        {"Certificado", (PastaCertificados() / "emitente.pfx").string()}, {"SenhaCertificado", "1234"},
        {"ArquivoServicos", servicos.string()}, {"ArquivoAC", (PastaCertificados() / "ac.pem").string()},
        // Roomy enough for a loaded machine; the fault tests set short ones.
        {"TempoLimiteConexao", "5"}, {"TempoLimiteLeitura", "5"}, {"TempoLimiteTotal", "10"}};
    for (const auto& [nome, valor] : registroExtra) valores[nome] = valor;
    std::string reg = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n";
    for (const auto& [nome, valor] : valores)
      reg += "\"" + nome + "\"=\"" + Replace(Replace(valor, "\\", "\\\\"), "\"", "\\\"") + "\"\r\n";
    GravarTudo(pasta_ / "registro.reg", reg);
    OpcoesHost opcoes;
    opcoes.raiz = (pasta_ / "raiz").string();
    opcoes.registro = (pasta_ / "registro.reg").string();
    host_ = std::make_unique<AmbienteHost>(opcoes, std::make_unique<InterfaceHeadless>(true));
  }

  Contexto& Ctx() { return host_->Ctx(); }
  // Local path of a Windows path of the Host.
  std::filesystem::path Local(const std::string& windows) { return Ctx().caminhos.Mapear(windows); }

 private:
  std::filesystem::path pasta_;
  std::unique_ptr<AmbienteHost> host_;
};

// A test against a simulator of its own, with Hosts made for it: the newest is host_.
class ContraSimulador : public ::testing::Test {
 protected:
  using Registro = std::vector<std::pair<std::string, std::string>>;
  explicit ContraSimulador(bool leiaute310 = true) : sim_(pasta_.Caminho() / "simulador", {}, leiaute310) {}

  // A new Host whose registry carries padrao_, then `registro` over it.
  HostTeste& Host(Registro registro = {}) {
    registro.insert(registro.begin(), padrao_.begin(), padrao_.end());
    host_ = std::make_unique<HostTeste>(pasta_.Caminho() / ("host" + std::to_string(++hosts_)), sim_.Servicos(),
                                        registro);
    return *host_;
  }
  ServicoDocumentoFiscal Componente() {
    if (!host_) Host();
    return ServicoDocumentoFiscal(host_->Ctx());
  }

  PastaTemporaria pasta_;
  ProcessoSimulador sim_;
  std::unique_ptr<HostTeste> host_;
  int hosts_ = 0;
  Registro padrao_;
};

}  // namespace velant::teste
