// What the two e-mail commands answer, with a stand-in component that
// records what it was asked to mail and fails the mails a test names:
// - which files a request may have mailed: the Host's root holds its secrets
//   (certificate, registry file, INI, database, logs) beside the shop's
//   invoices, and a refused file never reaches the component;
// - which mails go to whom, and the boxes, questions and log lines of each
//   outcome; "ENVIA EMAIL" succeeds only when every copy went.
// The mails on the wire (subjects, texts, MIME, STARTTLS, AUTH) are the
// component's tests against a real SMTP server, and exemplos_integracao.sh's.
// The cases are the tables email_nfe.tsv and email_contador.tsv.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/configuracao_banco.h"
#include "lifecycle/apoio_emissao.h"
#include "lifecycle/carta_correcao.h"
#include "lifecycle/envia_email_contador.h"
#include "lifecycle/envia_email_nfe.h"
#include "tabela_tsv.h"

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

// The mails that do not go, as "address:extension ..."; "*": none goes (a
// login the server refuses).
class ComponenteEmail : public teste::ComponenteInesperado {
 public:
  ComponenteEmail(std::vector<std::string>& envios, const std::string& falhas) : envios_(envios), falhas_(falhas) {}
  bool EnviaEmail(S destinatario, S, S corpo, S anexo) override {
    const fs::path p(anexo);
    if (falhas_ == "*" || (" " + falhas_ + " ").find(" " + destinatario + ":" + p.extension().string() + " ") != std::string::npos) return false;
    // Each mail as "address folder/file|text", the key written K.
    envios_.push_back(destinatario + " " + Replace((p.parent_path().filename() / p.filename()).string(), kChave, "K") + "|" + corpo);
    return true;
  }

 private:
  std::vector<std::string>& envios_;
  const std::string& falhas_;
};

// A Host root laid out as installed: its own files and the shop's invoices.
class Anexos : public teste::AmbienteEmissao {
 protected:
  Anexos() {
    teste::GravarTudo(a.registro.Arquivo(),
                      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n"
                      "\"Certificado\"=\"C:\\\\KorvanePafEcf\\\\NFe\\\\certificado.pfx\"\r\n"
                      "\"SenhaCertificado\"=\"1234\"\r\n\"EmailSenha\"=\"segredo\"\r\n");
    Grava(kCertificado, "certificado e chave privada");
    Grava(kConfig + "servicos.xml", "<servicos/>");
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
  void Grava(const std::string& windows, const std::string& conteudo) {
    teste::GravarTudo(a.caminhos.MapearParaGravar(windows), conteudo);
  }
  fs::path Local(const std::string& windows) { return a.caminhos.Mapear(windows); }
  // The boxes as "prompt|style|title".
  std::vector<std::string> Caixas() const {
    std::vector<std::string> r;
    for (const auto& c : a.ui.Caixas()) r.push_back(c.prompt + "|" + std::to_string(c.estilo) + "|" + c.titulo);
    return r;
  }
  // The questions asked as "prompt|title;".
  std::string Perguntas() const {
    std::string r;
    for (const auto& e : a.ui.Entradas()) r += e.prompt + "|" + e.titulo + ";";
    return r;
  }
  // Joined by " ; ", each cut at its first '|' when sem is.
  static std::string Juntos(const std::vector<std::string>& v, char sem = '\0') {
    std::string r;
    for (size_t i = 0; i < v.size(); ++i) r += (i ? " ; " : "") + v[i].substr(0, v[i].find(sem));
    return r;
  }

  std::vector<std::string> envios;
  std::string falhas;
};

// --- Every copy of "ENVIA EMAIL": XML then PDF to each address -----------------

// xml: where the invoice's file is (principal, mes: the key's month folder,
// nenhum); mails: "address folder/file ; ...", the key written K.
class EnvioNFe : public Anexos, public ::testing::WithParamInterface<teste::Linha> {};

TEST_P(EnvioNFe, MandaXmlEPdfAosEnderecos) {
  const teste::Linha& c = GetParam();
  if (c.at("xml") != "principal") fs::remove(Local(kProcNFe));
  if (c.at("xml") == "mes") Grava(kProcNFeDoMes, "<nfeProc/>");
  if (c.at("pdf") != "sim") fs::remove(Local(kPdf));
  // A PDF that is a link to the certificate does not go.
  if (c.at("pdf") == "link para o certificado") fs::create_symlink(Local(kCertificado), Local(kPdf));
  falhas = c.at("falham");
  a.atual.EmailDestinatario = c.at("cliente");
  a.atual.EmailEmitente = c.at("contador");
  a.ui.ResponderProximaEntrada(c.at("digitado"));

  // Only every copy gone is a success.
  EXPECT_EQ(EnviaEmailNFe(a.ctx), c.at("motivo").empty() && !c.at("mails").empty()) << a.ArquivoLog();
  EXPECT_EQ(a.atual.MotivoFalha, c.at("motivo"));
  EXPECT_EQ(Juntos(envios, '|'), c.at("mails"));   // without their texts
  EXPECT_EQ(Juntos(Caixas()), c.at("caixas"));
  // Asked for only when the request has no address; the answer is not kept.
  EXPECT_EQ(Perguntas(), c.at("cliente").empty() ? "Informe o Email do destinatario|Envio de Email;" : "");
  EXPECT_EQ(a.atual.EmailDestinatario, c.at("cliente"));
  EXPECT_FALSE(a.ui.Ampulheta());
  // A line of the log file, and one that also goes to the list on the screen; the key written K.
  if (!c.at("log").empty()) { EXPECT_TRUE(NoLog(Replace(c.at("log"), "K", kChave))); }
  EXPECT_EQ(a.NaLista(Replace(c.at("log"), "K", kChave)), c.at("na_tela") == "sim");
}

INSTANTIATE_TEST_SUITE_P(EnviaEmailNFe, EnvioNFe, ::testing::ValuesIn(teste::LeTabela("email_nfe.tsv")), teste::NomeDoCaso);

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

// arquivo: ArquivoAnexoEmail, only the ZIP and the invoice's files exist
// under the root; {fora}: a file of the Host's computer outside its root.
// preparo: how the test places that file; mail: the one that went.
class EnvioContador : public Anexos, public ::testing::WithParamInterface<teste::Linha> {};

TEST_P(EnvioContador, SoDocumentosDaLojaSaoEnviados) {
  const teste::Linha& c = GetParam();   // at(): a column name mistyped fails the case
  const std::string arquivo = c.at("arquivo"), recusa = c.at("recusa");
  if (c.at("preparo") == "link para o banco") fs::create_symlink(Local(kConfig + "dvk_data.db"), Local(arquivo));
  if (c.at("preparo") == "segundo nome do certificado") fs::create_hard_link(Local(kCertificado), Local(arquivo));
  if (c.at("preparo") == "banco com este nome") {
    // The installation keeps its database among the shop's files, under another name.
    a.ini.GravarIni(data::kSecaoBanco, data::kChaveArquivoBanco, arquivo, data::kCaminhoIni);
    conexao = std::make_unique<teste::ConexaoRegistrada>(a.ini, a.caminhos, a.ui);
    a.ctx.ConexaoBanco = conexao.get();
    ASSERT_TRUE(conexao->ConexaoAtiva());
  }
  teste::GravarTudo(a.registro.Arquivo(),
                    teste::LerTudo(a.registro.Arquivo()) + "\"TelefoneSuporte\"=\"" + c.at("telefone") + "\"\r\n");
  teste::PastaTemporaria pasta;   // the same file outside the root
  const std::string fora = (pasta.Caminho() / "fora.zip").string();
  teste::GravarTudo(fora, "PK\x03\x04");
  falhas = c.at("falham");
  a.atual.PastaBase = c.at("pasta_base");
  a.atual.EmailDestinatario = c.at("destinatario");
  a.atual.ArquivoAnexoEmail = Replace(arquivo, "{fora}", fora);
  a.atual.TextoAdicionalEmail = "Notas de março/2024";
  a.ui.ResponderProximaEntrada(c.at("digitado"));

  EXPECT_EQ(EnviaEmailContador(a.ctx), !c.at("mail").empty()) << a.ArquivoLog();
  EXPECT_EQ(Juntos(envios), c.at("mail"));
  EXPECT_EQ(a.atual.MotivoFalha, recusa);
  if (recusa.empty()) {
    EXPECT_EQ(Juntos(Caixas()), Replace(c.at("caixa"), "{fora}", fora));
  } else {
    EXPECT_TRUE(NoLog(std::string(6, ' ') + recusa + ": " + arquivo)) << a.ArquivoLog();
    EXPECT_EQ(a.ui.Caixas().back().titulo, "Anexo Recusado!");
  }
  // Asked for only when the request has no address; the answer is kept.
  EXPECT_EQ(Perguntas(), c.at("destinatario").empty() ? "Informe o Email do destinatario (Contabilidade)|Envio de Email;" : "");
  EXPECT_EQ(a.atual.EmailDestinatario, c.at("destinatario").empty() ? c.at("digitado") : c.at("destinatario"));
  EXPECT_FALSE(a.ui.Ampulheta());
}

INSTANTIATE_TEST_SUITE_P(EnviaEmailContador, EnvioContador, ::testing::ValuesIn(teste::LeTabela("email_contador.tsv")),
                         teste::NomeDoCaso);

}  // namespace
}  // namespace velant
