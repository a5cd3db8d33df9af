// The DANFE of invoices authorised by the simulator, judged by poppler
// (pdftotext, pdfinfo, pdftoppm), zbar and a real CUPS scheduler: the
// barcode reads back as the key, every block and value is on the page,
// items run over continuation pages without loss, the job reaches the
// printer's device; and only a distribution file as it was signed and
// authorised is drawn. The invoices are sales a real authority would accept
// (consistent items, totals, instalments and transport).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <optional>
#include <regex>
#include <thread>

#include "apoio/erro_teste.h"
#include "apoio/processo_filho.h"
#include "apoio/servidor_smtp.h"
#include "autoridade_apoio.h"
#include "base/erro.h"
#include "base/texto.h"
#include "component/apoio_nfe400.h"
#include "component/danfe/danfe_codigo_barras.h"
#include "component/danfe/danfe_dados.h"
#include "component/danfe/danfe_formatos.h"
#include "component/danfe/danfe_pdf.h"
#include "component/danfe/danfe_verificacao.h"
#include "component/danfe/impressora_cups.h"
#include "component/operacoes_locais.h"
#include "component/servico_documento_fiscal.h"
#include "component/textos_resposta.h"
#include "component/xml/chave_acesso.h"

namespace velant {
namespace {

using namespace ::testing;
using Clock = std::chrono::steady_clock;

std::string Citado(const std::filesystem::path& p) { return "'" + p.string() + "'"; }
// What an outside tool writes; a tool that fails stops the test.
std::string Saida(const std::string& comando) {
  std::string saida;
  if (teste::Executa(comando, &saida) != 0) throw std::runtime_error(comando + ": " + saida);
  return saida;
}
// pdftotext of one page (0: all), in layout mode.
std::string TextoPdf(const std::filesystem::path& pdf, int pagina = 0) {
  const std::string p = std::to_string(pagina);
  return Saida("pdftotext -layout -enc UTF-8" + (pagina ? " -f " + p + " -l " + p : "") + " " + Citado(pdf) + " -");
}
int Paginas(const std::filesystem::path& pdf) {
  std::smatch m;
  const std::string info = Saida("pdfinfo " + Citado(pdf));
  return std::regex_search(info, m, std::regex(R"(Pages:\s+(\d+))")) ? std::stoi(m[1]) : 0;
}
// What zbarimg reads as Code 128 on the top of the page, rendered at 300 dpi.
std::string CodigoDeBarrasLido(const std::filesystem::path& pdf, int pagina = 1) {
  const std::string p = std::to_string(pagina), png = pdf.string() + "-" + p;
  Saida("pdftoppm -r 300 -gray -png -singlefile -x 0 -y 0 -W 3600 -H 1200 -f " + p + " -l " + p + " " + Citado(pdf) +
        " " + Citado(png));
  std::string lido;   // its complaints about a missing system bus are not the symbol
  teste::Executa("(zbarimg --quiet --raw -Sdisable -Scode128.enable " + Citado(png + ".png") + " 2>/dev/null)", &lido);
  return lido.substr(0, lido.find_first_of("\r\n"));
}

std::string Centavos(long long c) { return std::to_string(c / 100) + "." + std::to_string(100 + c % 100).substr(1); }

struct OpcoesDanfe {
  int itens = 2;
  int numero = 501;
  std::string tipoImpressao = "1";
  std::string informacoes = "Vendedor: JOAO;Pedido do cliente: 4567;";
};

// A sale of n items at 2 x 50.00 with ICMS 18%, PIS 1.65 and COFINS 7.60
// each; item 1 has a long accented description, so that it wraps
// (nota_danfe.tsv). The three instalments add up to the invoice's total. Signed.
std::string NotaDanfeAssinada(const OpcoesDanfe& o, std::string* chave) {
  VetoresNFe v = teste::NotaExemplo();
  v.gQtdItens = o.itens;
  v.gVetorProdutos.assign(o.itens, teste::ItemCrt3());
  for (int i = 1; i <= o.itens; ++i) {
    v.gVetorProdutos[i - 1][Produto::cProd] = "PRD-" + std::to_string(10000 + i).substr(1);
    v.gVetorProdutos[i - 1][Produto::xProd] = "PRODUTO DE TESTE NÚMERO " + std::to_string(i);
  }
  for (const auto& linha : teste::LerTabela("component/nota_danfe.tsv")) teste::Altera(v, nullptr, linha[0]);
  v.gVetorIde[Ide::cNF] = v.gVetorIde[Ide::nNF] = std::to_string(o.numero);
  for (auto [slot, centavos] : {std::pair{Totais::vBC, 10000LL}, {Totais::vICMS, 1800LL}, {Totais::vProd, 10000LL},
                                {Totais::vPIS, 165LL}, {Totais::vCOFINS, 760LL}, {Totais::vNF, 10000LL}})
    v.gVetorTotais[slot] = Centavos(centavos * o.itens);
  const long long total = 10000LL * o.itens, parcela = total / 3;   // the last takes the rest
  v.gVetorFaturas[0][Fatura::vOrig] = v.gVetorFaturas[0][Fatura::vLiq] = Centavos(total);
  for (int d = 0; d < 3; ++d) v.gVetorFaturas[d][Fatura::vDup] = Centavos(d < 2 ? parcela : total - 2 * parcela);
  v.gVetorInfAdic[InfAdic::infCpl] = o.informacoes;
  *chave = teste::ChaveDa(v);
  MapeadorCaminhos caminhos(std::filesystem::temp_directory_path());
  GeradorXmlNFe g(caminhos);
  teste::Emitente400(g);
  g.Leiaute = "3.10", g.TipoDanfe = o.tipoImpressao, g.IdNFe = "NFe" + *chave;
  g.UltimoItem = static_cast<int16_t>(o.itens - 1);
  return AssinarXml(g.MontaXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                               v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML,
                               "-02:00"),
                    "infNFe", teste::CertificadoTeste());
}

// Sent, authorised by the simulator (at once in 4.00, by the receipt in
// 3.10) and written by the component as the distribution file; its Windows path.
std::string DistribuicaoAutorizada(teste::HostTeste& host, const std::string& assinada, const std::string& chave,
                                   int lote) {
  OperacoesLocais locais(host.Ctx());
  teste::GravarTudo(host.Local(locais.CaminhoAssinado(chave)), assinada);
  ServicoDocumentoFiscal c(host.Ctx());
  RespostaLote enviado = c.EnviaLote(c.GeraLote(locais.CaminhoAssinado(chave), lote)), processado = enviado;
  for (int i = 0; i < 5 && !processado.protocolo && enviado.Recebido(); ++i) processado = c.ConsultaLote(enviado.nRec);
  if (!processado.protocolo || !processado.protocolo->Autorizado())
    throw std::runtime_error("NF-e não autorizada: " + TextoConsultaLote(processado));
  return c.GeraDistribuicao(chave);
}

// The NF-e of a distribution file without its signature, changed by
// `altera`, signed again (by default with the issuer's test certificate) and put back.
std::string AssinadaDeNovo(const std::string& proc, const std::function<std::string(std::string)>& altera,
                           const CertificadoA1& certificado = teste::CertificadoTeste()) {
  const size_t inicio = proc.find("<NFe"), fim = proc.find("</NFe>") + 6;
  const std::string nfe = proc.substr(inicio, fim - inicio);
  std::string assinada = AssinarXml(altera(nfe.substr(0, nfe.find("<Signature")) + "</NFe>"), "infNFe", certificado);
  return proc.substr(0, inicio) + assinada.substr(assinada.find("<NFe")) + proc.substr(fim);
}

// A simulator and a Host of its services (the simulator checks a 990-item
// batch slowly under the sanitizers: room is given).
struct AmbienteDanfe {
  teste::PastaTemporaria pasta;
  teste::ProcessoSimulador sim;
  teste::HostTeste host;
  explicit AmbienteDanfe(bool leiaute310 = true, std::vector<std::pair<std::string, std::string>> registro = {})
      : sim(pasta.Caminho() / "simulador", {}, leiaute310), host(pasta.Caminho() / "host", sim.Servicos(), [&] {
          registro.insert(registro.end(), {{"TempoLimiteLeitura", "90"}, {"TempoLimiteTotal", "120"}});
          return registro;
        }()) {}
};

// One simulator and one Host for the suite; each note authorised once.
class DanfePdf : public ::testing::Test {
 protected:
  struct Nota {
    std::string chave, windows, proc;   // the distribution file: its Windows path and text
  };
  static void SetUpTestSuite() { a_ = std::make_unique<AmbienteDanfe>(); }
  static void TearDownTestSuite() { a_.reset(), notas_.clear(); }

  static const Nota& Autorizada(const std::string& nome, const OpcoesDanfe& o) {
    if (auto it = notas_.find(nome); it != notas_.end()) return it->second;
    Nota n;
    const std::string assinada = NotaDanfeAssinada(o, &n.chave);
    n.windows = DistribuicaoAutorizada(a_->host, assinada, n.chave, static_cast<int>(notas_.size()) + 1);
    n.proc = teste::LerTudo(a_->host.Local(n.windows));
    return notas_[nome] = n;
  }
  static const Nota& Pequena() { return Autorizada("pequena", {}); }

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

  static inline std::unique_ptr<AmbienteDanfe> a_;
  static inline std::map<std::string, Nota> notas_;
};

// zbarimg reads the key back: portrait or landscape by the print type, A4
// either way, and with the letters of an alphanumeric CNPJ.
TEST_F(DanfePdf, CodigoDeBarrasLidoEOrientacao) {
  for (bool paisagem : {false, true}) {
    const Nota& n = paisagem ? Autorizada("paisagem", {.numero = 503, .tipoImpressao = "2"}) : Pequena();
    auto pdf = Pdf(n);
    EXPECT_THAT(Saida("pdfinfo " + Citado(pdf)),
                ContainsRegex(paisagem ? "Page size: +841.89 x 595.276 pts .A4."
                                       : "Page size: +595.276 x 841.89 pts .A4."));
    EXPECT_EQ(CodigoDeBarrasLido(pdf), n.chave);
  }
  // Start C, 22 pairs, check character, Stop: 11 + 22 x 11 + 11 + 13 modules.
  EXPECT_EQ(danfe::CodigoBarrasChave(Pequena().chave).modulos, 277);
  danfe::DadosDanfe dados = danfe::LerDistribuicao(Pequena().proc);
  dados.chave = MontaChaveAcesso("35", "2026-07-15T10:00:00-03:00", "12ABC34501DE35", 55, 1, 501, 1, 501,
                                 CnpjNaChave::Alfanumerico);
  EXPECT_EQ(CodigoDeBarrasLido(Desenho(dados, "alfanumerica")), dados.chave);
  dados.chave = Pequena().chave;
  dados.chave[30] = 'A';   // a letter outside the CNPJ is no key
  EXPECT_THROW(danfe::GeraPdf(dados), ErroExecucao);
}

TEST_F(DanfePdf, BlocosNaOrdemComOsValoresDaNota) {
  const Nota& n = Pequena();
  std::string texto = TextoPdf(Pdf(n));
  // The blocks top to bottom ('.' takes line ends in a POSIX regex).
  EXPECT_THAT(texto, ContainsRegex("RECEBEMOS DE EMPRESA TESTE LTDA.*IDENTIFICAÇÃO DO EMITENTE.*"
                                   "NATUREZA DA OPERAÇÃO.*INSCRIÇÃO ESTADUAL.*DESTINATÁRIO / REMETENTE.*"
                                   "FATURA / DUPLICATAS.*CÁLCULO DO IMPOSTO.*TRANSPORTADOR / VOLUMES TRANSPORTADOS.*"
                                   "DADOS DOS PRODUTOS / SERVIÇOS.*DADOS ADICIONAIS"));
  // Captions, then the invoice's values as the DANFE formats them
  // (danfe_textos.tsv); the long description wraps and arrives whole; the
  // key in 11 groups of 4.
  std::string grupos;
  for (size_t i = 0; i < 44; i += 4) grupos += (i ? " " : "") + n.chave.substr(i, 4);
  std::vector<std::string> esperados = {teste::Campo(n.proc, "nProt"), danfe::LerDistribuicao(n.proc).protocolo,
                                        grupos, teste::kDestinatarioHomologacao};
  for (const auto& linha : teste::LerTabela("component/danfe_textos.tsv"))
    esperados.insert(esperados.end(), linha.begin(), linha.end());
  for (const auto& valor : esperados)
    EXPECT_NE(texto.find(valor), std::string::npos) << "faltou: " << valor << "\n" << texto;
  // Services under ISSQN only when the invoice has them.
  EXPECT_EQ(texto.find("CÁLCULO DO ISSQN"), std::string::npos);
}

// Every item once, in order; continuation pages full but the last one; the
// first page holds fewer (its other blocks), and no page is wasted; the
// homologation mark and the barcode on every page.
TEST_F(DanfePdf, NovecentosENoventaItensEmFolhasDeContinuacao) {
  const Nota& n = Autorizada("grande", {.itens = 990, .numero = 502});
  auto pdf = Pdf(n);
  const int folhas = Paginas(pdf);
  ASSERT_GT(folhas, 1);
  std::vector<int> porFolha;
  int esperado = 1;
  for (int f = 1; f <= folhas; ++f) {
    SCOPED_TRACE("folha " + std::to_string(f));
    std::string texto = TextoPdf(pdf, f);
    for (const auto& em : std::vector<std::string>{"IDENTIFICAÇÃO DO EMITENTE", "PROTOCOLO DE AUTORIZAÇÃO DE USO",
                                                   "DADOS DOS PRODUTOS / SERVIÇOS",
                                                   "NF-e emitida em ambiente de homologação",
                                                   "FOLHA " + std::to_string(f) + "/" + std::to_string(folhas)})
      EXPECT_NE(texto.find(em), std::string::npos) << em;
    EXPECT_EQ(texto.find("DESTINATÁRIO / REMETENTE") != std::string::npos, f == 1);
    if (f == folhas) { EXPECT_EQ(CodigoDeBarrasLido(pdf, f), n.chave); }
    int nesta = 0;
    std::regex codigo(R"(PRD-(\d{4})\b)");
    for (std::sregex_iterator it(texto.begin(), texto.end(), codigo), fim; it != fim; ++it, ++nesta)
      EXPECT_EQ(std::stoi((*it)[1]), esperado++);
    porFolha.push_back(nesta);
  }
  EXPECT_EQ(esperado - 1, 990);
  const int cheia = porFolha[1];
  for (int f = 1; f + 1 < folhas; ++f) EXPECT_EQ(porFolha[f], cheia) << "folha " << f + 1;
  EXPECT_THAT(porFolha[0], Lt(cheia));
  EXPECT_GE(cheia, 50) << "uma folha de continuação deveria comportar pelo menos 50 itens de uma linha";
  EXPECT_GT(porFolha.back(), 0);
  EXPECT_EQ(folhas, 1 + (990 - porFolha[0] + cheia - 1) / cheia);
}

TEST_F(DanfePdf, InformacoesComplementaresLongasContinuamSemCorte) {
  auto observacao = [](int i) { return "Observacao " + std::to_string(1000 + i).substr(1) + ":"; };
  std::string informacoes;
  for (int i = 1; i <= 60; ++i) informacoes += observacao(i) + " mercadoria conferida no recebimento pelo cliente;";
  auto pdf = Pdf(Autorizada("informacoes", {.numero = 504, .informacoes = informacoes}));
  const int folhas = Paginas(pdf);
  EXPECT_GT(folhas, 1);
  const std::string texto = TextoPdf(pdf);
  for (int i = 1; i <= 60; ++i) EXPECT_EQ(teste::Ocorrencias(texto, observacao(i)), 1u) << i;
  EXPECT_THAT(TextoPdf(pdf, folhas), HasSubstr("DADOS ADICIONAIS (CONTINUAÇÃO)"));
}

// In production: the recipient's own name and no homologation mark; the
// ISSQN block when the invoice has services.
TEST_F(DanfePdf, ProducaoSemMarcaEBlocoDoIssqn) {
  danfe::DadosDanfe d = danfe::LerDistribuicao(Pequena().proc);
  d.ambiente = "1";
  d.destinatario.nome = "CLIENTE EXEMPLO S A";
  d.totais.temIssqn = true;
  d.totais.servicos = d.totais.baseIssqn = "350.00";
  d.totais.valorIssqn = "17.50";
  d.emitente.im = "98765432";
  std::string texto = TextoPdf(Desenho(d, "producao"));
  EXPECT_THAT(texto, AllOf(HasSubstr("CLIENTE EXEMPLO S A"), Not(HasSubstr("SEM VALOR FISCAL")),
                           Not(HasSubstr("homologação"))));
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
  const std::string &proc = n.proc, nfe = proc.substr(0, proc.find("<protNFe"));
  // The authority's signature of the protocol is left out, as an unsigned
  // protocol would come: what refuses these is the protocol's content.
  const std::string semAssinatura = nfe + Troca(proc.substr(nfe.size()), "<Signature[^]*</Signature>", "");
  const auto outra = CarregarCertificadoA1(teste::PastaCertificados() / "autoridade.pfx", "1234");
  const std::string semAutorizacao = "não tem protocolo de autorização de uso";
  const std::pair<std::string, std::string> casos[] = {   // the document; what the error says
      // Without protNFe the file is no distribution file at all: the schema says so first.
      {nfe + "</nfeProc>", danfe::kRecusaEsquema},
      {Troca(semAssinatura, "<cStat>100</cStat>", "<cStat>110</cStat>"), semAutorizacao},   // use denied
      {Troca(semAssinatura, n.chave + "</chNFe>", std::string(43, '3') + "5</chNFe>"), semAutorizacao},
      {teste::LerTudo(a_->host.Local(OperacoesLocais(a_->host.Ctx()).CaminhoAssinado(n.chave))), danfe::kRecusaEsquema},
      {"/etc/hostname", danfe::kRecusaEsquema},   // a path instead of the XML
      {Troca(proc, "<vNF>[^<]*</vNF>", "<vNF>1.00</vNF>"), danfe::kRecusaAssinatura},
      {InsereNoNome(proc, "<dest>", std::string(50u << 20, 'A')), danfe::kRecusaTamanho},
      {AssinadaDeNovo(proc, [](std::string x) { return InsereNoNome(x, "<emit>", std::string(300, 'X')); }),
       danfe::kRecusaEsquema},
      {AssinadaDeNovo(proc, [](std::string x) { return Troca(x, "<vNF>[^<]*</vNF>", "<vNF>1.00</vNF>"); }, outra),
       danfe::kRecusaAssinatura},
  };
  const std::string entrada = "C:\\Dunmor\\nfe\\arquivos\\procNFe\\recusa.xml", saida = "C:\\Dunmor\\recusa.pdf";
  for (const auto& [xml, motivo] : casos) {
    SCOPED_TRACE(xml.substr(0, 200));
    ASSERT_NE(xml, proc);
    teste::GravarTudo(a_->host.Local(entrada), xml);
    const std::string erro =
        teste::ErroDoComponente([&] { ServicoDocumentoFiscal(a_->host.Ctx()).ImprimeDanfe(entrada, saida, 2, 0); });
    EXPECT_NE(erro.find(motivo), std::string::npos) << erro.substr(0, 300);
    if (motivo == semAutorizacao) { EXPECT_NE(erro.find(n.chave), std::string::npos) << erro; }
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

// --- Printing through a real CUPS scheduler -----------------------------------

// cupsd -f with its own configuration, folders and socket under `pasta`,
// whose queues' device is a file.
class ServidorCups {
 public:
  explicit ServidorCups(const std::filesystem::path& pasta) : pasta_(pasta), p_(pasta.string()) {
    // The filters run as the scheduler's own user, who must reach the spool.
    std::filesystem::permissions(pasta_.parent_path(), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    for (const char* sub : {"spool", "tmp", "cache", "state", "log", "saida"})
      std::filesystem::create_directories(pasta_ / sub);
    teste::GravarTudo(pasta_ / "cupsd.conf",
                      "Listen " + Socket() + "\nLogLevel info\nWebInterface No\nBrowsing No\nDefaultAuthType None\n"
                      "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                      "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
    teste::GravarTudo(pasta_ / "cups-files.conf",
                      "ServerRoot " + p_ + "\nRequestRoot " + p_ + "/spool\nTempDir " + p_ + "/tmp\nCacheDir " + p_ +
                      "/cache\nStateDir " + p_ + "/state\nAccessLog " + p_ + "/log/access_log\nErrorLog " + p_ +
                      "/log/error_log\nPageLog " + p_ + "/log/page_log\nFileDevice Yes\n");
    pid_ = teste::IniciaProcesso({"/usr/sbin/cupsd", "-f", "-c", p_ + "/cupsd.conf", "-s", p_ + "/cups-files.conf"},
                                 pasta_ / "cupsd.out");
    sockaddr_un endereco{.sun_family = AF_UNIX, .sun_path = {}};
    Socket().copy(endereco.sun_path, sizeof endereco.sun_path - 1);
    for (auto limite = Clock::now() + std::chrono::seconds(20);;
         std::this_thread::sleep_for(std::chrono::milliseconds(50))) {
      const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
      const bool atende = connect(fd, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) == 0;
      close(fd);
      if (atende) break;
      if (Clock::now() > limite) throw std::runtime_error("o cupsd não abriu o socket: " + Log());
    }
  }
  ~ServidorCups() {
    int status = 0;
    teste::ParaProcesso(pid_, std::chrono::seconds(10), status);
  }

  std::string Socket() const { return p_ + "/cups.sock"; }
  std::filesystem::path Saida(const std::string& fila) const { return pasta_ / "saida" / (fila + ".prn"); }
  std::string Log() const { return teste::LerTudo(pasta_ / "log" / "error_log"); }
  // A CUPS client command (its first word) against this scheduler; what it wrote.
  std::string Lp(const std::string& comando) const {
    const size_t espaco = comando.find(' ');
    return velant::Saida(comando.substr(0, espaco) + " -h " + Citado(Socket()) + comando.substr(espaco));
  }
  // Waits (bounded) until the job is completed.
  bool EsperaConcluido(const std::string& fila, const std::string& trabalho) const {
    for (auto limite = Clock::now() + std::chrono::seconds(30); Clock::now() < limite;
         std::this_thread::sleep_for(std::chrono::milliseconds(100)))
      if (Lp("lpstat -W completed -o " + fila).find(fila + "-" + trabalho + " ") != std::string::npos) return true;
    return false;
  }

 private:
  std::filesystem::path pasta_;
  std::string p_;
  pid_t pid_ = -1;
};

// With no printer in the registry, the scheduler's default one gets the
// DANFE (the registry's own printer is exemplos_integracao.sh's); refusals
// name the printer and CUPS's reason; a silent scheduler costs a bounded wait.
TEST_F(DanfePdf, ImpressaoNaImpressoraPadraoERecusasComOMotivo) {
  ServidorCups cups(a_->pasta.Caminho() / "cups");
  for (const std::string fila : {"DanfeBalcao", "DanfeExpedicao", "DanfeFechada"})
    cups.Lp("lpadmin -p " + fila + " -E -v file://" + cups.Saida(fila).string() + " -P " +
            Citado(std::filesystem::path(VELANT_FONTE) / "tests/apoio/fila-passagem.ppd"));
  cups.Lp("lpadmin -d DanfeExpedicao");
  cups.Lp("cupsreject -r manutencao DanfeFechada");
  int hosts = 0;
  // ImprimeDanfe of the small invoice by a Host whose registry names the printer, with this scheduler.
  auto imprime = [&](const std::string& impressora, const std::string& servidor) {
    teste::VariavelAmbiente variavel("CUPS_SERVER", servidor);
    teste::HostTeste host(a_->pasta.Caminho() / ("host" + std::to_string(++hosts)), a_->sim.Servicos(),
                          {{"ImpressoraDanfe", impressora}});
    teste::GravarTudo(host.Local("C:\\Dunmor\\d.xml"), Pequena().proc);
    return ServicoDocumentoFiscal(host.Ctx()).ImprimeDanfe("C:\\Dunmor\\d.xml", "", 3, 0);
  };
  const auto temporarios = a_->pasta.Caminho() / "tmp";
  std::filesystem::create_directories(temporarios);
  {
    teste::VariavelAmbiente tmp("TMPDIR", temporarios.string());
    const std::string resposta = imprime("", cups.Socket());
    ASSERT_EQ(resposta.rfind("Trabalho de impressão ", 0), 0u) << resposta;
    ASSERT_TRUE(cups.EsperaConcluido("DanfeExpedicao", resposta.substr(resposta.rfind(' ') + 1))) << cups.Log();
  }
  // What reached the device is the DANFE of this invoice; the temporary PDF did not stay behind.
  const std::string chave = Pequena().chave;
  EXPECT_THAT(TextoPdf(cups.Saida("DanfeExpedicao")),
              AllOf(HasSubstr("DANFE"), HasSubstr(chave.substr(0, 4) + " " + chave.substr(4, 4)),
                    HasSubstr("Nº 000.000.501")));
  EXPECT_TRUE(std::filesystem::is_empty(temporarios));

  const std::string parado = (a_->pasta.Caminho() / "nenhum.sock").string();
  const std::pair<std::string, std::vector<std::string>> casos[] = {   // the printer; what the error says
      {"NaoExiste", {"\"NaoExiste\"", "não encontrada"}},
      {"DanfeFechada", {"\"DanfeFechada\"", "não está aceitando trabalhos"}},
      {"DanfeBalcao", {"\"DanfeBalcao\"", "não foi possível conectar", parado}}};
  for (const auto& [impressora, trechos] : casos) {
    const std::string erro =
        teste::ErroDoComponente([&] { imprime(impressora, impressora == "DanfeBalcao" ? parado : cups.Socket()); });
    for (const auto& t : trechos) EXPECT_THAT(erro, HasSubstr(t));
  }
  for (const char* fila : {"DanfeFechada", "DanfeBalcao"}) EXPECT_FALSE(std::filesystem::exists(cups.Saida(fila)));

  teste::ServidorMudo mudo;   // takes the connection and never answers
  ConfiguracaoImpressora cfg{"DanfeBalcao", "127.0.0.1:" + std::to_string(mudo.Porta()), std::chrono::seconds(1),
                             std::chrono::seconds(1)};
  const auto inicio = Clock::now();
  EXPECT_THAT(teste::ErroDoComponente([&] { ImprimePdf(cfg, cups.Saida("DanfeExpedicao"), "DANFE"); }),
              HasSubstr("\"DanfeBalcao\""));
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - inicio).count(), 8.0);
}

// --- Layout 4.00 ----------------------------------------------------------------

// A 4.00 invoice paid 150.00 in cash for 100.00, authorised by an authority
// of 4.00 only: its distribution file passes the 4.00 schema and is drawn
// with how it was paid and the poverty-fund totals; without its payment,
// signed again by the issuer, it is not an invoice and is not drawn.
TEST(Danfe400, PagamentoTrocoEFcpEFalhaDoEsquema400) {
  AmbienteDanfe a(false, {{"LeiauteNFe", "4.00"}});
  std::string chave, nota = teste::NotaSemAssinatura400({.numero = 410}, &chave);
  const size_t inicio = nota.find("<pag>");
  nota.replace(
      inicio, nota.find("</pag>") + 6 - inicio,
      "<pag><detPag><indPag>0</indPag><tPag>01</tPag><vPag>150.00</vPag></detPag><vTroco>50.00</vTroco></pag>");
  const std::string windows =
      DistribuicaoAutorizada(a.host, AssinarXml(nota, "infNFe", teste::CertificadoTeste()), chave, 1);
  const std::string proc = teste::LerTudo(a.host.Local(windows));
  ASSERT_EQ(ValidarXml(proc, "PL_010e/procNFe_v4.00.xsd").value_or(""), "");
  const std::string saida = "C:\\Dunmor\\nfe\\arquivos\\PDF\\nota400.pdf";
  EXPECT_EQ(ServicoDocumentoFiscal(a.host.Ctx()).ImprimeDanfe(windows, saida, 2, 0), saida);
  const std::string texto = Replace(Replace(TextoPdf(a.host.Local(saida)), " ", ""), "\n", "");
  for (const auto& esperado : std::vector<std::string>{"PAGAMENTO:DINHEIROR$150,00", "TROCO:R$50,00", "VALORDOFCP",
                                                       "VALORDOFCPST", "VALORTOTALDANOTA", chave.substr(0, 4)})
    EXPECT_NE(texto.find(esperado), std::string::npos) << esperado << "\n" << texto.substr(0, 3000);
  EXPECT_EQ(texto.find("OUTRAFORMADEPAGAMENTO"), std::string::npos);
  const std::string erro = teste::ErroDoComponente([&] {
    danfe::LerDistribuicaoVerificada(AssinadaDeNovo(proc, [](std::string nfe) {
      const size_t i = nfe.find("<pag>");
      return nfe.erase(i, nfe.find("</pag>") + 6 - i);
    }));
  });
  EXPECT_EQ(erro.rfind(danfe::kRecusaEsquema, 0), 0u) << erro;
  EXPECT_NE(erro.find("pag"), std::string::npos) << erro;
}

}  // namespace
}  // namespace velant
