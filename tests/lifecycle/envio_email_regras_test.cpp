// What the two e-mail commands answer, with a stand-in component that
// records what it was asked to mail and fails the mails a test names:
// - which files a request may have mailed: the Host's root holds its secrets
//   (certificate, registry file, INI, database, logs) beside the shop's
//   invoices, and a refused file never reaches the component;
// - "ENVIA EMAIL" succeeds only when every copy went, and names the one that
//   did not.
// The mails themselves, through a real SMTP server, are in envia_email_test.
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
#include "componente_inesperado.h"
#include "data/conexao_nfe.h"
#include "data/configuracao_banco.h"
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
  std::string destinatario, anexo;
};

// A mail that does not go: the address and the attachment's extension.
using Falhas = std::set<std::pair<std::string, std::string>>;

class ComponenteEmail : public teste::ComponenteInesperado {
 public:
  ComponenteEmail(std::vector<Envio>& envios, const Falhas& falhas) : envios_(envios), falhas_(falhas) {}
  bool EnviaEmail(const std::string& destinatario, const std::string&, const std::string&,
                  const std::string& anexo) override {
    if (falhas_.count({destinatario, fs::path(anexo).extension().string()})) return false;
    envios_.push_back({destinatario, anexo});
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

}  // namespace
}  // namespace velant
