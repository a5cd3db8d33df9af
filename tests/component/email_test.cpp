// EnviaEmail against a real SMTP server on loopback (aiosmtpd, STARTTLS or
// implicit TLS, AUTH required). What arrived is judged after Python's email
// package decoded it: envelope, headers, text and attachment, byte for byte.
// Every refusal is a false with one log line naming the cause, and the
// password never reaches the log.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <regex>

#include "apoio/servidor_smtp.h"
#include "autoridade_apoio.h"
#include "component/servico_documento_fiscal.h"
#include "contexto/contexto.h"

namespace velant {
namespace {

using Clock = std::chrono::steady_clock;
using Registro = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kUsuario = "nfe@padaria.com.br";
constexpr const char* kSenha = "Senha-Secreta#Pão7";
constexpr const char* kRemetente = "nfe@padaria.com.br";
constexpr const char* kNomeRemetente = "Padaria São João \"Matriz\"";
constexpr const char* kChave = "35240311222333000181550010000001231000001236";

// Every byte value, so that nothing of a binary file is taken for a line end or a character.
std::string TodosOsBytes() {
  std::string s;
  for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
  return s;
}

class EnvioEmail : public ::testing::Test {
 protected:
  void Inicia(bool tlsImplicito = false, std::vector<std::string> recusar = {}) {
    certificados_ = teste::CriaCertificadosSmtp(pasta_.Caminho() / "certificados");
    teste::OpcoesServidorSmtp o;
    o.pasta = pasta_.Caminho() / "smtp";
    o.certificado = certificados_.certificado;
    o.chave = certificados_.chave;
    o.usuario = kUsuario;
    o.senha = kSenha;
    o.tlsImplicito = tlsImplicito;
    o.recusar = std::move(recusar);
    servidor_ = std::make_unique<teste::ServidorSmtp>(o);
  }

  // The Host with the mail settings pointing at the server; `troca` replaces or adds values.
  teste::HostTeste& Host(bool tlsImplicito, const Registro& troca = {}) {
    Registro r = {{"EmailServidor", "127.0.0.1"},
                  {"EmailPorta", std::to_string(servidor_ ? servidor_->Porta() : 0)},
                  {"EmailSeguranca", tlsImplicito ? "SSL" : "STARTTLS"},
                  {"EmailUsuario", kUsuario},
                  {"EmailSenha", kSenha},
                  {"EmailRemetente", kRemetente},
                  {"EmailNomeRemetente", kNomeRemetente},
                  {"EmailArquivoAC", certificados_.ac.string()},
                  {"EmailTempoLimiteConexao", "5"},
                  {"EmailTempoLimiteTotal", "20"}};
    r.insert(r.end(), troca.begin(), troca.end());
    host_ = std::make_unique<teste::HostTeste>(pasta_.Caminho() / "host", std::filesystem::path(), r);
    return *host_;
  }

  bool Envia(const std::string& destinatario, const std::string& assunto, const std::string& corpo,
             const std::string& anexo) {
    ServicoDocumentoFiscal componente(host_->Ctx());
    return componente.EnviaEmail(destinatario, assunto, corpo, anexo);
  }

  std::vector<teste::MensagemRecebida> Recebidas() const {
    return servidor_ ? teste::MensagensRecebidas(servidor_->Caixa()) : std::vector<teste::MensagemRecebida>{};
  }

  // Every daily log file of the Host, together.
  std::string Log() {
    std::string texto;
    auto pasta = host_->Local(kPastaLog);
    if (std::filesystem::exists(pasta))
      for (const auto& e : std::filesystem::directory_iterator(pasta)) texto += teste::LerTudo(e.path());
    return texto;
  }

  std::vector<std::string> LinhasDeFalha() {
    std::vector<std::string> linhas;
    std::string log = Log();
    size_t i = 0;
    while ((i = log.find("E-mail não enviado", i)) != std::string::npos) {
      size_t fim = log.find("\r\n", i);
      linhas.push_back(log.substr(i, fim - i));
      i = fim;
    }
    return linhas;
  }

  teste::PastaTemporaria pasta_;
  teste::CertificadosSmtp certificados_;
  std::unique_ptr<teste::ServidorSmtp> servidor_;
  std::unique_ptr<teste::HostTeste> host_;
};

// --- Mails that arrive ------------------------------------------------------

struct CasoEnvio {
  const char* nome;
  bool tlsImplicito;
  std::string destinatario;
  std::vector<std::string> destinatariosEsperados;
  std::string assunto;
  std::string assuntoEsperado;
  std::string corpo;
  std::string corpoEsperado;
  std::string anexoWindows;   // a Windows path under the root; "" for anexoLocal
  std::string anexoLocal;     // file name in the test's folder, given as an absolute path
  std::string conteudo;
  std::string nomeEsperado;
  std::string tipoEsperado;
};

void PrintTo(const CasoEnvio& c, std::ostream* os) { *os << c.nome; }

class EnvioEmailCaso : public EnvioEmail, public ::testing::WithParamInterface<CasoEnvio> {};

TEST_P(EnvioEmailCaso, ChegaComoFoiEnviado) {
  const CasoEnvio& c = GetParam();
  Inicia(c.tlsImplicito);
  auto& host = Host(c.tlsImplicito);
  std::string anexo = c.anexoWindows;
  if (!c.anexoWindows.empty()) {
    teste::GravarTudo(host.Local(c.anexoWindows), c.conteudo);
  } else {
    anexo = (pasta_.Caminho() / c.anexoLocal).string();
    teste::GravarTudo(anexo, c.conteudo);
  }

  std::time_t antes = std::time(nullptr);
  ASSERT_TRUE(Envia(c.destinatario, c.assunto, c.corpo, anexo)) << Log();
  std::time_t depois = std::time(nullptr);

  auto recebidas = Recebidas();
  ASSERT_EQ(recebidas.size(), 1u) << servidor_->Log();
  const auto& m = recebidas[0];
  EXPECT_EQ(m.Campo("defeitos"), "");
  EXPECT_EQ(m.Campo("remetente"), kRemetente);
  EXPECT_EQ(m.Linhas("destinatarios"), c.destinatariosEsperados);
  EXPECT_EQ(m.Linhas("para"), c.destinatariosEsperados);
  EXPECT_EQ(m.Campo("de-nome"), kNomeRemetente);
  EXPECT_EQ(m.Campo("de-endereco"), kRemetente);
  EXPECT_EQ(m.Campo("assunto"), c.assuntoEsperado);
  ASSERT_TRUE(m.Tem("data-epoca")) << m.Campo("mensagem.eml");
  std::time_t data = std::stoll(m.Campo("data-epoca"));
  EXPECT_GE(data, antes - 1);
  EXPECT_LE(data, depois + 1);
  EXPECT_TRUE(std::regex_match(m.Campo("id-mensagem"), std::regex("<[^<>@ ]+@padaria\\.com\\.br>")))
      << m.Campo("id-mensagem");
  EXPECT_EQ(m.Campo("versao-mime"), "1.0");

  EXPECT_EQ(m.Campo("corpo-tipo"), "text/plain");
  EXPECT_EQ(m.Campo("corpo-charset"), "utf-8");
  EXPECT_EQ(m.Campo("corpo"), c.corpoEsperado);
  EXPECT_EQ(m.Campo("anexo-1-nome"), c.nomeEsperado);
  EXPECT_EQ(m.Campo("anexo-1-tipo"), c.tipoEsperado);
  EXPECT_EQ(m.Campo("anexo-1"), c.conteudo);
  EXPECT_FALSE(m.Tem("anexo-2"));

  EXPECT_TRUE(LinhasDeFalha().empty()) << Log();
  EXPECT_EQ(Log().find(kSenha), std::string::npos);
}

const std::string kXml = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<nfeProc versao=\"3.10\">") +
                         "<xNome>Padaria São João</xNome></nfeProc>\n";
const std::string kPdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n" + TodosOsBytes() + "\r\n%%EOF\n";
const std::string kZip = std::string("PK\x03\x04\x14\x00\x00\x00", 8) + TodosOsBytes() + TodosOsBytes();
const std::string kAssuntoNFe = "Nota Fiscal Eletrônica da empresa: Padaria São João";
const std::string kAssuntoLongo =
    "Nota Fiscal Eletrônica da empresa: Panificadora e Confeitaria Ação & Coração do Maranhão Ltda — filial nº 2";

INSTANTIATE_TEST_SUITE_P(
    Anexos, EnvioEmailCaso,
    ::testing::Values(
        // The customer's distribution file, as ENVIA EMAIL sends it.
        CasoEnvio{"Xml", false, "cliente@exemplo.com.br", {"cliente@exemplo.com.br"}, kAssuntoNFe, kAssuntoNFe,
                  std::string("Segue em anexo arquivo XML da Nota Fiscal Eletrônica CHAVE DE NR.: ") + kChave,
                  std::string("Segue em anexo arquivo XML da Nota Fiscal Eletrônica CHAVE DE NR.: ") + kChave,
                  std::string("C:\\Dunmor\\nfe\\arquivos\\procNFe\\") + kChave + "-procNFe.xml", "", kXml,
                  std::string(kChave) + "-procNFe.xml", "application/xml"},
        // The DANFE over implicit TLS; blanks around the address do not count.
        CasoEnvio{"PdfTlsImplicito", true, "  cliente@exemplo.com.br ", {"cliente@exemplo.com.br"}, kAssuntoNFe,
                  kAssuntoNFe, "Segue em anexo arquivo PDF da Nota Fiscal Eletrônica",
                  "Segue em anexo arquivo PDF da Nota Fiscal Eletrônica",
                  std::string("C:\\Dunmor\\nfe\\arquivos\\PDF\\") + kChave + ".pdf", "", kPdf,
                  std::string(kChave) + ".pdf", "application/pdf"},
        // The accountant's file to two addresses; CR LF lines kept as they are.
        CasoEnvio{"ZipDoisDestinatarios", false, "contador@contabil.com.br; fiscal@contabil.com.br",
                  {"contador@contabil.com.br", "fiscal@contabil.com.br"}, "NFe da empresa: Padaria", "NFe da empresa: Padaria",
                  "Segue em anexo os arquivos XML das Notas Fiscais Eletrônicas.\r\nMarço/2024\r\nSuporte: (11) 4000-0000",
                  "Segue em anexo os arquivos XML das Notas Fiscais Eletrônicas.\r\nMarço/2024\r\nSuporte: (11) 4000-0000",
                  "", "notas-03-2024.zip", kZip, "notas-03-2024.zip", "application/zip"},
        // A subject too long for one encoded word, a body with bare LF and in
        // Windows-1252, an accented file name of no known type.
        CasoEnvio{"NomeAcentuadoAssuntoLongo", false, "cliente@exemplo.com.br,contador@contabil.com.br",
                  {"cliente@exemplo.com.br", "contador@contabil.com.br"}, kAssuntoLongo, kAssuntoLongo,
                  "Linha 1\nOpera\xE7\xE3o tribut\xE1vel\n", "Linha 1\r\nOperação tributável\r\n",
                  "C:\\Dunmor\\nfe\\arquivos\\Relatório de operações.txt", "", "relatório\r\n",
                  "Relatório de operações.txt", "application/octet-stream"}),
    [](const auto& info) { return std::string(info.param.nome); });

// Two mails of one invoice (XML, then PDF) are two messages with their own identifiers.
TEST_F(EnvioEmail, CadaMensagemTemSeuIdentificador) {
  Inicia();
  auto& host = Host(false);
  teste::GravarTudo(host.Local("C:\\Dunmor\\a.xml"), kXml);
  teste::GravarTudo(host.Local("C:\\Dunmor\\a.pdf"), kPdf);
  ASSERT_TRUE(Envia("cliente@exemplo.com.br", kAssuntoNFe, "XML", "C:\\Dunmor\\a.xml")) << Log();
  ASSERT_TRUE(Envia("cliente@exemplo.com.br", kAssuntoNFe, "PDF", "C:\\Dunmor\\a.pdf")) << Log();
  auto recebidas = Recebidas();
  ASSERT_EQ(recebidas.size(), 2u);
  EXPECT_EQ(recebidas[0].Campo("anexo-1-tipo"), "application/xml");
  EXPECT_EQ(recebidas[1].Campo("anexo-1-tipo"), "application/pdf");
  EXPECT_NE(recebidas[0].Campo("id-mensagem"), recebidas[1].Campo("id-mensagem"));
}

// No attachment named: the text alone goes.
TEST_F(EnvioEmail, SemAnexoSoOTexto) {
  Inicia();
  Host(false);
  ASSERT_TRUE(Envia("cliente@exemplo.com.br", kAssuntoNFe, "Só o texto.", "")) << Log();
  auto recebidas = Recebidas();
  ASSERT_EQ(recebidas.size(), 1u);
  EXPECT_EQ(recebidas[0].Campo("corpo"), "Só o texto.");
  EXPECT_FALSE(recebidas[0].Tem("anexo-1"));
}

// --- Mails that are not sent -----------------------------------------------

struct CasoFalha {
  const char* nome;
  Registro registro;          // replaced or added values
  std::string destinatario;
  std::string anexo;          // Windows path; a.xml exists, nothing else does
  std::string causa;          // in the log line
  bool usaOutraAc = false;
};

void PrintTo(const CasoFalha& c, std::ostream* os) { *os << c.nome; }

class EnvioEmailFalha : public EnvioEmail, public ::testing::WithParamInterface<CasoFalha> {};

TEST_P(EnvioEmailFalha, FalsoComUmaLinhaDeLog) {
  const CasoFalha& c = GetParam();
  Inicia(false, {"recusado@exemplo.com.br"});
  Registro registro = c.registro;
  if (c.usaOutraAc) registro.emplace_back("EmailArquivoAC", certificados_.outraAc.string());
  auto& host = Host(false, registro);
  teste::GravarTudo(host.Local("C:\\Dunmor\\a.xml"), kXml);

  EXPECT_FALSE(Envia(c.destinatario, kAssuntoNFe, "corpo", c.anexo));
  EXPECT_TRUE(Recebidas().empty());
  auto linhas = LinhasDeFalha();
  ASSERT_EQ(linhas.size(), 1u) << Log();
  EXPECT_NE(linhas[0].find(c.causa), std::string::npos) << linhas[0];
  EXPECT_EQ(Log().find(kSenha), std::string::npos) << Log();
}

INSTANTIATE_TEST_SUITE_P(
    Recusas, EnvioEmailFalha,
    ::testing::Values(
        CasoFalha{"SemDestinatario", {}, "", "C:\\Dunmor\\a.xml", "nenhum endereço de destinatário"},
        CasoFalha{"SoSeparadores", {}, " ; , ", "C:\\Dunmor\\a.xml", "nenhum endereço de destinatário"},
        // A line break in the field must not smuggle a header or a second recipient in.
        CasoFalha{"QuebraDeLinhaNoEndereco", {}, "cliente@exemplo.com.br\r\nBcc: outro@exemplo.com",
                  "C:\\Dunmor\\a.xml", "endereço de destinatário inválido"},
        CasoFalha{"EnderecoSemArroba", {}, "cliente.exemplo.com.br", "C:\\Dunmor\\a.xml",
                  "endereço de destinatário inválido"},
        CasoFalha{"AnexoInexistente", {}, "cliente@exemplo.com.br", "C:\\Dunmor\\nfe\\arquivos\\PDF\\nao-gerado.pdf",
                  "arquivo anexo não encontrado: C:\\Dunmor\\nfe\\arquivos\\PDF\\nao-gerado.pdf"},
        CasoFalha{"AnexoEhPasta", {}, "cliente@exemplo.com.br", "C:\\Dunmor", "arquivo anexo não encontrado"},
        CasoFalha{"SenhaErrada", {{"EmailSenha", "outra-senha"}}, "cliente@exemplo.com.br", "C:\\Dunmor\\a.xml",
                  "o servidor recusou o login do usuário \"nfe@padaria.com.br\""},
        CasoFalha{"DestinatarioRecusado", {}, "cliente@exemplo.com.br; recusado@exemplo.com.br", "C:\\Dunmor\\a.xml",
                  "o servidor recusou o destinatário"},
        CasoFalha{"AcQueNaoAssinouOServidor", {}, "cliente@exemplo.com.br", "C:\\Dunmor\\a.xml",
                  "o certificado do servidor não foi aceito", true},
        CasoFalha{"ArquivoDaAcInexistente", {{"EmailArquivoAC", "C:\\Dunmor\\ac.pem"}}, "cliente@exemplo.com.br",
                  "C:\\Dunmor\\a.xml", "arquivo da AC não encontrado"},
        // Without STARTTLS the server refuses to go on; nothing goes out in the clear.
        CasoFalha{"SemCriptografiaNumServidorQueExige", {{"EmailSeguranca", "NENHUMA"}}, "cliente@exemplo.com.br",
                  "C:\\Dunmor\\a.xml", "o servidor exige conexão segura ou login antes do envio"},
        CasoFalha{"SemServidor", {{"EmailServidor", ""}}, "cliente@exemplo.com.br", "C:\\Dunmor\\a.xml",
                  "valor \"EmailServidor\" da chave nfe não configurado"},
        CasoFalha{"SemRemetente", {{"EmailRemetente", ""}, {"EmailUsuario", "usuario"}}, "cliente@exemplo.com.br",
                  "C:\\Dunmor\\a.xml", "valor \"EmailRemetente\" da chave nfe não configurado"},
        CasoFalha{"SegurancaDesconhecida", {{"EmailSeguranca", "TLS1.3"}}, "cliente@exemplo.com.br",
                  "C:\\Dunmor\\a.xml", "valor \"EmailSeguranca\" inválido: \"TLS1.3\""},
        CasoFalha{"PortaInvalida", {{"EmailPorta", "70000"}}, "cliente@exemplo.com.br", "C:\\Dunmor\\a.xml",
                  "valor \"EmailPorta\" inválido: \"70000\""}),
    [](const auto& info) { return std::string(info.param.nome); });

// A server that takes the connection and never answers costs no more than the total timeout.
TEST_F(EnvioEmail, ServidorMudoEsgotaOTempoLimite) {
  teste::ServidorMudo mudo;
  certificados_ = teste::CriaCertificadosSmtp(pasta_.Caminho() / "certificados");
  auto& host = Host(false, {{"EmailPorta", std::to_string(mudo.Porta())},
                            {"EmailTempoLimiteConexao", "1"},
                            {"EmailTempoLimiteTotal", "2"}});
  teste::GravarTudo(host.Local("C:\\Dunmor\\a.xml"), kXml);
  auto inicio = Clock::now();
  EXPECT_FALSE(Envia("cliente@exemplo.com.br", kAssuntoNFe, "corpo", "C:\\Dunmor\\a.xml"));
  double segundos = std::chrono::duration<double>(Clock::now() - inicio).count();
  EXPECT_GE(segundos, 0.9);
  EXPECT_LT(segundos, 4.0);
  auto linhas = LinhasDeFalha();
  ASSERT_EQ(linhas.size(), 1u) << Log();
  EXPECT_NE(linhas[0].find("tempo limite esgotado"), std::string::npos) << linhas[0];
}

}  // namespace
}  // namespace velant
