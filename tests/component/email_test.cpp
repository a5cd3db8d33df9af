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
constexpr const char* kXmlWindows = "C:\\Dunmor\\a.xml";

// Every byte value, so that nothing of a binary file is taken for a line end or a character.
std::string TodosOsBytes() {
  std::string s;
  for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
  return s;
}
const std::string kXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<nfeProc versao=\"3.10\"><xNome>Padaria São João</xNome></nfeProc>\n";
const std::string kPdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n" + TodosOsBytes() + "\r\n%%EOF\n";
const std::string kZip = std::string("PK\x03\x04\x14\x00\x00\x00", 8) + TodosOsBytes() + TodosOsBytes();
const std::string kAssunto = "Nota Fiscal Eletrônica da empresa: Padaria São João";

class EnvioEmail : public ::testing::Test {
 protected:
  void Servidor(bool tlsImplicito) {
    certificados_ = teste::CriaCertificadosSmtp(pasta_.Caminho() / "certificados");
    servidor_ = std::make_unique<teste::ServidorSmtp>(teste::OpcoesServidorSmtp{
        .pasta = pasta_.Caminho() / "smtp", .certificado = certificados_.certificado, .chave = certificados_.chave,
        .usuario = kUsuario, .senha = kSenha, .tlsImplicito = tlsImplicito, .recusar = {"recusado@exemplo.com.br"}});
  }
  // A Host whose mail settings point at the server; `troca` replaces or adds
  // values. a.xml is under its root.
  void Host(bool tlsImplicito, const Registro& troca = {}) {
    Registro r = {{"EmailServidor", "127.0.0.1"}, {"EmailPorta", std::to_string(servidor_ ? servidor_->Porta() : 0)},
                  {"EmailSeguranca", tlsImplicito ? "SSL" : "STARTTLS"}, {"EmailUsuario", kUsuario},
                  {"EmailSenha", kSenha}, {"EmailRemetente", kUsuario}, {"EmailNomeRemetente", kNomeRemetente},
                  {"EmailArquivoAC", certificados_.ac.string()}, {"EmailTempoLimiteConexao", "5"},
                  {"EmailTempoLimiteTotal", "20"}};
    r.insert(r.end(), troca.begin(), troca.end());
    host_ = std::make_unique<teste::HostTeste>(pasta_.Caminho() / ("host" + std::to_string(++hosts_)),
                                               std::filesystem::path(), r);
    teste::GravarTudo(host_->Local(kXmlWindows), kXml);
  }
  void Inicia(bool tlsImplicito) {
    Servidor(tlsImplicito);
    Host(tlsImplicito);
  }

  bool Envia(const std::string& destinatario, const std::string& corpo, const std::string& anexo,
             const std::string& assunto = kAssunto) {
    return ServicoDocumentoFiscal(host_->Ctx()).EnviaEmail(destinatario, assunto, corpo, anexo);
  }
  std::vector<teste::MensagemRecebida> Recebidas() const { return teste::MensagensRecebidas(servidor_->Caixa()); }

  // Every daily log file of the Host, together.
  std::string Log() {
    std::string texto;
    if (auto pasta = host_->Local(kPastaLog); std::filesystem::exists(pasta))
      for (const auto& e : std::filesystem::directory_iterator(pasta)) texto += teste::LerTudo(e.path());
    return texto;
  }
  // The one failure line of the log, checked to be the only one and free of the password.
  std::string LinhaDeFalha() {
    const std::string log = Log();
    EXPECT_EQ(log.find(kSenha), std::string::npos) << log;
    const size_t i = log.find("E-mail não enviado");
    if (i == std::string::npos || log.find("E-mail não enviado", i + 1) != std::string::npos) {
      ADD_FAILURE() << "uma linha de falha esperada\n" << log;
      return "";
    }
    return log.substr(i, log.find("\r\n", i) - i);
  }

  teste::PastaTemporaria pasta_;
  teste::CertificadosSmtp certificados_;
  std::unique_ptr<teste::ServidorSmtp> servidor_;
  std::unique_ptr<teste::HostTeste> host_;
  int hosts_ = 0;
};

// --- Mails that arrive (the XML and the PDF of an invoice over STARTTLS are exemplos_integracao.sh's) ---

// The cases: email_envios.tsv.
class EnvioEmailCaso : public EnvioEmail, public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(EnvioEmailCaso, ChegaComoFoiEnviado) {
  const auto& c = GetParam();
  const std::string conteudo = c[8] == "{pdf}" ? kPdf : c[8] == "{zip}" ? kZip : teste::Desescapa(c[8]);
  std::istringstream lista(c[3]);
  const std::vector<std::string> destinatarios{std::istream_iterator<std::string>(lista), {}};
  Inicia(c[1] == "sim");
  const bool windows = c[7].rfind("C:\\", 0) == 0;
  const std::string anexo = windows ? c[7] : (pasta_.Caminho() / c[7]).string();
  teste::GravarTudo(windows ? host_->Local(anexo) : std::filesystem::path(anexo), conteudo);
  std::time_t antes = std::time(nullptr);
  ASSERT_TRUE(Envia(c[2], teste::Desescapa(c[5]), anexo, c[4])) << Log();
  std::time_t depois = std::time(nullptr);

  auto recebidas = Recebidas();
  ASSERT_EQ(recebidas.size(), 1u) << servidor_->Log();
  const auto& m = recebidas[0];
  const std::pair<const char*, std::string> campos[] = {
      {"defeitos", ""}, {"remetente", kUsuario}, {"de-nome", kNomeRemetente}, {"de-endereco", kUsuario},
      {"assunto", c[4]}, {"versao-mime", "1.0"}, {"corpo-tipo", "text/plain"}, {"corpo-charset", "utf-8"},
      {"corpo", teste::Desescapa(c[6])}, {"anexo-1-nome", c[9]}, {"anexo-1-tipo", c[10]}, {"anexo-1", conteudo}};
  for (const auto& [campo, valor] : campos) EXPECT_EQ(m.Campo(campo), valor) << campo;
  EXPECT_EQ(m.Linhas("destinatarios"), destinatarios);
  EXPECT_EQ(m.Linhas("para"), destinatarios);
  ASSERT_TRUE(m.Tem("data-epoca")) << m.Campo("mensagem.eml");
  EXPECT_THAT(std::stoll(m.Campo("data-epoca")), AllOf(Ge(antes - 1), Le(depois + 1)));
  EXPECT_TRUE(std::regex_match(m.Campo("id-mensagem"), std::regex("<[^<>@ ]+@padaria\\.com\\.br>")))
      << m.Campo("id-mensagem");
  EXPECT_FALSE(m.Tem("anexo-2"));
  EXPECT_THAT(Log(), AllOf(Not(HasSubstr("E-mail não enviado")), Not(HasSubstr(kSenha))));
}

INSTANTIATE_TEST_SUITE_P(Anexos, EnvioEmailCaso, ::testing::ValuesIn(teste::LerTabela("component/email_envios.tsv")),
                         [](const auto& info) { return info.param[0]; });

// Two mails are two messages with their own identifiers; with no attachment
// named, the text alone goes.
TEST_F(EnvioEmail, CadaMensagemComSeuIdentificadorESemAnexoSoOTexto) {
  Inicia(false);
  ASSERT_TRUE(Envia("cliente@exemplo.com.br", "XML", kXmlWindows)) << Log();
  ASSERT_TRUE(Envia("cliente@exemplo.com.br", "Só o texto.", "")) << Log();
  auto recebidas = Recebidas();
  ASSERT_EQ(recebidas.size(), 2u);
  EXPECT_NE(recebidas[0].Campo("id-mensagem"), recebidas[1].Campo("id-mensagem"));
  EXPECT_EQ(recebidas[1].Campo("corpo"), "Só o texto.");
  EXPECT_FALSE(recebidas[1].Tem("anexo-1"));
}

// --- Mails that are not sent -----------------------------------------------

// Causes, addresses, attachments and registry values: email_recusas.tsv.
// A line break in the address must not smuggle a header or a second
// recipient in; without STARTTLS nothing goes out in the clear.
TEST_F(EnvioEmail, RecusasFalsoComUmaLinhaDeLog) {
  Servidor(false);
  for (const auto& c : teste::LerTabela("component/email_recusas.tsv")) {
    SCOPED_TRACE(c[0]);
    Registro troca;
    for (size_t i = 3; i < c.size(); ++i) {
      const size_t igual = c[i].find('=');
      const std::string valor = c[i].substr(igual + 1);
      troca.emplace_back(c[i].substr(0, igual), valor == "{outraAc}" ? certificados_.outraAc.string() : valor);
    }
    Host(false, troca);
    EXPECT_FALSE(Envia(teste::Desescapa(c[1]), "corpo", c[2]));
    EXPECT_NE(LinhaDeFalha().find(c[0]), std::string::npos) << Log();
  }
  EXPECT_TRUE(Recebidas().empty());
}

// A server that takes the connection and never answers costs no more than the total timeout.
TEST_F(EnvioEmail, ServidorMudoEsgotaOTempoLimite) {
  teste::ServidorMudo mudo;
  certificados_ = teste::CriaCertificadosSmtp(pasta_.Caminho() / "certificados");
  Host(false, {{"EmailPorta", std::to_string(mudo.Porta())}, {"EmailTempoLimiteConexao", "1"},
               {"EmailTempoLimiteTotal", "2"}});
  auto inicio = std::chrono::steady_clock::now();
  EXPECT_FALSE(Envia("cliente@exemplo.com.br", "corpo", kXmlWindows));
  EXPECT_THAT(std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count(), AllOf(Ge(0.9), Lt(4.0)));
  EXPECT_NE(LinhaDeFalha().find("tempo limite esgotado"), std::string::npos);
}

}  // namespace
}  // namespace velant
