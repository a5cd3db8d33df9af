// "ENVIA EMAIL" and "ENVIA NFE EMAIL CONT" through the Host's own fiscal
// component to a real SMTP server on loopback (aiosmtpd, STARTTLS, AUTH).
// What arrived is judged after Python's email package decoded it; the boxes
// are the ones the headless interface was asked to show.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "apoio/pdf_teste.h"
#include "apoio/servidor_smtp.h"
#include "base/texto.h"
#include "component/apoio_nfe400.h"
#include "component/autoridade_apoio.h"
#include "lifecycle/carta_correcao.h"
#include "lifecycle/envia_email_contador.h"
#include "lifecycle/envia_email_nfe.h"

namespace velant {
namespace {

using Registro = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kSenha = "Senha-Secreta#Contábil9";
constexpr const char* kRemetente = "nfe@padaria.com.br";
constexpr const char* kCliente = "cliente@exemplo.com.br";
constexpr const char* kContador = "contador@contabil.com.br";
constexpr const char* kEmpresa = "Padaria São João";

// A box as the routine asked for it.
struct Caixa {
  std::string prompt;
  int estilo = vbOKOnly;
  std::string titulo;
  bool operator==(const Caixa&) const = default;
};
void PrintTo(const Caixa& c, std::ostream* os) { *os << "{" << c.prompt << " | " << c.estilo << " | " << c.titulo << "}"; }

// One set of throw-away certificates serves every test here.
const teste::CertificadosSmtp& CertificadosDosTestes() {
  static teste::PastaTemporaria pasta;
  static const teste::CertificadosSmtp certificados = teste::CriaCertificadosSmtp(pasta.Caminho());
  return certificados;
}

class EnvioEmailRotina : public ::testing::Test {
 protected:
  // The SMTP server (none with mudo: a port that never answers) and the Host pointing at it.
  void Inicia(const Registro& troca = {}, bool mudo = false) {
    const teste::CertificadosSmtp& certificados = CertificadosDosTestes();
    int porta = 0;
    if (mudo) {
      mudo_ = std::make_unique<teste::ServidorMudo>();
      porta = mudo_->Porta();
    } else {
      teste::OpcoesServidorSmtp o;
      o.pasta = pasta_.Caminho() / "smtp";
      o.certificado = certificados.certificado;
      o.chave = certificados.chave;
      o.usuario = kRemetente;
      o.senha = kSenha;
      o.recusar = {"recusado@exemplo.com.br"};
      servidor_ = std::make_unique<teste::ServidorSmtp>(o);
      porta = servidor_->Porta();
    }
    Registro r = {{"EmailServidor", "127.0.0.1"},
                  {"EmailPorta", std::to_string(porta)},
                  {"EmailSeguranca", "STARTTLS"},
                  {"EmailUsuario", kRemetente},
                  {"EmailSenha", kSenha},
                  {"EmailRemetente", kRemetente},
                  {"EmailNomeRemetente", kEmpresa},
                  {"EmailArquivoAC", certificados.ac.string()},
                  {"EmailTempoLimiteConexao", "5"},
                  {"EmailTempoLimiteTotal", "20"},
                  {"TelefoneSuporte", "(11) 4000-0000"}};
    r.insert(r.end(), troca.begin(), troca.end());
    host_ = std::make_unique<teste::HostTeste>(pasta_.Caminho() / "host", std::filesystem::path(), r);
    Ctx().atual.NomeEmpresaEmissora = kEmpresa;
  }

  Contexto& Ctx() { return host_->Ctx(); }
  InterfaceHeadless& Ui() { return host_->Ui(); }

  std::vector<teste::MensagemRecebida> Recebidas() const {
    return servidor_ ? teste::MensagensRecebidas(servidor_->Caixa()) : std::vector<teste::MensagemRecebida>{};
  }
  std::vector<Caixa> Caixas() {
    std::vector<Caixa> caixas;
    for (const auto& c : Ui().Caixas()) caixas.push_back({c.prompt, c.estilo, c.titulo});
    return caixas;
  }
  // Every daily log file of the Host, together.
  std::string Log() {
    std::string texto;
    auto pasta = host_->Local(kPastaLog);
    if (std::filesystem::exists(pasta))
      for (const auto& e : std::filesystem::directory_iterator(pasta)) texto += teste::LerTudo(e.path());
    return texto;
  }
  bool NaLista(const std::string& linha) {
    for (const auto& e : Ui().Eventos())
      if (e == linha) return true;
    return false;
  }

  teste::PastaTemporaria pasta_;
  std::unique_ptr<teste::ServidorSmtp> servidor_;
  std::unique_ptr<teste::ServidorMudo> mudo_;
  std::unique_ptr<teste::HostTeste> host_;
};

// One mail as it must have arrived: its only recipient, and its attachment.
void ConfereMensagem(const teste::MensagemRecebida& m, const std::string& destinatario, const std::string& assunto,
                     const std::string& corpo, const std::string& nomeAnexo, const std::string& tipoAnexo,
                     const std::string& conteudoAnexo) {
  EXPECT_EQ(m.Campo("defeitos"), "");
  EXPECT_EQ(m.Campo("remetente"), kRemetente);
  EXPECT_EQ(m.Linhas("destinatarios"), std::vector<std::string>{destinatario});
  EXPECT_EQ(m.Linhas("para"), std::vector<std::string>{destinatario});
  EXPECT_EQ(m.Campo("assunto"), assunto);
  EXPECT_EQ(m.Campo("corpo"), corpo);
  EXPECT_EQ(m.Campo("anexo-1-nome"), nomeAnexo);
  EXPECT_EQ(m.Campo("anexo-1-tipo"), tipoAnexo);
  EXPECT_TRUE(m.Campo("anexo-1") == conteudoAnexo) << "o anexo " << nomeAnexo << " chegou diferente";
  EXPECT_FALSE(m.Tem("anexo-2"));
}

// --- ENVIA EMAIL --------------------------------------------------------------

enum class OndeXml { Principal, PastaDoMes, Nenhum };

struct CasoNFe {
  const char* nome;
  std::string destinatario;        // EmailDestinatario
  std::string emitente;            // EmailEmitente (the accountant)
  std::string digitado;            // the input box's answer
  OndeXml xml = OndeXml::Principal;
  bool pdf = true;
  Registro registro;
  bool resultado = true;
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

class EnvioNFe : public EnvioEmailRotina, public ::testing::WithParamInterface<CasoNFe> {
 protected:
  // The invoice's files where the command looks for them; the key.
  std::string ArquivosDaNota(OndeXml xml, bool pdf) {
    std::string chave;
    xml_ = teste::NotaAssinada({}, &chave);
    pdf_ = teste::PdfMinimo("DANFE " + chave);
    const std::string procNFe = "C:\\Dunmor\\nfe\\arquivos\\procNFe\\";
    // The key says January 2016.
    if (xml == OndeXml::Principal) teste::GravarTudo(host_->Local(procNFe + chave + "-procNFe.xml"), xml_);
    if (xml == OndeXml::PastaDoMes) teste::GravarTudo(host_->Local(procNFe + "201601\\" + chave + "-procNFe.xml"), xml_);
    if (pdf) teste::GravarTudo(host_->Local("C:\\Dunmor\\nfe\\arquivos\\PDF\\" + chave + ".pdf"), pdf_);
    Ctx().atual.ChaveAcessoSolicitada = chave;
    return chave;
  }
  std::string xml_, pdf_;
};

TEST_P(EnvioNFe, MandaXmlEPdfAosEnderecos) {
  const CasoNFe& c = GetParam();
  Inicia(c.registro);
  const std::string chave = ArquivosDaNota(c.xml, c.pdf);
  SolicitacaoAtual& e = Ctx().atual;
  e.EmailDestinatario = c.destinatario;
  e.EmailEmitente = c.emitente;
  Ui().ResponderProximaEntrada(c.digitado);

  EXPECT_EQ(EnviaEmailNFe(Ctx()), c.resultado) << Log();

  auto recebidas = Recebidas();
  ASSERT_EQ(recebidas.size(), 2 * c.enderecos.size()) << Log();
  const std::string assunto = std::string("Nota Fiscal Eletrônica da empresa: ") + kEmpresa;
  for (size_t i = 0; i < c.enderecos.size(); ++i) {
    SCOPED_TRACE(c.enderecos[i]);
    ConfereMensagem(recebidas[2 * i], c.enderecos[i], assunto,
                    "Segue em anexo arquivo XML da Nota Fiscal Eletrônica CHAVE DE NR.: " + chave,
                    chave + "-procNFe.xml", "application/xml", xml_);
    ConfereMensagem(recebidas[2 * i + 1], c.enderecos[i], assunto,
                    "Segue em anexo arquivo PDF da Nota Fiscal Eletrônica CHAVE DE NR.: " + chave, chave + ".pdf",
                    "application/pdf", pdf_);
  }
  EXPECT_EQ(Caixas(), c.caixas);
  // Asked for only when the request has no address; the answer is not kept.
  if (c.destinatario.empty()) {
    ASSERT_EQ(Ui().Entradas().size(), 1u);
    EXPECT_EQ(Ui().Entradas()[0].prompt, "Informe o Email do destinatario");
    EXPECT_EQ(Ui().Entradas()[0].titulo, "Envio de Email");
  } else {
    EXPECT_TRUE(Ui().Entradas().empty());
  }
  EXPECT_EQ(e.EmailDestinatario, c.destinatario);
  EXPECT_FALSE(Ui().Ampulheta());
  EXPECT_EQ(Log().find(kSenha), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    EnviaEmailNFe, EnvioNFe,
    ::testing::Values(
        CasoNFe{"SoOCliente", kCliente, "", "", OndeXml::Principal, true, {}, true, {kCliente}, {}},
        CasoNFe{"ClienteEContador", kCliente, kContador, "", OndeXml::Principal, true, {}, true,
                {kCliente, kContador}, {kContadorOk}},
        CasoNFe{"XmlSoNaPastaDoMesDaChave", kCliente, "", "", OndeXml::PastaDoMes, true, {}, true, {kCliente}, {}},
        CasoNFe{"EnderecoDigitado", "", "", "digitado@exemplo.com.br", OndeXml::Principal, true, {}, true,
                {"digitado@exemplo.com.br"}, {}},
        // Nothing to the customer, the failure box, and the accountant still gets both files.
        CasoNFe{"SemEnderecoDoCliente", "", kContador, "", OndeXml::Principal, true, {}, false, {kContador},
                {kFalhaCliente, kContadorOk}},
        CasoNFe{"ClienteRecusadoContadorRecebe", "recusado@exemplo.com.br", kContador, "", OndeXml::Principal, true,
                {}, false, {kContador}, {kFalhaCliente, kContadorOk}},
        // A missing PDF stops everything before any mail.
        CasoNFe{"SemPdf", kCliente, kContador, "", OndeXml::Principal, false, {}, false, {}, {kSemPdf}},
        CasoNFe{"SemPdfNemXml", kCliente, kContador, "", OndeXml::Nenhum, false, {}, false, {}, {kSemPdf}},
        // No mail goes without its XML, to the customer or to the accountant.
        CasoNFe{"SemXml", kCliente, kContador, "", OndeXml::Nenhum, true, {}, false, {}, {kSemXml}},
        CasoNFe{"LoginRecusado", kCliente, kContador, "", OndeXml::Principal, true, {{"EmailSenha", "outra-senha"}},
                false, {}, {kFalhaCliente, kFalhaContador}}),
    [](const auto& info) { return std::string(info.param.nome); });

// What goes to the log file, and what also to the list on the screen.
TEST_F(EnvioNFe, LinhasDoLog) {
  Inicia();
  const std::string chave = ArquivosDaNota(OndeXml::PastaDoMes, true);
  Ctx().atual.EmailDestinatario = kCliente;
  ASSERT_TRUE(EnviaEmailNFe(Ctx())) << Log();
  const std::string xml = "C:\\Dunmor\\nfe\\arquivos\\procNFe\\201601\\" + chave + "-procNFe.xml";
  const std::string pdf = "C:\\Dunmor\\nfe\\arquivos\\PDF\\" + chave + ".pdf";
  const std::string log = Log();
  size_t p = 0;
  for (const std::string& linha : {std::string("      Destinatario: ") + kCliente, "      Enviando NFe: " + xml,
                                   std::string("      Resultado: Verdadeiro"), "      Enviando PDF: " + pdf,
                                   std::string("      Resultado: Verdadeiro")}) {
    p = log.find(" - " + linha + "\r\n", p);
    ASSERT_NE(p, std::string::npos) << linha << "\n" << log;
  }
  EXPECT_FALSE(NaLista("      Enviando NFe: " + xml));
  EXPECT_TRUE(NaLista("      Enviando PDF: " + pdf));
}

// A 4.00 invoice whose key carries an alphanumeric CNPJ: its file is found
// in the month folder of the key and goes as it is, under the key's name.
TEST_F(EnvioNFe, Leiaute400ComChaveAlfanumerica) {
  Inicia();
  const std::string chave =
      MontaChaveAcesso("35", "2026-07-15T10:00:00-03:00", "12ABC34501DE35", 55, 1, 7, 1, 7, CnpjNaChave::Alfanumerico);
  xml_ = teste::NotaAssinada400({.numero = 7});
  pdf_ = teste::PdfMinimo("DANFE " + chave);
  teste::GravarTudo(host_->Local("C:\\Dunmor\\nfe\\arquivos\\procNFe\\202607\\" + chave + "-procNFe.xml"), xml_);
  teste::GravarTudo(host_->Local("C:\\Dunmor\\nfe\\arquivos\\PDF\\" + chave + ".pdf"), pdf_);
  Ctx().atual.ChaveAcessoSolicitada = chave;
  Ctx().atual.EmailDestinatario = kCliente;
  ASSERT_TRUE(EnviaEmailNFe(Ctx())) << Log();
  auto recebidas = Recebidas();
  ASSERT_EQ(recebidas.size(), 2u) << Log();
  ConfereMensagem(recebidas[0], kCliente, std::string("Nota Fiscal Eletrônica da empresa: ") + kEmpresa,
                  "Segue em anexo arquivo XML da Nota Fiscal Eletrônica CHAVE DE NR.: " + chave,
                  chave + "-procNFe.xml", "application/xml", xml_);
}

TEST_F(EnvioNFe, SemXmlOLogDizOndeProcurou) {
  Inicia();
  const std::string chave = ArquivosDaNota(OndeXml::Nenhum, true);
  Ctx().atual.EmailDestinatario = kCliente;
  EXPECT_FALSE(EnviaEmailNFe(Ctx()));
  EXPECT_NE(Log().find("      Arquivo XML da NFe inexistente: C:\\Dunmor\\nfe\\arquivos\\procNFe\\201601\\" + chave +
                       "-procNFe.xml"),
            std::string::npos)
      << Log();
}

// Asked for the correction letters: with none stored nothing goes; with two,
// a third mail carries the last one (it has every correction).
TEST_F(EnvioNFe, ComACartaDeCorrecao) {
  Inicia();
  const std::string chave = ArquivosDaNota(OndeXml::Principal, true);
  SolicitacaoAtual& e = Ctx().atual;
  e.EmailDestinatario = kCliente;
  e.CartaCorrecaoNoEmail = true;
  EXPECT_FALSE(EnviaEmailNFe(Ctx()));
  EXPECT_EQ(e.MotivoFalha, "Nenhuma carta de correção da NF-e");
  EXPECT_TRUE(Recebidas().empty());

  const std::string segunda = "<procEventoNFe versao=\"1.00\">segunda</procEventoNFe>";
  teste::GravarTudo(host_->Local(ArquivoCartaCorrecao(Ctx(), chave, 1)), "<procEventoNFe versao=\"1.00\"/>");
  teste::GravarTudo(host_->Local(ArquivoCartaCorrecao(Ctx(), chave, 2)), segunda);
  e.MotivoFalha.clear();
  ASSERT_TRUE(EnviaEmailNFe(Ctx())) << Log();
  auto recebidas = Recebidas();
  ASSERT_EQ(recebidas.size(), 3u) << Log();
  ConfereMensagem(recebidas[2], kCliente, std::string("Nota Fiscal Eletrônica da empresa: ") + kEmpresa,
                  "Segue em anexo a Carta de Correção Eletrônica da NF-e CHAVE DE NR.: " + chave,
                  chave + "-cce-02-procEventoNFe.xml", "application/xml", segunda);
}

// A server that takes the connection and never answers: false within the timeouts of the two mails.
TEST_F(EnvioNFe, ServidorMudoEsgotaOTempoLimite) {
  Inicia({{"EmailTempoLimiteConexao", "1"}, {"EmailTempoLimiteTotal", "2"}}, true);
  ArquivosDaNota(OndeXml::Principal, true);
  Ctx().atual.EmailDestinatario = kCliente;
  auto inicio = std::chrono::steady_clock::now();
  EXPECT_FALSE(EnviaEmailNFe(Ctx()));
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count(), 8.0);
  EXPECT_EQ(Caixas(), std::vector<Caixa>{kFalhaCliente});
  EXPECT_NE(Log().find("tempo limite esgotado"), std::string::npos) << Log();
  EXPECT_FALSE(Ui().Ampulheta());
}

// --- ENVIA NFE EMAIL CONT -----------------------------------------------------

constexpr const char* kArquivoZip = "C:\\Dunmor\\contabil\\Notas-03-2024.zip";
// Stands for a file of the Host's computer outside its root.
constexpr const char* kForaDaRaiz = "{fora}";

struct CasoContador {
  const char* nome;
  std::string destinatario;   // EmailDestinatario
  std::string digitado;       // the input box's answer
  std::string arquivo;        // ArquivoAnexoEmail; only kArquivoZip exists under the root
  Registro registro;
  bool resultado = true;
  std::string corpo;          // of the mail that arrived; none when empty
  std::vector<Caixa> caixas;
};
void PrintTo(const CasoContador& c, std::ostream* os) { *os << c.nome; }

const std::string kCorpoContador = "Segue em anexo os arquivos XML das Notas Fiscais Eletrônicas.\r\nNotas de março/2024";
const Caixa kFalhaEscritorio{"Problemas no envio do email para o escritório de contabilidade.", vbCritical,
                             "Erro ao enviar Email"};
Caixa ArquivoInexistente(const std::string& arquivo) {
  return {"O arquivo " + arquivo + " não existe.\r\nPor este motivo não será possível enviar o email.", vbCritical,
          "Arquivo Inexistente!"};
}

class EnvioContador : public EnvioEmailRotina, public ::testing::WithParamInterface<CasoContador> {
 protected:
  const std::string zip_ = std::string("PK\x03\x04\x14\x00\x00\x00", 8) + teste::PdfMinimo("notas de março") +
                           std::string("\x00\xFF\r\n\x1A", 5);
};

TEST_P(EnvioContador, MandaOArquivoCompactado) {
  const CasoContador& c = GetParam();
  Inicia(c.registro);
  teste::GravarTudo(host_->Local(kArquivoZip), zip_);
  // The same bytes outside the root.
  const std::string fora = (pasta_.Caminho() / "fora.zip").string();
  teste::GravarTudo(fora, zip_);
  const std::string arquivo = c.arquivo == kForaDaRaiz ? fora : c.arquivo;
  SolicitacaoAtual& e = Ctx().atual;
  e.EmailDestinatario = c.destinatario;
  e.ArquivoAnexoEmail = arquivo;
  e.TextoAdicionalEmail = "Notas de março/2024";
  Ui().ResponderProximaEntrada(c.digitado);

  EXPECT_EQ(EnviaEmailContador(Ctx()), c.resultado) << Log();

  auto recebidas = Recebidas();
  if (c.corpo.empty()) {
    EXPECT_TRUE(recebidas.empty());
  } else {
    ASSERT_EQ(recebidas.size(), 1u) << Log();
    ConfereMensagem(recebidas[0], c.destinatario.empty() ? c.digitado : c.destinatario,
                    std::string("NFe da empresa: ") + kEmpresa, c.corpo, "Notas-03-2024.zip", "application/zip", zip_);
  }
  std::vector<Caixa> caixas = c.caixas;
  for (auto& cx : caixas) cx.prompt = Replace(cx.prompt, kForaDaRaiz, fora);
  EXPECT_EQ(Caixas(), caixas);
  // Asked for only when the request has no address; the answer is kept.
  if (c.destinatario.empty()) {
    ASSERT_EQ(Ui().Entradas().size(), 1u);
    EXPECT_EQ(Ui().Entradas()[0].prompt, "Informe o Email do destinatario (Contabilidade)");
    EXPECT_EQ(Ui().Entradas()[0].titulo, "Envio de Email");
    EXPECT_EQ(e.EmailDestinatario, c.digitado);
  } else {
    EXPECT_TRUE(Ui().Entradas().empty());
  }
  EXPECT_FALSE(Ui().Ampulheta());
  EXPECT_EQ(Log().find(kSenha), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    EnviaEmailContador, EnvioContador,
    ::testing::Values(
        CasoContador{"ComTelefoneDeSuporte", kContador, "", kArquivoZip, {}, true,
                     kCorpoContador + "\r\nSuporte: (11) 4000-0000", {}},
        CasoContador{"SemTelefoneDeSuporte", kContador, "", kArquivoZip, {{"TelefoneSuporte", ""}}, true,
                     kCorpoContador, {}},
        // Folders are matched without regard to letter case, as on the front end's drive.
        CasoContador{"CaixaDasPastasDiferente", kContador, "", "c:\\DUNMOR\\Contabil\\Notas-03-2024.zip", {}, true,
                     kCorpoContador + "\r\nSuporte: (11) 4000-0000", {}},
        CasoContador{"EnderecoDigitado", "", kContador, kArquivoZip, {}, true,
                     kCorpoContador + "\r\nSuporte: (11) 4000-0000", {}},
        CasoContador{"SemEndereco", "", "", kArquivoZip, {}, false, "", {kFalhaEscritorio}},
        CasoContador{"ArquivoInexistente", kContador, "", "C:\\Dunmor\\contabil\\Notas-04-2024.zip", {}, false, "",
                     {ArquivoInexistente("C:\\Dunmor\\contabil\\Notas-04-2024.zip")}},
        CasoContador{"SemArquivo", kContador, "", "", {}, false, "", {ArquivoInexistente("")}},
        CasoContador{"PastaNoLugarDoArquivo", kContador, "", "C:\\Dunmor\\contabil", {}, false, "",
                     {ArquivoInexistente("C:\\Dunmor\\contabil")}},
        // A request does not reach files of the computer outside the Host's root.
        CasoContador{"ArquivoForaDaRaiz", kContador, "", kForaDaRaiz, {}, false, "",
                     {ArquivoInexistente(kForaDaRaiz)}},
        CasoContador{"LoginRecusado", kContador, "", kArquivoZip, {{"EmailSenha", "outra-senha"}}, false, "",
                     {kFalhaEscritorio}},
        CasoContador{"DestinatarioRecusado", "recusado@exemplo.com.br", "", kArquivoZip, {}, false, "",
                     {kFalhaEscritorio}}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(EnvioContador, LinhasDoLog) {
  Inicia();
  teste::GravarTudo(host_->Local(kArquivoZip), zip_);
  Ctx().atual.EmailDestinatario = kContador;
  Ctx().atual.ArquivoAnexoEmail = kArquivoZip;
  ASSERT_TRUE(EnviaEmailContador(Ctx())) << Log();
  const std::string log = Log();
  size_t p = 0;
  for (const std::string& linha : {std::string("      Destinatario: ") + kContador,
                                   std::string("      Enviando NFe compactada: ") + kArquivoZip,
                                   std::string("      Resultado: Verdadeiro")}) {
    p = log.find(" - " + linha + "\r\n", p);
    ASSERT_NE(p, std::string::npos) << linha << "\n" << log;
  }
  EXPECT_FALSE(NaLista(std::string("      Enviando NFe compactada: ") + kArquivoZip));
  EXPECT_TRUE(NaLista("      Resultado: Verdadeiro"));
}

TEST_F(EnvioContador, ServidorMudoEsgotaOTempoLimite) {
  Inicia({{"EmailTempoLimiteConexao", "1"}, {"EmailTempoLimiteTotal", "2"}}, true);
  teste::GravarTudo(host_->Local(kArquivoZip), zip_);
  Ctx().atual.EmailDestinatario = kContador;
  Ctx().atual.ArquivoAnexoEmail = kArquivoZip;
  auto inicio = std::chrono::steady_clock::now();
  EXPECT_FALSE(EnviaEmailContador(Ctx()));
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count(), 4.0);
  EXPECT_EQ(Caixas(), std::vector<Caixa>{kFalhaEscritorio});
  EXPECT_NE(Log().find("      Resultado: Falso"), std::string::npos) << Log();
  EXPECT_FALSE(Ui().Ampulheta());
}

}  // namespace
}  // namespace velant
