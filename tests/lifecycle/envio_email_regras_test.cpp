// What the two e-mail commands answer, with a stand-in component that
// records what it was asked to mail and fails the mails a test names:
// - which files a request may have mailed: the Host's root holds its secrets
//   (certificate, registry file, INI, database, logs) beside the shop's
//   invoices, and a refused file never reaches the component;
// - which mails go to whom, and the boxes, questions and log lines of each
//   outcome; "ENVIA EMAIL" succeeds only when every copy went.
// The mails on the wire (subjects, texts, MIME, STARTTLS, AUTH) are the
// component's tests against a real SMTP server, and exemplos_integracao.sh's.
#include <gtest/gtest.h>

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
constexpr const char* kCliente = "cliente@exemplo.com.br";
constexpr const char* kContador = "contador@contabil.com.br";
const std::string kConfig = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\";
const std::string kCertificado = "C:\\KorvanePafEcf\\NFe\\certificado.pfx";
const std::string kProcNFe = std::string("C:\\Dunmor\\nfe\\arquivos\\procNFe\\") + kChave + "-procNFe.xml";
const std::string kProcNFeDoMes = std::string("C:\\Dunmor\\nfe\\arquivos\\procNFe\\201601\\") + kChave + "-procNFe.xml";
const std::string kPdf = std::string("C:\\Dunmor\\nfe\\arquivos\\PDF\\") + kChave + ".pdf";
const std::string kZip = "C:\\Dunmor\\contabil\\Notas-03-2024.zip";

// A mail that does not go: the address and the attachment's extension;
// {"*", "*"}: none goes (a login the server refuses).
using Falhas = std::set<std::pair<std::string, std::string>>;
const Falhas kNenhumVai = {{"*", "*"}};

class ComponenteEmail : public teste::ComponenteInesperado {
 public:
  ComponenteEmail(std::vector<std::string>& envios, const Falhas& falhas) : envios_(envios), falhas_(falhas) {}
  bool EnviaEmail(const std::string& destinatario, const std::string&, const std::string& corpo,
                  const std::string& anexo) override {
    const fs::path p(anexo);
    if (falhas_.count({destinatario, p.extension().string()}) || falhas_.count({"*", "*"})) return false;
    // Each mail as "address folder/file|text", the key written K.
    envios_.push_back(destinatario + " " + Replace((p.parent_path().filename() / p.filename()).string(), kChave, "K") +
                      "|" + corpo);
    return true;
  }

 private:
  std::vector<std::string>& envios_;
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
    Grava("D" + kZip.substr(1), "PK\x03\x04");   // the same folders on another drive
    a.atual.PastaBase = "C:\\Dunmor";
    a.atual.ChaveAcessoSolicitada = kChave;
    a.atual.NomeEmpresaEmissora = "Padaria São João";
    a.ctx.CriaFiscalDocService = [this] { return std::make_unique<ComponenteEmail>(envios, falhas); };
  }
  ~Anexos() override { banco.reset(); }

  void Grava(const std::string& windows, const std::string& conteudo) {
    teste::GravarTudo(a.caminhos.MapearParaGravar(windows), conteudo);
  }
  fs::path Local(const std::string& windows) { return a.caminhos.Mapear(windows); }
  // The mails' "address folder/file", without their texts.
  std::vector<std::string> Resumos() const {
    std::vector<std::string> r;
    for (const auto& e : envios) r.push_back(e.substr(0, e.find('|')));
    return r;
  }
  // The boxes as "prompt|style|title".
  std::vector<std::string> Caixas() const {
    std::vector<std::string> r;
    for (const auto& c : a.ui.Caixas()) r.push_back(c.prompt + "|" + std::to_string(c.estilo) + "|" + c.titulo);
    return r;
  }
  bool NoLog(const std::string& linha) const { return a.ArquivoLog().find(" - " + linha + "\r\n") != std::string::npos; }

  teste::AmbienteTeste a;
  std::unique_ptr<data::CConexaoNfe> banco;
  std::vector<std::string> envios;
  Falhas falhas;
};

// How the test places the file a request names.
enum class Preparo { Nenhum, LinkParaBanco, LinkParaPastaDoHost, SegundoNomeDoCertificado, BancoComoZip };

// recusa: empty: mailed
struct CasoAnexo { const char* nome; std::string pastaBase, anexo; Preparo preparo; std::string recusa; };
void PrintTo(const CasoAnexo& c, std::ostream* os) { *os << c.nome; }

class AnexoContador : public Anexos, public ::testing::WithParamInterface<CasoAnexo> {};

TEST_P(AnexoContador, SoDocumentosDaLojaSaoEnviados) {
  const CasoAnexo& c = GetParam();
  if (c.preparo == Preparo::LinkParaBanco) fs::create_symlink(Local(kConfig + "dvk_data.db"), Local(c.anexo));
  if (c.preparo == Preparo::LinkParaPastaDoHost) fs::create_directory_symlink(Local(kConfig), Local("C:\\Dunmor\\atalho"));
  if (c.preparo == Preparo::SegundoNomeDoCertificado) fs::create_hard_link(Local(kCertificado), Local(c.anexo));
  if (c.preparo == Preparo::BancoComoZip) {
    // The installation keeps its database among the shop's files, under another name.
    a.ini.GravarIni(data::kSecaoBanco, data::kChaveArquivoBanco, c.anexo, data::kCaminhoIni);
    banco = std::make_unique<data::CConexaoNfe>(a.ini, a.caminhos, a.ui);
    ASSERT_TRUE(banco->ConexaoAtiva());
  }
  ASSERT_TRUE(fs::exists(Local(c.anexo))) << c.anexo;
  a.atual.PastaBase = c.pastaBase;
  a.atual.EmailDestinatario = kContador;
  a.atual.ArquivoAnexoEmail = c.anexo;

  EXPECT_EQ(EnviaEmailContador(a.ctx), c.recusa.empty());
  EXPECT_EQ(envios.size(), c.recusa.empty() ? 1u : 0u);
  EXPECT_EQ(a.atual.MotivoFalha, c.recusa);
  EXPECT_LE(Len(a.atual.MotivoFalha), 50);
  if (!c.recusa.empty()) {
    EXPECT_TRUE(NoLog(std::string(6, ' ') + c.recusa + ": " + c.anexo)) << a.ArquivoLog();
    EXPECT_EQ(a.ui.Caixas().back().titulo, "Anexo Recusado!");
  }
}

const std::string kSoXmlPdfZip = "Anexo recusado: só XML, PDF ou ZIP";
const std::string kPastaDoHost = "Anexo recusado: pasta do Host";
const std::string kLink = "Anexo recusado: link simbólico";

INSTANTIATE_TEST_SUITE_P(
    EnviaEmailContador, AnexoContador,
    ::testing::Values(
        CasoAnexo{"ZipDaLoja", "C:\\Dunmor", kZip, Preparo::Nenhum, ""},
        CasoAnexo{"XmlDaNota", "C:\\Dunmor", kProcNFe, Preparo::Nenhum, ""},
        CasoAnexo{"BaseEmOutraGrafia", "c:/dunmor/", kZip, Preparo::Nenhum, ""},
        // The request chooses the base folder too: it must not open the Host's own.
        CasoAnexo{"Certificado", "C:\\KorvanePafEcf", kCertificado, Preparo::Nenhum, kSoXmlPdfZip},
        CasoAnexo{"Banco", "C:\\KorvanePafEcf", kConfig + "dvk_data.db", Preparo::Nenhum, kSoXmlPdfZip},
        CasoAnexo{"BancoWal", "C:\\KorvanePafEcf", kConfig + "dvk_data.db-wal", Preparo::Nenhum, kSoXmlPdfZip},
        CasoAnexo{"RegistroNaRaiz", "C:\\Dunmor", "registro.reg", Preparo::Nenhum, "Anexo recusado: fora da pasta base"},
        CasoAnexo{"XmlDaPastaDoHost", "C:\\KorvanePafEcf", kConfig + "servicos.xml", Preparo::Nenhum, kPastaDoHost},
        CasoAnexo{"BaseNaPastaDoHost", kConfig, kConfig + "servicos.xml", Preparo::Nenhum, kPastaDoHost},
        CasoAnexo{"OutraUnidade", "C:\\Dunmor", "D" + kZip.substr(1), Preparo::Nenhum, "Anexo recusado: fora da pasta base"},
        CasoAnexo{"ForaDaPastaBase", "C:\\Dunmor\\nfe", kZip, Preparo::Nenhum, "Anexo recusado: fora da pasta base"},
        CasoAnexo{"PontoPonto", "C:\\Dunmor", "C:\\Dunmor\\nfe\\..\\..\\KorvanePafEcf\\NFe\\VelantNFe\\servicos.xml", Preparo::Nenhum, "Anexo recusado: caminho com '..'"},
        CasoAnexo{"LinkParaOBanco", "C:\\Dunmor", "C:\\Dunmor\\nfe\\arquivos\\procNFe\\copia-procNFe.xml", Preparo::LinkParaBanco, kLink},
        CasoAnexo{"PastaLinkParaOHost", "C:\\Dunmor", "C:\\Dunmor\\atalho\\servicos.xml", Preparo::LinkParaPastaDoHost, kLink},
        CasoAnexo{"SegundoNomeDoCertificado", "C:\\Dunmor", "C:\\Dunmor\\contabil\\notas.zip", Preparo::SegundoNomeDoCertificado, "Anexo recusado: arquivo com mais de um nome"},
        CasoAnexo{"BancoEntreOsArquivos", "C:\\Dunmor", "C:\\Dunmor\\contabil\\dados.zip", Preparo::BancoComoZip, kPastaDoHost}),
    [](const auto& info) { return std::string(info.param.nome); });

// "ENVIA EMAIL" builds its paths from the base folder and the key the request
// gives: neither reaches past the invoice folders.
TEST_F(Anexos, EnviaEmailNFeSoComArquivosDaNota) {
  const std::string kPontoPonto = "..\\..\\..\\..\\KorvanePafEcf\\NFe\\VelantNFe\\servicos";
  // What the key's path leads to exists, so that only the rule can stop it.
  Grava("C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + kPontoPonto + "-procNFe.xml", "<nfeProc/>");
  Grava("C:\\Dunmor\\nfe\\arquivos\\PDF\\" + kPontoPonto + ".pdf", "%PDF-1.4");
  a.atual.EmailDestinatario = kCliente;
  a.atual.ChaveAcessoSolicitada = kPontoPonto;
  EXPECT_FALSE(EnviaEmailNFe(a.ctx));
  EXPECT_EQ(a.atual.MotivoFalha, "Anexo recusado: caminho com '..'");
  a.atual.ChaveAcessoSolicitada = kChave;
  fs::remove(Local(kPdf));
  fs::create_symlink(Local(kCertificado), Local(kPdf));
  EXPECT_FALSE(EnviaEmailNFe(a.ctx));
  EXPECT_EQ(a.atual.MotivoFalha, kLink);
  EXPECT_TRUE(envios.empty());
}

// --- Every copy of "ENVIA EMAIL": XML then PDF to each address -----------------

enum class OndeXml { Principal, PastaDoMes, Nenhum };

struct CasoNFe {
  const char* nome;
  std::string cliente;    // EmailDestinatario
  std::string contador;   // EmailEmitente
  std::string digitado;   // the input box's answer
  OndeXml xml;
  bool pdf;
  Falhas falhas;
  std::string mails;      // in order, each to c(liente), k (contador) or d(igitado), x(ml) or p(df)
  std::vector<std::string> caixas;
  std::string motivo;     // MotivoFalha
};
void PrintTo(const CasoNFe& c, std::ostream* os) { *os << c.nome; }

const std::string kSemPdf = "O arquivo PDF desta NFe não foi gerado.\r\nClique no botão Imprimir para que seja gerado o arquivo PDF.|" + std::to_string(vbInformation) + "|Arquivo PDF Inexistente!";
const std::string kSemXml = "O arquivo XML desta NFe não foi encontrado.\r\nPor este motivo não será possível enviar o email.|" + std::to_string(vbCritical) + "|Arquivo XML Inexistente!";
const std::string kFalhaCliente = "Problemas no envio do email para o cliente.|" + std::to_string(vbOKOnly) + "|";
const std::string kContadorOk = "Email enviado com sucesso para o(a) contador(a).|" + std::to_string(vbOKOnly) + "|";
const std::string kFalhaContador = "Problemas no envio do email para o(a) contador(a)..|" + std::to_string(vbOKOnly) + "|";

class EnvioNFe : public Anexos, public ::testing::WithParamInterface<CasoNFe> {};

TEST_P(EnvioNFe, MandaXmlEPdfAosEnderecos) {
  const CasoNFe& c = GetParam();
  if (c.xml != OndeXml::Principal) fs::remove(Local(kProcNFe));
  if (c.xml == OndeXml::PastaDoMes) Grava(kProcNFeDoMes, "<nfeProc/>");
  if (!c.pdf) fs::remove(Local(kPdf));
  falhas = c.falhas;
  a.atual.EmailDestinatario = c.cliente;
  a.atual.EmailEmitente = c.contador;
  a.ui.ResponderProximaEntrada(c.digitado);

  // Only every copy gone is a success.
  EXPECT_EQ(EnviaEmailNFe(a.ctx), c.motivo.empty() && !c.mails.empty()) << a.ArquivoLog();
  EXPECT_EQ(a.atual.MotivoFalha, c.motivo);
  std::vector<std::string> esperados;
  for (size_t i = 0; i + 1 < c.mails.size(); i += 3) {
    const char quem = c.mails[i];
    esperados.push_back((quem == 'c' ? c.cliente : quem == 'k' ? c.contador : c.digitado) +
                        (c.mails[i + 1] == 'p'                ? " PDF/K.pdf"
                         : c.xml == OndeXml::PastaDoMes ? " 201601/K-procNFe.xml"
                                                        : " procNFe/K-procNFe.xml"));
  }
  EXPECT_EQ(Resumos(), esperados);
  EXPECT_EQ(Caixas(), c.caixas);
  // Asked for only when the request has no address; the answer is not kept.
  EXPECT_EQ(a.ui.Entradas().size(), c.cliente.empty() ? 1u : 0u);
  if (c.cliente.empty()) {
    EXPECT_EQ(a.ui.Entradas()[0].prompt + "|" + a.ui.Entradas()[0].titulo, "Informe o Email do destinatario|Envio de Email");
  }
  EXPECT_EQ(a.atual.EmailDestinatario, c.cliente);
  EXPECT_FALSE(a.ui.Ampulheta());
}

INSTANTIATE_TEST_SUITE_P(
    EnviaEmailNFe, EnvioNFe,
    ::testing::Values(
        CasoNFe{"SoOCliente", kCliente, "", "", OndeXml::Principal, true, {}, "cx cp", {}, ""},
        CasoNFe{"ClienteEContador", kCliente, kContador, "", OndeXml::Principal, true, {}, "cx cp kx kp", {kContadorOk}, ""},
        CasoNFe{"XmlSoNaPastaDoMesDaChave", kCliente, "", "", OndeXml::PastaDoMes, true, {}, "cx cp", {}, ""},
        CasoNFe{"EnderecoDigitado", "", "", "digitado@exemplo.com.br", OndeXml::Principal, true, {}, "dx dp", {}, ""},
        // Nothing to the customer, the failure box, and the accountant still gets both files.
        CasoNFe{"SemEnderecoDoCliente", "", kContador, "", OndeXml::Principal, true, {}, "kx kp", {kFalhaCliente, kContadorOk}, "Email não enviado ao cliente"},
        CasoNFe{"ClienteRecusado", kCliente, kContador, "", OndeXml::Principal, true, {{kCliente, ".xml"}, {kCliente, ".pdf"}}, "kx kp", {kFalhaCliente, kContadorOk}, "Email não enviado ao cliente"},
        CasoNFe{"XmlDoClienteFalhou", kCliente, kContador, "", OndeXml::Principal, true, {{kCliente, ".xml"}}, "cp kx kp", {kFalhaCliente, kContadorOk}, "Email não enviado ao cliente (XML)"},
        CasoNFe{"PdfDoContadorFalhou", kCliente, kContador, "", OndeXml::Principal, true, {{kContador, ".pdf"}}, "cx cp kx", {kFalhaContador}, "Email não enviado ao contador (PDF)"},
        CasoNFe{"XmlDoContadorFalhou", kCliente, kContador, "", OndeXml::Principal, true, {{kContador, ".xml"}}, "cx cp kp", {kFalhaContador}, "Email não enviado ao contador (XML)"},
        CasoNFe{"ContadorSemNenhum", kCliente, kContador, "", OndeXml::Principal, true, {{kContador, ".xml"}, {kContador, ".pdf"}}, "cx cp", {kFalhaContador}, "Email não enviado ao contador"},
        CasoNFe{"PdfDosDoisFalhou", kCliente, kContador, "", OndeXml::Principal, true, {{kCliente, ".pdf"}, {kContador, ".pdf"}}, "cx kx", {kFalhaCliente, kFalhaContador}, "Email não enviado ao cliente nem ao contador"},
        CasoNFe{"NenhumVai", kCliente, kContador, "", OndeXml::Principal, true, kNenhumVai, "", {kFalhaCliente, kFalhaContador}, "Email não enviado ao cliente nem ao contador"},
        // A missing PDF stops everything before any mail; no mail goes without its XML.
        CasoNFe{"SemPdf", kCliente, kContador, "", OndeXml::Principal, false, {}, "", {kSemPdf}, ""},
        CasoNFe{"SemPdfNemXml", kCliente, kContador, "", OndeXml::Nenhum, false, {}, "", {kSemPdf}, ""},
        CasoNFe{"SemXml", kCliente, kContador, "", OndeXml::Nenhum, true, {}, "", {kSemXml}, ""}),
    [](const auto& info) { return std::string(info.param.nome); });

// What goes to the log file, and what also to the list on the screen.
TEST_F(Anexos, EnviaEmailNFeLinhasDoLog) {
  fs::remove(Local(kProcNFe));
  a.atual.EmailDestinatario = kCliente;
  EXPECT_FALSE(EnviaEmailNFe(a.ctx));
  EXPECT_TRUE(NoLog("      Arquivo XML da NFe inexistente: " + kProcNFeDoMes));
  Grava(kProcNFeDoMes, "<nfeProc/>");
  ASSERT_TRUE(EnviaEmailNFe(a.ctx)) << a.ArquivoLog();
  for (const std::string& l : {std::string("Destinatario: ") + kCliente, "Enviando NFe: " + kProcNFeDoMes,
                              std::string("Resultado: Verdadeiro"), "Enviando PDF: " + kPdf})
    EXPECT_TRUE(NoLog("      " + l)) << l;
  EXPECT_FALSE(a.NaLista("      Enviando NFe: " + kProcNFeDoMes));
  EXPECT_TRUE(a.NaLista("      Enviando PDF: " + kPdf));
}

// A 4.00 key with an alphanumeric CNPJ: its file is found in the key's month folder.
TEST_F(Anexos, ChaveAlfanumericaNaPastaDoMes) {
  const std::string chave =
      MontaChaveAcesso("35", "2026-07-15T10:00:00-03:00", "12ABC34501DE35", 55, 1, 7, 1, 7, CnpjNaChave::Alfanumerico);
  Grava("C:\\Dunmor\\nfe\\arquivos\\procNFe\\202607\\" + chave + "-procNFe.xml", "<nfeProc/>");
  Grava("C:\\Dunmor\\nfe\\arquivos\\PDF\\" + chave + ".pdf", "%PDF-1.4");
  a.atual.ChaveAcessoSolicitada = chave;
  a.atual.EmailDestinatario = kCliente;
  ASSERT_TRUE(EnviaEmailNFe(a.ctx)) << a.ArquivoLog();
  EXPECT_EQ(Resumos(), (std::vector<std::string>{std::string(kCliente) + " 202607/" + chave + "-procNFe.xml",
                                                 std::string(kCliente) + " PDF/" + chave + ".pdf"}));
}

// Asked for the correction letters: with none stored nothing goes; with two,
// a third mail carries the last one (it has every correction).
TEST_F(Anexos, ComACartaDeCorrecao) {
  a.atual.EmailDestinatario = kCliente;
  a.atual.CartaCorrecaoNoEmail = true;
  EXPECT_FALSE(EnviaEmailNFe(a.ctx));
  EXPECT_EQ(a.atual.MotivoFalha, "Nenhuma carta de correção da NF-e");
  EXPECT_TRUE(envios.empty());

  Grava(ArquivoCartaCorrecao(a.ctx, kChave, 1), "<procEventoNFe/>");
  Grava(ArquivoCartaCorrecao(a.ctx, kChave, 2), "<procEventoNFe>segunda</procEventoNFe>");
  a.atual.MotivoFalha.clear();
  ASSERT_TRUE(EnviaEmailNFe(a.ctx)) << a.ArquivoLog();
  const fs::path carta = Local(ArquivoCartaCorrecao(a.ctx, kChave, 2));
  ASSERT_EQ(envios.size(), 3u);
  EXPECT_EQ(envios[2], Replace(std::string(kCliente) + " " + (carta.parent_path().filename() / carta.filename()).string(), kChave, "K") +
                          "|Segue em anexo a Carta de Correção Eletrônica da NF-e CHAVE DE NR.: " + kChave);
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
  std::string caixa;
};
void PrintTo(const CasoContador& c, std::ostream* os) { *os << c.nome; }

const std::string kCorpoContador = "Segue em anexo os arquivos XML das Notas Fiscais Eletrônicas.\r\nNotas de março/2024";
const std::string kComSuporte = kCorpoContador + "\r\nSuporte: (11) 4000-0000";
const std::string kFalhaEscritorio = "Problemas no envio do email para o escritório de contabilidade.|" + std::to_string(vbCritical) + "|Erro ao enviar Email";
std::string ArquivoInexistente(const std::string& arquivo) {
  return "O arquivo " + arquivo + " não existe.\r\nPor este motivo não será possível enviar o email.|" + std::to_string(vbCritical) + "|Arquivo Inexistente!";
}

class EnvioContador : public Anexos, public ::testing::WithParamInterface<CasoContador> {};

TEST_P(EnvioContador, MandaOArquivoCompactado) {
  const CasoContador& c = GetParam();
  teste::GravarTudo(a.registro.Arquivo(),
                    teste::LerTudo(a.registro.Arquivo()) + "\"TelefoneSuporte\"=\"" + c.telefone + "\"\r\n");
  teste::PastaTemporaria pasta;   // the same file outside the root
  const std::string fora = (pasta.Caminho() / "fora.zip").string();
  teste::GravarTudo(fora, "PK\x03\x04");
  falhas = c.falhas;
  a.atual.EmailDestinatario = c.destinatario;
  a.atual.ArquivoAnexoEmail = c.arquivo == kForaDaRaiz ? fora : c.arquivo;
  a.atual.TextoAdicionalEmail = "Notas de março/2024";
  a.ui.ResponderProximaEntrada(c.digitado);

  EXPECT_EQ(EnviaEmailContador(a.ctx), !c.corpo.empty()) << a.ArquivoLog();
  const std::string para = c.destinatario.empty() ? c.digitado : c.destinatario;
  EXPECT_EQ(envios, c.corpo.empty() ? std::vector<std::string>{}
                                    : std::vector<std::string>{para + " contabil/Notas-03-2024.zip|" + c.corpo});
  EXPECT_EQ(Caixas(), c.caixa.empty() ? std::vector<std::string>{}
                                      : std::vector<std::string>{Replace(c.caixa, kForaDaRaiz, fora)});
  // Asked for only when the request has no address; the answer is kept.
  EXPECT_EQ(a.ui.Entradas().size(), c.destinatario.empty() ? 1u : 0u);
  if (c.destinatario.empty()) {
    EXPECT_EQ(a.ui.Entradas()[0].prompt, "Informe o Email do destinatario (Contabilidade)");
  }
  EXPECT_EQ(a.atual.EmailDestinatario, para);
  EXPECT_FALSE(a.ui.Ampulheta());
}

INSTANTIATE_TEST_SUITE_P(
    EnviaEmailContador, EnvioContador,
    ::testing::Values(
        CasoContador{"ComTelefoneDeSuporte", kContador, "", kZip, " (11) 4000-0000 ", {}, kComSuporte, ""},
        CasoContador{"SemTelefoneDeSuporte", kContador, "", kZip, "", {}, kCorpoContador, ""},
        // Folders are matched without regard to letter case, as on the front end's drive.
        CasoContador{"CaixaDasPastasDiferente", kContador, "", "c:\\DUNMOR\\Contabil\\Notas-03-2024.zip", "(11) 4000-0000", {}, kComSuporte, ""},
        CasoContador{"EnderecoDigitado", "", kContador, kZip, "(11) 4000-0000", {}, kComSuporte, ""},
        CasoContador{"SemEndereco", "", "", kZip, "", {}, "", kFalhaEscritorio},
        CasoContador{"ArquivoInexistente", kContador, "", "C:\\Dunmor\\contabil\\Notas-04-2024.zip", "", {}, "", ArquivoInexistente("C:\\Dunmor\\contabil\\Notas-04-2024.zip")},
        CasoContador{"SemArquivo", kContador, "", "", "", {}, "", ArquivoInexistente("")},
        CasoContador{"PastaNoLugarDoArquivo", kContador, "", "C:\\Dunmor\\contabil", "", {}, "", ArquivoInexistente("C:\\Dunmor\\contabil")},
        // A request does not reach files of the computer outside the Host's root.
        CasoContador{"ArquivoForaDaRaiz", kContador, "", kForaDaRaiz, "", {}, "", ArquivoInexistente(kForaDaRaiz)},
        CasoContador{"NaoFoi", kContador, "", kZip, "", kNenhumVai, "", kFalhaEscritorio}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(Anexos, EnviaEmailContadorLinhasDoLog) {
  a.atual.EmailDestinatario = kContador;
  a.atual.ArquivoAnexoEmail = kZip;
  ASSERT_TRUE(EnviaEmailContador(a.ctx)) << a.ArquivoLog();
  for (const std::string& l : {std::string("      Destinatario: ") + kContador, "      Enviando NFe compactada: " + kZip})
    EXPECT_TRUE(NoLog(l)) << l;
  EXPECT_FALSE(a.NaLista("      Enviando NFe compactada: " + kZip));
  EXPECT_TRUE(a.NaLista("      Resultado: Verdadeiro"));
  falhas = kNenhumVai;
  EXPECT_FALSE(EnviaEmailContador(a.ctx));
  EXPECT_TRUE(NoLog("      Resultado: Falso"));
}

}  // namespace
}  // namespace velant
