// What the two e-mail commands answer, with a stand-in component that
// records what it was asked to mail and fails the mails a test names:
// - which files a request may have mailed: the Host's root holds its secrets
//   (certificate, registry file, INI, database, logs) beside the shop's
//   invoices, and a refused file never reaches the component;
// - which mails go to whom, with which subject, text and file, and the boxes,
//   questions and log lines of each outcome;
// - "ENVIA EMAIL" succeeds only when every copy went, and names the one that
//   did not.
// The mails on the wire (MIME, STARTTLS, AUTH, time limits) are the
// component's tests against a real SMTP server, and email_envio.sh's.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "apoio/arquivos_teste.h"
#include "base/texto.h"
#include "component/xml/chave_acesso.h"
#include "componente_inesperado.h"
#include "data/conexao_nfe.h"
#include "data/configuracao_banco.h"
#include "lifecycle/carta_correcao.h"
#include "lifecycle/envia_email_contador.h"
#include "lifecycle/envia_email_nfe.h"
#include "manager/ambiente_teste.h"

namespace velant {
namespace {

namespace fs = std::filesystem;

constexpr const char* kChave = "35160111222333000181550010000001231000001230";
const std::string kConfig = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\";
const std::string kCertificado = "C:\\KorvanePafEcf\\NFe\\certificado.pfx";
const std::string kProcNFe = std::string("C:\\Dunmor\\nfe\\arquivos\\procNFe\\") + kChave + "-procNFe.xml";
const std::string kPdf = std::string("C:\\Dunmor\\nfe\\arquivos\\PDF\\") + kChave + ".pdf";
const std::string kZip = "C:\\Dunmor\\contabil\\Notas-03-2024.zip";

struct Envio {
  std::string destinatario, anexo, assunto, corpo;
  bool operator==(const Envio& o) const {
    return destinatario == o.destinatario && fs::path(anexo) == fs::path(o.anexo) && assunto == o.assunto &&
           corpo == o.corpo;
  }
};
void PrintTo(const Envio& e, std::ostream* os) { *os << "{" << e.destinatario << " | " << e.anexo << " | " << e.assunto << " | " << e.corpo << "}"; }

// A mail that does not go: the address and the attachment's extension;
// {"*", "*"}: none goes (a login the server refuses).
using Falhas = std::set<std::pair<std::string, std::string>>;
const Falhas kNenhumVai = {{"*", "*"}};

class ComponenteEmail : public teste::ComponenteInesperado {
 public:
  ComponenteEmail(std::vector<Envio>& envios, const Falhas& falhas) : envios_(envios), falhas_(falhas) {}
  bool EnviaEmail(const std::string& destinatario, const std::string& assunto, const std::string& corpo,
                  const std::string& anexo) override {
    if (falhas_.count({destinatario, fs::path(anexo).extension().string()}) || falhas_.count({"*", "*"}))
      return false;
    envios_.push_back({destinatario, anexo, assunto, corpo});
    return true;
  }

 private:
  std::vector<Envio>& envios_;
  const Falhas& falhas_;
};

// A Host root laid out as installed: its own files and the shop's invoices.
class Anexos : public ::testing::Test {
 protected:
  Anexos() {
    teste::GravarTudo(a.registro.Arquivo(),
                      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n"
                      "\"Certificado\"=\"C:\\\\KorvanePafEcf\\\\NFe\\\\certificado.pfx\"\r\n"
                      "\"SenhaCertificado\"=\"1234\"\r\n\"EmailSenha\"=\"segredo\"\r\n");
    Grava(kCertificado, "certificado e chave privada");
    Grava(kConfig + "servicos.xml", "<servicos/>");
    data::GarantirConfiguracaoBanco(a.ini);
    banco = std::make_unique<data::CConexaoNfe>(a.ini, a.caminhos, a.ui);
    a.log.RegistraEvento("linha do log", true, false);
    Grava(kProcNFe, "<nfeProc/>");
    Grava(kPdf, "%PDF-1.4");
    Grava(kZip, "PK\x03\x04");
    a.atual.PastaBase = "C:\\Dunmor";
    a.ctx.CriaFiscalDocService = [this] { return std::make_unique<ComponenteEmail>(envios, falhas); };
  }
  ~Anexos() override { banco.reset(); }

  void Grava(const std::string& windows, const std::string& conteudo) {
    teste::GravarTudo(a.caminhos.MapearParaGravar(windows), conteudo);
  }
  fs::path Local(const std::string& windows) { return a.caminhos.Mapear(windows); }

  teste::AmbienteTeste a;
  std::unique_ptr<data::CConexaoNfe> banco;
  std::vector<Envio> envios;
  Falhas falhas;
};

// How the test places the file a request names.
enum class Preparo { Nenhum, LinkParaBanco, LinkParaPastaDoHost, SegundoNomeDoCertificado, BancoComoZip };

struct CasoAnexo {
  const char* nome;
  std::string pastaBase;
  std::string anexo;
  Preparo preparo = Preparo::Nenhum;
  std::string recusa;   // empty: mailed
};
void PrintTo(const CasoAnexo& c, std::ostream* os) { *os << c.nome; }

class AnexoContador : public Anexos, public ::testing::WithParamInterface<CasoAnexo> {};

TEST_P(AnexoContador, SoDocumentosDaLojaSaoEnviados) {
  const CasoAnexo& c = GetParam();
  const std::string banco = kConfig + "dvk_data.db";
  switch (c.preparo) {
    case Preparo::Nenhum: break;
    case Preparo::LinkParaBanco:
      fs::create_directories(Local(c.anexo).parent_path());
      fs::create_symlink(Local(banco), Local(c.anexo));
      break;
    case Preparo::LinkParaPastaDoHost:
      fs::create_directory_symlink(Local(kConfig), Local("C:\\Dunmor\\atalho"));
      break;
    case Preparo::SegundoNomeDoCertificado:
      fs::create_directories(Local(c.anexo).parent_path());
      fs::create_hard_link(Local(kCertificado), Local(c.anexo));
      break;
    case Preparo::BancoComoZip: {
      // The installation keeps its database among the shop's files, under another name.
      a.ini.GravarIni(data::kSecaoBanco, data::kChaveArquivoBanco, c.anexo, data::kCaminhoIni);
      this->banco = std::make_unique<data::CConexaoNfe>(a.ini, a.caminhos, a.ui);
      ASSERT_TRUE(this->banco->ConexaoAtiva());
      break;
    }
  }
  ASSERT_TRUE(fs::exists(Local(c.anexo))) << c.anexo;
  a.atual.PastaBase = c.pastaBase;
  a.atual.EmailDestinatario = "contador@contabil.com.br";
  a.atual.ArquivoAnexoEmail = c.anexo;

  const bool enviado = EnviaEmailContador(a.ctx);

  if (c.recusa.empty()) {
    EXPECT_TRUE(enviado);
    ASSERT_EQ(envios.size(), 1u);
    EXPECT_EQ(fs::path(envios[0].anexo), Local(c.anexo));
    EXPECT_EQ(a.atual.MotivoFalha, "");
  } else {
    EXPECT_FALSE(enviado);
    EXPECT_TRUE(envios.empty()) << envios[0].anexo;
    EXPECT_EQ(a.atual.MotivoFalha, c.recusa);
    EXPECT_LE(Len(a.atual.MotivoFalha), 50);
    EXPECT_NE(a.ArquivoLog().find(" - " + std::string(6, ' ') + c.recusa + ": " + c.anexo + "\r\n"), std::string::npos)
        << a.ArquivoLog();
    ASSERT_FALSE(a.ui.Caixas().empty());
    EXPECT_EQ(a.ui.Caixas().back().titulo, "Anexo Recusado!");
  }
}

const std::string kLog = kConfig + "Log\\VelantNFe_05_12_2026.LOG";

INSTANTIATE_TEST_SUITE_P(
    EnviaEmailContador, AnexoContador,
    ::testing::Values(
        CasoAnexo{"ZipDaLoja", "C:\\Dunmor", kZip, Preparo::Nenhum, ""},
        CasoAnexo{"XmlDaNota", "C:\\Dunmor", kProcNFe, Preparo::Nenhum, ""},
        CasoAnexo{"PdfDaNota", "C:\\Dunmor", kPdf, Preparo::Nenhum, ""},
        CasoAnexo{"BaseEmOutraGrafia", "c:/dunmor/", kZip, Preparo::Nenhum, ""},
        // The request chooses the base folder too: it must not open the Host's own.
        CasoAnexo{"Certificado", "C:\\KorvanePafEcf", kCertificado, Preparo::Nenhum,
                  "Anexo recusado: só XML, PDF ou ZIP"},
        CasoAnexo{"Ini", "C:\\KorvanePafEcf", kConfig + "VelantNFe.ini", Preparo::Nenhum,
                  "Anexo recusado: só XML, PDF ou ZIP"},
        CasoAnexo{"Banco", "C:\\KorvanePafEcf", kConfig + "dvk_data.db", Preparo::Nenhum,
                  "Anexo recusado: só XML, PDF ou ZIP"},
        CasoAnexo{"BancoWal", "C:\\KorvanePafEcf", kConfig + "dvk_data.db-wal", Preparo::Nenhum,
                  "Anexo recusado: só XML, PDF ou ZIP"},
        CasoAnexo{"BancoShm", "C:\\KorvanePafEcf", kConfig + "dvk_data.db-shm", Preparo::Nenhum,
                  "Anexo recusado: só XML, PDF ou ZIP"},
        CasoAnexo{"Log", "C:\\KorvanePafEcf", kLog, Preparo::Nenhum, "Anexo recusado: só XML, PDF ou ZIP"},
        CasoAnexo{"RegistroNaRaiz", "C:\\Dunmor", "registro.reg", Preparo::Nenhum,
                  "Anexo recusado: fora da pasta base"},
        CasoAnexo{"XmlDaPastaDoHost", "C:\\KorvanePafEcf", kConfig + "servicos.xml", Preparo::Nenhum,
                  "Anexo recusado: pasta do Host"},
        CasoAnexo{"BaseNaPastaDoHost", kConfig, kConfig + "servicos.xml", Preparo::Nenhum,
                  "Anexo recusado: pasta do Host"},
        CasoAnexo{"ForaDaPastaBase", "C:\\Dunmor\\nfe", kZip, Preparo::Nenhum, "Anexo recusado: fora da pasta base"},
        CasoAnexo{"PontoPonto", "C:\\Dunmor", "C:\\Dunmor\\nfe\\..\\..\\KorvanePafEcf\\NFe\\VelantNFe\\servicos.xml",
                  Preparo::Nenhum, "Anexo recusado: caminho com '..'"},
        CasoAnexo{"LinkParaOBanco", "C:\\Dunmor", "C:\\Dunmor\\nfe\\arquivos\\procNFe\\copia-procNFe.xml",
                  Preparo::LinkParaBanco, "Anexo recusado: link simbólico"},
        CasoAnexo{"PastaLinkParaOHost", "C:\\Dunmor", "C:\\Dunmor\\atalho\\servicos.xml",
                  Preparo::LinkParaPastaDoHost, "Anexo recusado: link simbólico"},
        CasoAnexo{"SegundoNomeDoCertificado", "C:\\Dunmor", "C:\\Dunmor\\contabil\\notas.zip",
                  Preparo::SegundoNomeDoCertificado, "Anexo recusado: arquivo com mais de um nome"},
        CasoAnexo{"BancoEntreOsArquivos", "C:\\Dunmor", "C:\\Dunmor\\contabil\\dados.zip", Preparo::BancoComoZip,
                  "Anexo recusado: pasta do Host"}),
    [](const auto& info) { return std::string(info.param.nome); });

// "ENVIA EMAIL" builds its paths from the base folder and the key the request
// gives: neither reaches past the invoice folders.
struct CasoNota {
  const char* nome;
  std::string chave;
  bool pdfLinkParaCertificado;
  std::string recusa;
};
void PrintTo(const CasoNota& c, std::ostream* os) { *os << c.nome; }

class AnexoNota : public Anexos, public ::testing::WithParamInterface<CasoNota> {};

TEST_P(AnexoNota, SoArquivosDaNota) {
  const CasoNota& c = GetParam();
  if (c.pdfLinkParaCertificado) {
    fs::remove(Local(kPdf));
    fs::create_symlink(Local(kCertificado), Local(kPdf));
  }
  // What the key's path leads to exists, so that only the rule can stop it.
  Grava("C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + c.chave + "-procNFe.xml", "<nfeProc/>");
  Grava("C:\\Dunmor\\nfe\\arquivos\\PDF\\" + c.chave + ".pdf", "%PDF-1.4");
  a.atual.ChaveAcessoSolicitada = c.chave;
  a.atual.EmailDestinatario = "cliente@exemplo.com.br";

  const bool enviado = EnviaEmailNFe(a.ctx);

  EXPECT_EQ(enviado, c.recusa.empty());
  EXPECT_EQ(envios.size(), c.recusa.empty() ? 2u : 0u);
  EXPECT_EQ(a.atual.MotivoFalha, c.recusa);
}

INSTANTIATE_TEST_SUITE_P(
    EnviaEmailNFe, AnexoNota,
    ::testing::Values(CasoNota{"NotaDaLoja", kChave, false, ""},
                      CasoNota{"ChaveComPontoPonto", "..\\..\\..\\..\\KorvanePafEcf\\NFe\\VelantNFe\\servicos", false,
                               "Anexo recusado: caminho com '..'"},
                      CasoNota{"PdfLinkParaOCertificado", kChave, true, "Anexo recusado: link simbólico"}),
    [](const auto& info) { return std::string(info.param.nome); });

// --- Every copy of "ENVIA EMAIL" -------------------------------------------------

constexpr const char* kCliente = "cliente@exemplo.com.br";
constexpr const char* kContador = "contador@contabil.com.br";

struct CasoCopias {
  const char* nome;
  std::string cliente;    // EmailDestinatario (no input box answer: empty stays empty)
  std::string contador;   // EmailEmitente
  Falhas falhas;
  std::string motivo;     // empty: the request succeeds
};
void PrintTo(const CasoCopias& c, std::ostream* os) { *os << c.nome; }

class Copias : public Anexos, public ::testing::WithParamInterface<CasoCopias> {};

TEST_P(Copias, SoTodasAsCopiasSaoSucesso) {
  const CasoCopias& c = GetParam();
  falhas = c.falhas;
  a.atual.ChaveAcessoSolicitada = kChave;
  a.atual.EmailDestinatario = c.cliente;
  a.atual.EmailEmitente = c.contador;
  a.ui.ResponderProximaEntrada("");

  EXPECT_EQ(EnviaEmailNFe(a.ctx), c.motivo.empty());
  EXPECT_EQ(a.atual.MotivoFalha, c.motivo);
  EXPECT_LE(Len(a.atual.MotivoFalha), 50);
}

INSTANTIATE_TEST_SUITE_P(
    EnviaEmailNFe, Copias,
    ::testing::Values(
        CasoCopias{"TodasForam", kCliente, kContador, {}, ""},
        CasoCopias{"SemContadorSoOCliente", kCliente, "", {}, ""},
        CasoCopias{"PdfDoContadorFalhou", kCliente, kContador, {{kContador, ".pdf"}},
                   "Email não enviado ao contador (PDF)"},
        CasoCopias{"XmlDoContadorFalhou", kCliente, kContador, {{kContador, ".xml"}},
                   "Email não enviado ao contador (XML)"},
        CasoCopias{"ContadorSemNenhum", kCliente, kContador, {{kContador, ".xml"}, {kContador, ".pdf"}},
                   "Email não enviado ao contador"},
        CasoCopias{"XmlDoClienteFalhou", kCliente, kContador, {{kCliente, ".xml"}},
                   "Email não enviado ao cliente (XML)"},
        CasoCopias{"ClienteSemEndereco", "", kContador, {}, "Email não enviado ao cliente"},
        CasoCopias{"NenhumDosDois", kCliente, kContador, {{kCliente, ".pdf"}, {kContador, ".pdf"}},
                   "Email não enviado ao cliente nem ao contador"}),
    [](const auto& info) { return std::string(info.param.nome); });

// --- What goes, to whom, and what the operator sees -----------------------------

constexpr const char* kEmpresa = "Padaria São João";

// A box as the routine asked for it.
struct Caixa {
  std::string prompt;
  int estilo = vbOKOnly;
  std::string titulo;
  bool operator==(const Caixa&) const = default;
};
void PrintTo(const Caixa& c, std::ostream* os) { *os << "{" << c.prompt << " | " << c.estilo << " | " << c.titulo << "}"; }

class Envios : public Anexos {
 protected:
  std::vector<Caixa> Caixas() const {
    std::vector<Caixa> caixas;
    for (const auto& c : a.ui.Caixas()) caixas.push_back({c.prompt, c.estilo, c.titulo});
    return caixas;
  }
  // The lines in this order in the log file, each after its time.
  void LinhasNoLog(const std::vector<std::string>& linhas) const {
    const std::string log = a.ArquivoLog();
    size_t p = 0;
    for (const std::string& linha : linhas) {
      p = log.find(" - " + linha + "\r\n", p);
      ASSERT_NE(p, std::string::npos) << linha << "\n" << log;
    }
  }
  void Pergunta(const std::string& prompt) const {
    ASSERT_EQ(a.ui.Entradas().size(), 1u);
    EXPECT_EQ(a.ui.Entradas()[0].prompt, prompt);
    EXPECT_EQ(a.ui.Entradas()[0].titulo, "Envio de Email");
  }
};

enum class OndeXml { Principal, PastaDoMes, Nenhum };
const std::string kProcNFeDoMes = std::string("C:\\Dunmor\\nfe\\arquivos\\procNFe\\201601\\") + kChave + "-procNFe.xml";

struct CasoNFe {
  const char* nome;
  std::string destinatario;        // EmailDestinatario
  std::string contador;            // EmailEmitente
  std::string digitado;            // the input box's answer
  OndeXml xml = OndeXml::Principal;
  bool pdf = true;
  Falhas falhas;
  std::vector<std::string> enderecos;   // each receives XML then PDF, in this order
  std::vector<Caixa> caixas;
};
void PrintTo(const CasoNFe& c, std::ostream* os) { *os << c.nome; }

const Caixa kSemPdf{"O arquivo PDF desta NFe não foi gerado.\r\nClique no botão Imprimir para que seja gerado o arquivo PDF.",
                    vbInformation, "Arquivo PDF Inexistente!"};
const Caixa kSemXml{"O arquivo XML desta NFe não foi encontrado.\r\nPor este motivo não será possível enviar o email.",
                    vbCritical, "Arquivo XML Inexistente!"};
const Caixa kFalhaCliente{"Problemas no envio do email para o cliente.", vbOKOnly, ""};
const Caixa kContadorOk{"Email enviado com sucesso para o(a) contador(a).", vbOKOnly, ""};
const Caixa kFalhaContador{"Problemas no envio do email para o(a) contador(a)..", vbOKOnly, ""};

class EnvioNFe : public Envios, public ::testing::WithParamInterface<CasoNFe> {
 protected:
  void ArquivosDaNota(OndeXml xml, bool pdf) {
    if (xml != OndeXml::Principal) fs::remove(Local(kProcNFe));
    if (xml == OndeXml::PastaDoMes) Grava(kProcNFeDoMes, "<nfeProc/>");
    if (!pdf) fs::remove(Local(kPdf));
    a.atual.ChaveAcessoSolicitada = kChave;
    a.atual.NomeEmpresaEmissora = kEmpresa;
  }
};

TEST_P(EnvioNFe, MandaXmlEPdfAosEnderecos) {
  const CasoNFe& c = GetParam();
  ArquivosDaNota(c.xml, c.pdf);
  falhas = c.falhas;
  a.atual.EmailDestinatario = c.destinatario;
  a.atual.EmailEmitente = c.contador;
  a.ui.ResponderProximaEntrada(c.digitado);

  EXPECT_EQ(EnviaEmailNFe(a.ctx), c.caixas.empty() || c.caixas == std::vector<Caixa>{kContadorOk}) << a.ArquivoLog();

  const std::string assunto = std::string("Nota Fiscal Eletrônica da empresa: ") + kEmpresa;
  const std::string xml = c.xml == OndeXml::PastaDoMes ? kProcNFeDoMes : kProcNFe;
  std::vector<Envio> esperados;
  for (const std::string& e : c.enderecos) {
    esperados.push_back({e, Local(xml).string(), assunto,
                         std::string("Segue em anexo arquivo XML da Nota Fiscal Eletrônica CHAVE DE NR.: ") + kChave});
    esperados.push_back({e, Local(kPdf).string(), assunto,
                         std::string("Segue em anexo arquivo PDF da Nota Fiscal Eletrônica CHAVE DE NR.: ") + kChave});
  }
  EXPECT_EQ(envios, esperados);
  EXPECT_EQ(Caixas(), c.caixas);
  // Asked for only when the request has no address; the answer is not kept.
  if (c.destinatario.empty())
    Pergunta("Informe o Email do destinatario");
  else
    EXPECT_TRUE(a.ui.Entradas().empty());
  EXPECT_EQ(a.atual.EmailDestinatario, c.destinatario);
  EXPECT_FALSE(a.ui.Ampulheta());
}

INSTANTIATE_TEST_SUITE_P(
    EnviaEmailNFe, EnvioNFe,
    ::testing::Values(
        CasoNFe{"SoOCliente", kCliente, "", "", OndeXml::Principal, true, {}, {kCliente}, {}},
        CasoNFe{"ClienteEContador", kCliente, kContador, "", OndeXml::Principal, true, {}, {kCliente, kContador},
                {kContadorOk}},
        CasoNFe{"XmlSoNaPastaDoMesDaChave", kCliente, "", "", OndeXml::PastaDoMes, true, {}, {kCliente}, {}},
        CasoNFe{"EnderecoDigitado", "", "", "digitado@exemplo.com.br", OndeXml::Principal, true, {},
                {"digitado@exemplo.com.br"}, {}},
        // Nothing to the customer, the failure box, and the accountant still gets both files.
        CasoNFe{"SemEnderecoDoCliente", "", kContador, "", OndeXml::Principal, true, {}, {kContador},
                {kFalhaCliente, kContadorOk}},
        CasoNFe{"ClienteRecusadoContadorRecebe", kCliente, kContador, "", OndeXml::Principal, true,
                {{kCliente, ".xml"}, {kCliente, ".pdf"}}, {kContador}, {kFalhaCliente, kContadorOk}},
        // A missing PDF stops everything before any mail.
        CasoNFe{"SemPdf", kCliente, kContador, "", OndeXml::Principal, false, {}, {}, {kSemPdf}},
        CasoNFe{"SemPdfNemXml", kCliente, kContador, "", OndeXml::Nenhum, false, {}, {}, {kSemPdf}},
        // No mail goes without its XML, to the customer or to the accountant.
        CasoNFe{"SemXml", kCliente, kContador, "", OndeXml::Nenhum, true, {}, {}, {kSemXml}},
        CasoNFe{"NenhumVai", kCliente, kContador, "", OndeXml::Principal, true, kNenhumVai, {},
                {kFalhaCliente, kFalhaContador}}),
    [](const auto& info) { return std::string(info.param.nome); });

// What goes to the log file, and what also to the list on the screen.
TEST_F(EnvioNFe, LinhasDoLog) {
  ArquivosDaNota(OndeXml::PastaDoMes, true);
  a.atual.EmailDestinatario = kCliente;
  ASSERT_TRUE(EnviaEmailNFe(a.ctx)) << a.ArquivoLog();
  LinhasNoLog({std::string("      Destinatario: ") + kCliente, "      Enviando NFe: " + kProcNFeDoMes,
               "      Resultado: Verdadeiro", "      Enviando PDF: " + kPdf, "      Resultado: Verdadeiro"});
  EXPECT_FALSE(a.NaLista("      Enviando NFe: " + kProcNFeDoMes));
  EXPECT_TRUE(a.NaLista("      Enviando PDF: " + kPdf));
}

TEST_F(EnvioNFe, SemXmlOLogDizOndeProcurou) {
  ArquivosDaNota(OndeXml::Nenhum, true);
  a.atual.EmailDestinatario = kCliente;
  EXPECT_FALSE(EnviaEmailNFe(a.ctx));
  LinhasNoLog({"      Arquivo XML da NFe inexistente: " + kProcNFeDoMes});
}

// --- ENVIA NFE EMAIL CONT -----------------------------------------------------

// Stands for a file of the Host's computer outside its root.
constexpr const char* kForaDaRaiz = "{fora}";

struct CasoContador {
  const char* nome;
  std::string destinatario;   // EmailDestinatario
  std::string digitado;       // the input box's answer
  std::string arquivo;        // ArquivoAnexoEmail; only kZip exists under the root
  std::string telefone;       // TelefoneSuporte
  Falhas falhas;
  std::string corpo;          // of the mail that went; none when empty
  std::vector<Caixa> caixas;
};
void PrintTo(const CasoContador& c, std::ostream* os) { *os << c.nome; }

const std::string kCorpoContador = "Segue em anexo os arquivos XML das Notas Fiscais Eletrônicas.\r\nNotas de março/2024";
const std::string kComSuporte = kCorpoContador + "\r\nSuporte: (11) 4000-0000";
const Caixa kFalhaEscritorio{"Problemas no envio do email para o escritório de contabilidade.", vbCritical,
                             "Erro ao enviar Email"};
Caixa ArquivoInexistente(const std::string& arquivo) {
  return {"O arquivo " + arquivo + " não existe.\r\nPor este motivo não será possível enviar o email.", vbCritical,
          "Arquivo Inexistente!"};
}

class EnvioContador : public Envios, public ::testing::WithParamInterface<CasoContador> {};

TEST_P(EnvioContador, MandaOArquivoCompactado) {
  const CasoContador& c = GetParam();
  teste::GravarTudo(a.registro.Arquivo(),
                    teste::LerTudo(a.registro.Arquivo()) + "\"TelefoneSuporte\"=\"" + c.telefone + "\"\r\n");
  // The same file outside the root.
  teste::PastaTemporaria pasta;
  const std::string fora = (pasta.Caminho() / "fora.zip").string();
  teste::GravarTudo(fora, "PK\x03\x04");
  falhas = c.falhas;
  a.atual.NomeEmpresaEmissora = kEmpresa;
  a.atual.EmailDestinatario = c.destinatario;
  a.atual.ArquivoAnexoEmail = c.arquivo == kForaDaRaiz ? fora : c.arquivo;
  a.atual.TextoAdicionalEmail = "Notas de março/2024";
  a.ui.ResponderProximaEntrada(c.digitado);

  EXPECT_EQ(EnviaEmailContador(a.ctx), !c.corpo.empty()) << a.ArquivoLog();

  std::vector<Envio> esperados;
  if (!c.corpo.empty())
    esperados.push_back({c.destinatario.empty() ? c.digitado : c.destinatario, Local(c.arquivo).string(),
                         std::string("NFe da empresa: ") + kEmpresa, c.corpo});
  EXPECT_EQ(envios, esperados);
  std::vector<Caixa> caixas = c.caixas;
  for (auto& cx : caixas) cx.prompt = Replace(cx.prompt, kForaDaRaiz, fora);
  EXPECT_EQ(Caixas(), caixas);
  // Asked for only when the request has no address; the answer is kept.
  if (c.destinatario.empty()) {
    Pergunta("Informe o Email do destinatario (Contabilidade)");
    EXPECT_EQ(a.atual.EmailDestinatario, c.digitado);
  } else {
    EXPECT_TRUE(a.ui.Entradas().empty());
  }
  EXPECT_FALSE(a.ui.Ampulheta());
}

INSTANTIATE_TEST_SUITE_P(
    EnviaEmailContador, EnvioContador,
    ::testing::Values(
        CasoContador{"ComTelefoneDeSuporte", kContador, "", kZip, " (11) 4000-0000 ", {}, kComSuporte, {}},
        CasoContador{"SemTelefoneDeSuporte", kContador, "", kZip, "", {}, kCorpoContador, {}},
        // Folders are matched without regard to letter case, as on the front end's drive.
        CasoContador{"CaixaDasPastasDiferente", kContador, "", "c:\\DUNMOR\\Contabil\\Notas-03-2024.zip",
                     "(11) 4000-0000", {}, kComSuporte, {}},
        CasoContador{"EnderecoDigitado", "", kContador, kZip, "(11) 4000-0000", {}, kComSuporte, {}},
        CasoContador{"SemEndereco", "", "", kZip, "", {}, "", {kFalhaEscritorio}},
        CasoContador{"ArquivoInexistente", kContador, "", "C:\\Dunmor\\contabil\\Notas-04-2024.zip", "", {}, "",
                     {ArquivoInexistente("C:\\Dunmor\\contabil\\Notas-04-2024.zip")}},
        CasoContador{"SemArquivo", kContador, "", "", "", {}, "", {ArquivoInexistente("")}},
        CasoContador{"PastaNoLugarDoArquivo", kContador, "", "C:\\Dunmor\\contabil", "", {}, "",
                     {ArquivoInexistente("C:\\Dunmor\\contabil")}},
        // A request does not reach files of the computer outside the Host's root.
        CasoContador{"ArquivoForaDaRaiz", kContador, "", kForaDaRaiz, "", {}, "", {ArquivoInexistente(kForaDaRaiz)}},
        CasoContador{"NaoFoi", kContador, "", kZip, "", kNenhumVai, "", {kFalhaEscritorio}}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(EnvioContador, LinhasDoLog) {
  a.atual.EmailDestinatario = kContador;
  a.atual.ArquivoAnexoEmail = kZip;
  ASSERT_TRUE(EnviaEmailContador(a.ctx)) << a.ArquivoLog();
  LinhasNoLog({std::string("      Destinatario: ") + kContador, "      Enviando NFe compactada: " + kZip,
               "      Resultado: Verdadeiro"});
  EXPECT_FALSE(a.NaLista("      Enviando NFe compactada: " + kZip));
  EXPECT_TRUE(a.NaLista("      Resultado: Verdadeiro"));
}

TEST_F(EnvioContador, FalhaNoLog) {
  falhas = kNenhumVai;
  a.atual.EmailDestinatario = kContador;
  a.atual.ArquivoAnexoEmail = kZip;
  EXPECT_FALSE(EnviaEmailContador(a.ctx));
  LinhasNoLog({"      Resultado: Falso"});
}

// A 4.00 key with an alphanumeric CNPJ: its file is found in the key's month folder.
TEST_F(Envios, ChaveAlfanumericaNaPastaDoMes) {
  const std::string chave =
      MontaChaveAcesso("35", "2026-07-15T10:00:00-03:00", "12ABC34501DE35", 55, 1, 7, 1, 7, CnpjNaChave::Alfanumerico);
  const std::string xml = "C:\\Dunmor\\nfe\\arquivos\\procNFe\\202607\\" + chave + "-procNFe.xml";
  Grava(xml, "<nfeProc/>");
  Grava("C:\\Dunmor\\nfe\\arquivos\\PDF\\" + chave + ".pdf", "%PDF-1.4");
  a.atual.ChaveAcessoSolicitada = chave;
  a.atual.EmailDestinatario = kCliente;
  ASSERT_TRUE(EnviaEmailNFe(a.ctx)) << a.ArquivoLog();
  ASSERT_EQ(envios.size(), 2u);
  EXPECT_EQ(fs::path(envios[0].anexo), Local(xml));
}

// Asked for the correction letters: with none stored nothing goes; with two,
// a third mail carries the last one (it has every correction).
TEST_F(Envios, ComACartaDeCorrecao) {
  a.atual.ChaveAcessoSolicitada = kChave;
  a.atual.EmailDestinatario = kCliente;
  a.atual.CartaCorrecaoNoEmail = true;
  EXPECT_FALSE(EnviaEmailNFe(a.ctx));
  EXPECT_EQ(a.atual.MotivoFalha, "Nenhuma carta de correção da NF-e");
  EXPECT_TRUE(envios.empty());

  Grava(ArquivoCartaCorrecao(a.ctx, kChave, 1), "<procEventoNFe/>");
  Grava(ArquivoCartaCorrecao(a.ctx, kChave, 2), "<procEventoNFe>segunda</procEventoNFe>");
  a.atual.MotivoFalha.clear();
  ASSERT_TRUE(EnviaEmailNFe(a.ctx)) << a.ArquivoLog();
  ASSERT_EQ(envios.size(), 3u);
  EXPECT_EQ(fs::path(envios[2].anexo), Local(ArquivoCartaCorrecao(a.ctx, kChave, 2)));
  EXPECT_EQ(envios[2].corpo, std::string("Segue em anexo a Carta de Correção Eletrônica da NF-e CHAVE DE NR.: ") + kChave);
}

}  // namespace
}  // namespace velant
