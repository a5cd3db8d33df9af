// The DANFE PDF of invoices authorised by the simulator, judged by poppler
// (pdftotext, pdfinfo, pdftoppm) and zbar: the barcode reads back
// as the key, every block and value is on the page, items run over
// continuation pages without loss; and only a distribution file as it was
// signed and authorised is drawn.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "apoio/erro_teste.h"
#include "base/erro.h"
#include "component/danfe/danfe_codigo_barras.h"
#include "component/danfe/danfe_dados.h"
#include "component/danfe/danfe_formatos.h"
#include "component/danfe/danfe_pdf.h"
#include "component/danfe/danfe_verificacao.h"
#include "component/xml/chave_acesso.h"
#include "danfe_apoio.h"

namespace velant {
namespace {

using teste::OpcoesDanfe;
using namespace ::testing;

// Each distribution file is made once for the suite.
class DanfePdf : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { a_ = std::make_unique<teste::AmbienteDanfe>(); }
  static void TearDownTestSuite() { a_.reset(), notas_.clear(); }

  struct Nota {
    std::filesystem::path distribuicao;
    std::string windows;   // the distribution file as the Host names it
    std::string chave;
  };
  static const Nota& Autorizada(const std::string& nome, const OpcoesDanfe& o) {
    if (auto it = notas_.find(nome); it != notas_.end()) return it->second;
    Nota n;
    n.distribuicao = teste::DistribuicaoAutorizada(a_->host, o, static_cast<int>(notas_.size()) + 1, &n.chave);
    n.windows = "C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + n.chave + "-procNFe.xml";
    return notas_[nome] = n;
  }
  static const Nota& Pequena() { return Autorizada("pequena", {}); }
  static const Nota& Grande() { return Autorizada("grande", {.itens = 990, .numero = 502}); }
  static const Nota& Paisagem() { return Autorizada("paisagem", {.numero = 503, .tipoImpressao = "2"}); }

  // The component writes the PDF where the Host asks for it.
  std::filesystem::path Pdf(const Nota& n) {
    std::string destino = "C:\\Dunmor\\nfe\\arquivos\\PDF\\" + n.chave + ".pdf";
    EXPECT_EQ(ServicoDocumentoFiscal(a_->host.Ctx()).ImprimeDanfe(n.windows, destino, 2, 0), destino);
    return a_->host.Local(destino);
  }
  // The PDF of these data, drawn directly.
  std::filesystem::path Desenho(const danfe::DadosDanfe& d, const std::string& nome) {
    auto pdf = a_->pasta.Caminho() / (nome + ".pdf");
    teste::GravarTudo(pdf, danfe::GeraPdf(d));
    return pdf;
  }
  static danfe::DadosDanfe DadosPequena() { return danfe::LerDistribuicao(teste::LerTudo(Pequena().distribuicao)); }

  static inline std::unique_ptr<teste::AmbienteDanfe> a_;
  static inline std::map<std::string, Nota> notas_;
};

// zbarimg reads the key back: portrait or landscape by the print type, A4
// either way, and with the letters of an alphanumeric CNPJ.
TEST_F(DanfePdf, CodigoDeBarrasLidoEOrientacao) {
  for (bool paisagem : {false, true}) {
    const Nota& n = paisagem ? Paisagem() : Pequena();
    auto pdf = Pdf(n);
    auto info = teste::LerInfoPdf(pdf);
    EXPECT_NEAR(std::min(info.largura, info.altura), 595.3, 0.5);
    EXPECT_NEAR(std::max(info.largura, info.altura), 841.9, 0.5);
    EXPECT_EQ(info.largura > info.altura, paisagem);
    EXPECT_EQ(teste::CodigoDeBarrasLido(pdf, a_->pasta.Caminho()), n.chave);
  }
  // Start C, 22 pairs, check character, Stop: 11 + 22 x 11 + 11 + 13 modules.
  EXPECT_EQ(danfe::CodigoBarrasChave(Pequena().chave).modulos, 277);
  danfe::DadosDanfe dados = DadosPequena();
  dados.chave = MontaChaveAcesso("35", "2026-07-15T10:00:00-03:00", "12ABC34501DE35", 55, 1, 501, 1, 501,
                                 CnpjNaChave::Alfanumerico);
  EXPECT_EQ(teste::CodigoDeBarrasLido(Desenho(dados, "alfanumerica"), a_->pasta.Caminho()), dados.chave);
  dados.chave = Pequena().chave;
  dados.chave[30] = 'A';   // a letter outside the CNPJ is no key
  EXPECT_THROW(danfe::GeraPdf(dados), ErroExecucao);
}

std::string Observacao(int i) {
  char marca[32];
  std::snprintf(marca, sizeof marca, "Observacao %03d:", i);
  return marca;
}

TEST_F(DanfePdf, BlocosNaOrdemComOsValoresDaNota) {
  const Nota& n = Pequena();
  std::string texto = teste::TextoPdf(Pdf(n));
  std::string proc = teste::LerTudo(n.distribuicao);
  // The blocks top to bottom ('.' takes line ends in a POSIX regex).
  EXPECT_THAT(texto, ContainsRegex("RECEBEMOS DE EMPRESA TESTE LTDA.*IDENTIFICAÇÃO DO EMITENTE.*"
                                   "NATUREZA DA OPERAÇÃO.*INSCRIÇÃO ESTADUAL.*DESTINATÁRIO / REMETENTE.*"
                                   "FATURA / DUPLICATAS.*CÁLCULO DO IMPOSTO.*TRANSPORTADOR / VOLUMES TRANSPORTADOS.*"
                                   "DADOS DOS PRODUTOS / SERVIÇOS.*DADOS ADICIONAIS"));
  // Captions, then the invoice's values as the DANFE formats them; the long
  // description wraps and arrives whole; the key in 11 groups of 4.
  std::string grupos;
  for (size_t i = 0; i < 44; i += 4) grupos += (i ? " " : "") + n.chave.substr(i, 4);
  std::vector<std::string> esperados;   // danfe_textos.tsv
  for (const auto& linha : teste::LerTabela("component/danfe_textos.tsv"))
    esperados.insert(esperados.end(), linha.begin(), linha.end());
  esperados.insert(esperados.end(), {teste::Campo(proc, "nProt"), danfe::LerDistribuicao(proc).protocolo, grupos,
                                     teste::kDestinatarioHomologacao});
  for (const auto& valor : esperados)
    EXPECT_NE(texto.find(valor), std::string::npos) << "faltou: " << valor << "\n" << texto;
  // Services under ISSQN only when the invoice has them.
  EXPECT_EQ(texto.find("CÁLCULO DO ISSQN"), std::string::npos);
}

// Every item once, in order; continuation pages full but the last one; the
// first page holds fewer (its other blocks), and no page is wasted; the
// homologation mark on every page.
TEST_F(DanfePdf, NovecentosENoventaItensEmFolhasDeContinuacao) {
  const Nota& n = Grande();
  auto pdf = Pdf(n);
  int folhas = teste::LerInfoPdf(pdf).paginas;
  ASSERT_GT(folhas, 1);
  std::regex codigo(R"(PRD-(\d{4})\b)");
  std::vector<int> porFolha;
  int esperado = 1;
  for (int f = 1; f <= folhas; ++f) {
    SCOPED_TRACE("folha " + std::to_string(f));
    std::string texto = teste::TextoPdf(pdf, f);
    for (const auto& em : std::vector<std::string>{"IDENTIFICAÇÃO DO EMITENTE", "PROTOCOLO DE AUTORIZAÇÃO DE USO",
                                                   "DADOS DOS PRODUTOS / SERVIÇOS", "NF-e emitida em ambiente de homologação",
                                                   "FOLHA " + std::to_string(f) + "/" + std::to_string(folhas)})
      EXPECT_NE(texto.find(em), std::string::npos) << em;
    EXPECT_EQ(texto.find("DESTINATÁRIO / REMETENTE") != std::string::npos, f == 1);
    if (f == folhas) { EXPECT_EQ(teste::CodigoDeBarrasLido(pdf, a_->pasta.Caminho(), f), n.chave); }
    int nesta = 0;
    for (std::sregex_iterator it(texto.begin(), texto.end(), codigo), fim; it != fim; ++it, ++nesta)
      EXPECT_EQ(std::stoi((*it)[1]), esperado++);
    porFolha.push_back(nesta);
  }
  EXPECT_EQ(esperado - 1, 990);
  int cheia = porFolha[1];
  for (int f = 1; f + 1 < folhas; ++f) EXPECT_EQ(porFolha[f], cheia) << "folha " << f + 1;
  EXPECT_LT(porFolha[0], cheia);
  EXPECT_GE(cheia, 50) << "uma folha de continuação deveria comportar pelo menos 50 itens de uma linha";
  EXPECT_GT(porFolha.back(), 0);
  EXPECT_EQ(folhas, 1 + (990 - porFolha[0] + cheia - 1) / cheia);
}

TEST_F(DanfePdf, InformacoesComplementaresLongasContinuamSemCorte) {
  std::string informacoes;
  for (int i = 1; i <= 60; ++i) informacoes += Observacao(i) + " mercadoria conferida no recebimento pelo cliente;";
  ASSERT_LT(informacoes.size(), 5000u);
  auto pdf = Pdf(Autorizada("informacoes", {.numero = 504, .informacoes = informacoes}));
  int folhas = teste::LerInfoPdf(pdf).paginas;
  EXPECT_GT(folhas, 1);
  std::string texto = teste::TextoPdf(pdf);
  for (int i = 1; i <= 60; ++i) EXPECT_EQ(teste::Ocorrencias(texto, Observacao(i)), 1u) << i;
  EXPECT_NE(teste::TextoPdf(pdf, folhas).find("DADOS ADICIONAIS (CONTINUAÇÃO)"), std::string::npos);
}

// In production: the recipient's own name and no homologation mark; the
// ISSQN block when the invoice has services.
TEST_F(DanfePdf, ProducaoSemMarcaEBlocoDoIssqn) {
  danfe::DadosDanfe d = DadosPequena();
  d.ambiente = "1";
  d.destinatario.nome = "CLIENTE EXEMPLO S A";
  d.totais.temIssqn = true;
  d.totais.servicos = d.totais.baseIssqn = "350.00";
  d.totais.valorIssqn = "17.50";
  d.emitente.im = "98765432";
  std::string texto = teste::TextoPdf(Desenho(d, "producao"));
  EXPECT_THAT(texto,
              AllOf(HasSubstr("CLIENTE EXEMPLO S A"), Not(HasSubstr("SEM VALOR FISCAL")), Not(HasSubstr("homologação"))));
  EXPECT_THAT(texto, ContainsRegex("DADOS DOS PRODUTOS / SERVIÇOS.*CÁLCULO DO ISSQN.*DADOS ADICIONAIS"));
  for (const char* valor : {"INSCRIÇÃO MUNICIPAL", "98765432", "VALOR TOTAL DOS SERVIÇOS", "350,00", "17,50"})
    EXPECT_NE(texto.find(valor, texto.find("CÁLCULO DO ISSQN")), std::string::npos) << valor;
}

// How the DANFE writes the invoice's values: masks only on digits of the
// right length, Brazilian decimals rounded, dates of the ISO date-times.
TEST(DanfeFormatos, TextoEsperado) {
  for (const auto& c : teste::LerTabela("component/danfe_formatos.tsv")) {
    const std::string &f = c[0], &a = c[1];
    auto n = [&](size_t i) { return std::stoi(c[i]); };
    namespace d = danfe;
    const std::string obtido =
        f == "CnpjCpf" ? d::CnpjCpf(a) : f == "Cep" ? d::Cep(a) : f == "Fone" ? d::Fone(a)
        : f == "Numero" ? d::Numero(a, n(2)) : f == "NumeroSignificativo" ? d::NumeroSignificativo(a, n(2), n(3))
        : f == "DataHora" ? d::DataHora(a) : f == "Data" ? d::Data(a) : f == "Hora" ? d::Hora(a)
        : f == "NumeroNota" ? d::NumeroNota(a) : f == "Serie" ? d::Serie(a)
        : f == "ModalidadeFrete" ? d::ModalidadeFrete(a) : d::FormaPagamento(a, c[2]);
    EXPECT_EQ(obtido, c.back()) << f << " " << a;
  }
}

// --- Only the document as it was signed and authorised is drawn ---------------

std::string Troca(const std::string& texto, const std::string& padrao, const std::string& por) {
  return std::regex_replace(texto, std::regex(padrao), por);
}
std::string InsereNoNome(std::string xml, const char* bloco, const std::string& texto) {
  return xml.insert(xml.find("<xNome>", xml.find(bloco)) + 7, texto);
}

TEST_F(DanfePdf, RecusaDocumentoSemAutorizacaoOuAlterado) {
  const Nota& n = Pequena();
  const std::string proc = teste::LerTudo(n.distribuicao);
  const std::string nfe = proc.substr(0, proc.find("<protNFe"));
  // The authority's signature of the protocol is left out, as an unsigned
  // protocol would come: what refuses these is the protocol's content.
  const std::string semAssinatura = nfe + Troca(proc.substr(nfe.size()), "<Signature[^]*</Signature>", "");
  const auto outra = CarregarCertificadoA1(teste::PastaCertificados() / "autoridade.pfx", "1234");
  const std::string semAutorizacao = "não tem protocolo de autorização de uso";
  struct Caso {
    const char* nome;
    std::string xml;
    std::string motivo;   // in the error's description
  } casos[] = {
      // Without protNFe the file is no distribution file at all: the schema says so first.
      {"sem protNFe", nfe + "</nfeProc>", danfe::kRecusaEsquema},
      {"uso denegado (110)", Troca(semAssinatura, "<cStat>100</cStat>", "<cStat>110</cStat>"), semAutorizacao},
      {"protocolo de outra chave", Troca(semAssinatura, n.chave + "</chNFe>", std::string(43, '3') + "5</chNFe>"),
       semAutorizacao},
      {"só a NF-e assinada", teste::LerTudo(a_->host.Local(OperacoesLocais(a_->host.Ctx()).CaminhoAssinado(n.chave))),
       danfe::kRecusaEsquema},
      {"um caminho no lugar do XML", "/etc/hostname", danfe::kRecusaEsquema},
      {"vNF alterado depois de assinado", Troca(proc, "<vNF>[^<]*</vNF>", "<vNF>1.00</vNF>"), danfe::kRecusaAssinatura},
      {"nome do destinatário de 50 MB", InsereNoNome(proc, "<dest>", std::string(50u << 20, 'A')),
       danfe::kRecusaTamanho},
      {"nome do emitente de 300 caracteres, assinada de novo",
       teste::AssinadaDeNovo(proc, [](std::string x) { return InsereNoNome(x, "<emit>", std::string(300, 'X')); }),
       danfe::kRecusaEsquema},
      {"vNF alterado e assinado de novo por outra empresa",
       teste::AssinadaDeNovo(
           proc, [](std::string x) { return Troca(x, "<vNF>[^<]*</vNF>", "<vNF>1.00</vNF>"); }, outra),
       danfe::kRecusaAssinatura},
  };
  const std::string entrada = "C:\\Dunmor\\nfe\\arquivos\\procNFe\\recusa.xml";
  const std::string saida = "C:\\Dunmor\\nfe\\arquivos\\PDF\\recusa.pdf";
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.nome);
    ASSERT_NE(caso.xml, proc);
    teste::GravarTudo(a_->host.Local(entrada), caso.xml);
    const std::string erro =
        teste::ErroDoComponente([&] { ServicoDocumentoFiscal(a_->host.Ctx()).ImprimeDanfe(entrada, saida, 2, 0); });
    EXPECT_NE(erro.find(caso.motivo), std::string::npos) << erro.substr(0, 300);
    if (caso.motivo == semAutorizacao) { EXPECT_NE(erro.find(n.chave), std::string::npos) << erro; }
    EXPECT_FALSE(std::filesystem::exists(a_->host.Local(saida)));
  }
}

TEST_F(DanfePdf, ModoEArquivoInvalidos) {
  ServicoDocumentoFiscal c(a_->host.Ctx());
  const Nota& n = Pequena();
  const std::optional<int> erro = static_cast<int>(CodigoErro::ErroComponente);
  const std::tuple<std::string, std::string, int, std::optional<int>> casos[] = {
      {n.windows, "C:\\Dunmor\\x.pdf", 1, erro}, {n.windows, "", 2, erro},
      {"C:\\Dunmor\\nfe\\nao-existe.xml", "C:\\Dunmor\\x.pdf", 2, erro},
      {n.windows, "C:\\Dunmor\\x.pdf", 2, std::nullopt}};
  for (const auto& [xml, pdf, modo, esperado] : casos)
    EXPECT_EQ(teste::ErroDe([&] { c.ImprimeDanfe(xml, pdf, modo, 0); }), esperado) << xml << " " << pdf << " " << modo;
  // Written whole through a temporary beside it, which does not stay.
  EXPECT_TRUE(std::filesystem::exists(a_->host.Local("C:\\Dunmor\\x.pdf")));
  EXPECT_FALSE(std::filesystem::exists(a_->host.Local("C:\\Dunmor\\x.pdf.tmp")));
}

}  // namespace
}  // namespace velant
