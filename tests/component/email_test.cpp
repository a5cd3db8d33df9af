// EnviaEmail against a real SMTP server on loopback (aiosmtpd, STARTTLS or
// implicit TLS, AUTH required). What arrived is judged after Python's email
// package decoded it: envelope, headers, text and attachment, byte for byte.
// Every refusal is a false with one log line naming the cause, and the
// password never reaches the log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <iterator>
#include <regex>
#include <set>

#include "apoio/servidor_smtp.h"
#include "autoridade_apoio.h"
#include "component/servico_documento_fiscal.h"
#include "contexto/contexto.h"

namespace velant {
namespace {

using namespace ::testing;
using Registro = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kUsuario = "nfe@padaria.com.br";
constexpr const char* kSenha = "Senha-Secreta#Pão7";
constexpr const char* kNomeRemetente = "Padaria São João \"Matriz\"";

class EnvioEmail : public ::testing::Test {
 protected:
  void Servidor(bool tlsImplicito) {
    servidor_ = std::make_unique<teste::ServidorSmtp>(teste::OpcoesServidorSmtp{
        .pasta = pasta_.Caminho() / ("smtp" + std::to_string(++hosts_)), .certificado = certificados_.certificado,
        .chave = certificados_.chave, .usuario = kUsuario, .senha = kSenha, .tlsImplicito = tlsImplicito,
        .recusar = {"recusado@exemplo.com.br"}});
  }
  // A Host whose mail settings point at the server; `troca` replaces or adds
  // values. C:\Dunmor\a.xml is under its root.
  void Host(bool tlsImplicito, const Registro& troca = {}) {
    Registro r = {{"EmailServidor", "127.0.0.1"}, {"EmailPorta", std::to_string(servidor_->Porta())},
                  {"EmailSeguranca", tlsImplicito ? "SSL" : "STARTTLS"}, {"EmailUsuario", kUsuario},
                  {"EmailSenha", kSenha}, {"EmailRemetente", kUsuario}, {"EmailNomeRemetente", kNomeRemetente},
                  {"EmailArquivoAC", certificados_.ac.string()}, {"EmailTempoLimiteConexao", "5"},
                  {"EmailTempoLimiteTotal", "20"}};
    r.insert(r.end(), troca.begin(), troca.end());
    host_ = std::make_unique<teste::HostTeste>(pasta_.Caminho() / ("host" + std::to_string(++hosts_)),
                                               std::filesystem::path(), r);
    teste::GravarTudo(host_->Local("C:\\Dunmor\\a.xml"), "<?xml version=\"1.0\"?><nfeProc versao=\"3.10\"/>\n");
  }
  bool Envia(const std::string& destinatario, const std::string& assunto, const std::string& corpo,
             const std::string& anexo) {
    return ServicoDocumentoFiscal(host_->Ctx()).EnviaEmail(destinatario, assunto, corpo, anexo);
  }
  // Every daily log file of the Host, together.
  std::string Log() {
    std::string texto;
    if (auto pasta = host_->Local(kPastaLog); std::filesystem::exists(pasta))
      for (const auto& e : std::filesystem::directory_iterator(pasta)) texto += teste::LerTudo(e.path());
    return texto;
  }

  teste::PastaTemporaria pasta_;
  teste::CertificadosSmtp certificados_ = teste::CriaCertificadosSmtp(pasta_.Caminho() / "certificados");
  std::unique_ptr<teste::ServidorSmtp> servidor_;
  std::unique_ptr<teste::HostTeste> host_;
  int hosts_ = 0;
};

// The cases: email_envios.tsv (the XML and the PDF of an invoice over
// STARTTLS are exemplos_integracao.sh's). Every message has its own identifier.
TEST_F(EnvioEmail, ChegaComoFoiEnviado) {
  std::string todos;
  for (int i = 0; i < 256; ++i) todos += static_cast<char>(i);   // nothing of a binary file is a line end
  const std::map<std::string, std::string> binarios = {
      {"{pdf}", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n" + todos + "\r\n%%EOF\n"},
      {"{zip}", std::string("PK\x03\x04\x14\x00\x00\x00", 8) + todos + todos}};
  std::set<std::string> identificadores;
  std::string modo;   // one server and Host for each TLS mode, in the table's order
  for (const auto& c : teste::LerTabela("component/email_envios.tsv")) {
    SCOPED_TRACE(c[0]);
    const std::string conteudo = binarios.contains(c[8]) ? binarios.at(c[8]) : teste::DesfazEscapes(c[8]);
    std::istringstream lista(c[3]);
    const std::vector<std::string> destinatarios{std::istream_iterator<std::string>(lista), {}};
    if (c[1] != modo) modo = c[1], Servidor(modo == "sim"), Host(modo == "sim");
    const bool windows = c[7].rfind("C:\\", 0) == 0;
    const std::string anexo = windows || c[7].empty() ? c[7] : (pasta_.Caminho() / c[7]).string();
    if (!anexo.empty()) teste::GravarTudo(windows ? host_->Local(anexo) : std::filesystem::path(anexo), conteudo);
    const std::time_t antes = std::time(nullptr);
    ASSERT_TRUE(Envia(c[2], c[4], teste::DesfazEscapes(c[5]), anexo)) << Log();
    const std::time_t depois = std::time(nullptr);
    const auto m = teste::MensagensRecebidas(servidor_->Caixa()).back();
    const std::pair<const char*, std::string> campos[] = {
        {"defeitos", ""}, {"remetente", kUsuario}, {"de-nome", kNomeRemetente}, {"de-endereco", kUsuario},
        {"assunto", c[4]}, {"versao-mime", "1.0"}, {"corpo-tipo", "text/plain"}, {"corpo-charset", "utf-8"},
        {"corpo", teste::DesfazEscapes(c[6])}, {"anexo-1-nome", c[9]}, {"anexo-1-tipo", c[10]}, {"anexo-1", conteudo}};
    for (const auto& [campo, valor] : campos) EXPECT_EQ(m.Campo(campo), valor) << campo;
    EXPECT_FALSE(m.Tem(anexo.empty() ? "anexo-1" : "anexo-2"));
    EXPECT_EQ(m.Linhas("destinatarios"), destinatarios);
    EXPECT_EQ(m.Linhas("para"), destinatarios);
    ASSERT_TRUE(m.Tem("data-epoca")) << m.Campo("mensagem.eml");
    EXPECT_THAT(std::stoll(m.Campo("data-epoca")), AllOf(Ge(antes - 1), Le(depois + 1)));
    EXPECT_TRUE(std::regex_match(m.Campo("id-mensagem"), std::regex("<[^<>@ ]+@padaria\\.com\\.br>")))
        << m.Campo("id-mensagem");
    EXPECT_TRUE(identificadores.insert(m.Campo("id-mensagem")).second);
    EXPECT_THAT(Log(), AllOf(Not(HasSubstr("E-mail não enviado")), Not(HasSubstr(kSenha))));
  }
}

// Causes, addresses, attachments and registry values: email_recusas.tsv.
// A line break in the address must not smuggle a header or a second
// recipient in; without STARTTLS nothing goes out in the clear; a server
// that takes the connection and never answers costs no more than the total
// timeout.
TEST_F(EnvioEmail, RecusasFalsoComUmaLinhaDeLog) {
  teste::ServidorMudo mudo;
  Servidor(false);
  for (const auto& c : teste::LerTabela("component/email_recusas.tsv")) {
    SCOPED_TRACE(c[0]);
    Registro troca;
    for (size_t i = 3; i < c.size(); ++i) {
      const size_t igual = c[i].find('=');
      const std::string valor = c[i].substr(igual + 1);
      troca.emplace_back(c[i].substr(0, igual), valor == "{outraAc}" ? certificados_.outraAc.string()
                                                : valor == "{mudo}"    ? std::to_string(mudo.Porta())
                                                                       : valor);
    }
    Host(false, troca);
    const auto inicio = std::chrono::steady_clock::now();
    EXPECT_FALSE(Envia(teste::DesfazEscapes(c[1]), "Nota Fiscal Eletrônica", "corpo", c[2]));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count(), 4.0);
    // One failure line, naming the cause, and no password.
    const std::string log = Log();
    const size_t i = log.find("E-mail não enviado");
    ASSERT_NE(i, std::string::npos) << log;
    EXPECT_EQ(log.find(kSenha), std::string::npos) << log;
    EXPECT_EQ(log.find("E-mail não enviado", i + 1), std::string::npos) << log;
    EXPECT_NE(log.substr(i, log.find("\r\n", i) - i).find(c[0]), std::string::npos) << log;
  }
  EXPECT_TRUE(teste::MensagensRecebidas(servidor_->Caixa()).empty());
}

}  // namespace
}  // namespace velant
