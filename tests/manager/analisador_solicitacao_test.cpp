#include "manager/analisador_solicitacao.h"

#include <gtest/gtest.h>

#include <array>

#include "ambiente_teste.h"

namespace velant {
namespace {

using teste::AmbienteTeste;
using teste::Pedido;
using teste::Solicitacao;

Valor M(const char* texto) { return Valor(Currency::DeTextoInvariante(texto)); }

class Analisador : public ::testing::Test {
 protected:
  bool Analisa(const std::string& texto) { return AnalisaTextoSolicitacao(a.ctx, a.janela, texto); }
  data::Recordset& Nota() { return a.tabelas.TabelaNota; }
  AmbienteTeste a;
};

const auto kPeloNome = [](const auto& info) { return std::string(info.param.nome); };
constexpr const char* kAtivo = "Gerenciador Padrão NFe Está Ativado !";

std::string Minima(const char* comando) {
  return Solicitacao({std::string("000-000 - ") + comando, "001-000 - 77", "999-999 - "});
}

// Lines 0 .. maiorNumeroLinha - 1 end with CR LF; the terminator is the last read line.
std::string ComLinhas(int maiorNumeroLinha) {
  std::string t = "000-000 - ATV\r\n001-000 - 3\r\n";
  for (int i = 2; i < maiorNumeroLinha - 1; ++i) t += "500-000 - x\r\n";
  return t + "999-999 - \r\n";
}

TEST(Aceita, MostraOTextoDoComando) {
  const struct {
    std::string texto;
    const char* comando;
    const char* textoRetorno;
    int controle;
  } casos[] = {
      {Minima("ATV"), "ATV", kAtivo, 77},
      {Minima("NFE3.10"), "NFE3.10", "Nota Fiscal Eletrônica Recebida !", 77},
      {Minima("IMPRIMIR DANFE"), "IMPRIMIR DANFE", "Impressão de NFe Recebida !", 77},
      {Minima("CANCELAR NFE"), "CANCELAR NFE", "Cancelamento de NFe Recebida !", 77},
      {Minima("ENVIA EMAIL"), "ENVIA EMAIL", "Envio de Email de NFe Recebida !", 77},
      {Minima("STATUS SERVICO"), "STATUS SERVICO", "", 77},
      {Minima("ENVIA NFE EMAIL CONT"), "ENVIA NFE EMAIL CONT", "", 77},
      {Minima("INUTILIZA NFE"), "INUTILIZA NFE", "", 77},
      {Solicitacao({"000-000 - ATV", "001-000 - 1", "999-999"}), "ATV", kAtivo, 1},   // terminator without a value
      // Unknown lines and rubbish are passed over.
      {Solicitacao({"000-000 - ATV", "", "x", "ABC-000 - 1", "1A1-000 - 2", "001-00", "0010000 - 3", "500-000 - 4",
                    "001-000 - 8", "852-001 - 5", "999-999 - "}),
       "ATV", kAtivo, 8},
      {ComLinhas(32768), "ATV", kAtivo, 3}};   // line 32768 still read
  for (const auto& c : casos) {
    SCOPED_TRACE(c.texto.substr(0, 40));
    AmbienteTeste a;
    ASSERT_TRUE(AnalisaTextoSolicitacao(a.ctx, a.janela, c.texto));
    const auto& j = a.janela;   // command|accepted|code|control|return text|label text|label shown
    EXPECT_EQ(j.ComandoAtual + (j.SolicitacaoAceita ? "|1|" : "|0|") + j.CodigoRetorno + "|" + std::to_string(j.NumeroControle) +
                  "|" + j.TextoRetorno + "|" + j.TextoStatus + "|" + a.ui.Status(),
              std::string(c.comando) + "|1|0|" + std::to_string(c.controle) + "|" + c.textoRetorno + "|" +
                  c.textoRetorno + "|" + c.textoRetorno);
    EXPECT_TRUE(a.NaLista(std::string("      Solicitação requisitada: ") + c.comando));
  }
}

// --- Rejected requests -----------------------------------------------------------

struct CasoRejeicao {
  const char* nome;
  std::string texto;
  const char* status;       // label after the parse
  const char* motivo;       // why, for the Host cancellation
  int erroNumero;           // 0: no run-time error
  int fase;
  const char* erroTexto = "";   // start of the error's description in the log
  friend void PrintTo(const CasoRejeicao& c, std::ostream* os) { *os << c.nome; }
};

class Rejeita : public Analisador, public ::testing::WithParamInterface<CasoRejeicao> {};

TEST_P(Rejeita, ComOTextoEsperado) {
  const auto& c = GetParam();
  a.ui.DefinirStatus("Verificando Solicitação...");
  a.janela.TextoStatus = "Verificando Solicitação...";
  EXPECT_FALSE(Analisa(c.texto));
  EXPECT_FALSE(a.janela.SolicitacaoAceita);
  EXPECT_EQ(a.ui.Status(), c.status);
  EXPECT_EQ(a.janela.MotivoRecusa, c.motivo);
  if (c.erroNumero == 0) {
    EXPECT_TRUE(a.ui.Caixas().empty());
    return;
  }
  ASSERT_EQ(a.ui.Caixas().size(), 1u);
  const auto& caixa = a.ui.Caixas()[0];
  EXPECT_EQ(caixa.titulo + "|" + std::to_string(caixa.estilo), "Rotina: GerenciadorPadraoAtivo|" + std::to_string(vbInformation));
  EXPECT_TRUE(caixa.prompt.starts_with("ERrO não identificado!\r\n")) << caixa.prompt;
  EXPECT_TRUE(caixa.prompt.ends_with("\r\n" + std::to_string(c.erroNumero))) << caixa.prompt;
  const std::string linha = "GerenciadorNFe.AbreArquivoSolicitacao: Fase do erro: " + std::to_string(c.fase) +
                            " - ErroNúmero: " + std::to_string(c.erroNumero) + " - ErroTexto: " + c.erroTexto;
  EXPECT_NE(a.ArquivoLog().find(linha), std::string::npos) << a.ArquivoLog();
}

constexpr const char* kAguarda = "Verificando Solicitação...";
constexpr const char* kAtv = "Processando... Comando: ATV";
constexpr const char* kNfe = "Processando... Comando: NFE3.10";
constexpr const char* kSemCrLf = "Texto sem CR LF (linhas devem terminar em CR LF)";

INSTANTIATE_TEST_SUITE_P(
    Casos, Rejeita,
    ::testing::Values(
        CasoRejeicao{"ComandoDesconhecido", Solicitacao({"000-000 - XYZ", "999-999 - "}), "Comando Desconhecido.  ->XYZ<-", "Comando Desconhecido.  ->XYZ<-", 0, 0},
        CasoRejeicao{"ComandoEmMinusculas", Solicitacao({"000-000 - atv", "999-999 - "}), "Comando Desconhecido.  ->atv<-", "Comando Desconhecido.  ->atv<-", 0, 0},
        CasoRejeicao{"PrimeiraLinhaSemCodigo", Solicitacao({"001-000 - ATV", "999-999 - "}), "Comando Desconhecido.  -><-", "Primeira linha sem o código 000-000", 0, 0},
        CasoRejeicao{"SemCrLf", "000-000 - ATV", kAguarda, kSemCrLf, 0, 0},
        CasoRejeicao{"SoLfSeparaNada", "000-000 - ATV\n001-000 - 1\n999-999 - \n", kAguarda, kSemCrLf, 0, 0},
        CasoRejeicao{"TerminadorSemCrLfFinal", "000-000 - ATV\r\n001-000 - 1\r\n999-999 - ", kAtv, "Terminador 999-999 sem CR LF no fim do texto", 0, 0},
        CasoRejeicao{"SemTerminador", Solicitacao({"000-000 - ATV", "001-000 - 1"}), kAtv, "Sem a linha 999-999 (terminador)", 0, 0},
        CasoRejeicao{"TextoVazio", "", kAguarda, "Texto da solicitação vazio", 9, 4},
        CasoRejeicao{"ControleNaoNumerico", Solicitacao({"000-000 - ATV", "001-000 - 12a", "999-999 - "}), kAtv, "Campo 001-000 inválido: Tipos incompatíveis", 13, 21},
        CasoRejeicao{"ControleVazio", Solicitacao({"000-000 - ATV", "001-000 - ", "999-999 - "}), kAtv, "Campo 001-000 inválido: Tipos incompatíveis", 13, 21},
        CasoRejeicao{"LinhaCurta", Solicitacao({"000-000 - ATV", "111-000", "999-999 - "}), kAtv, "Campo 111-000 inválido: Linha curta demais para conter um valor: 111-000", 5, 21},
        CasoRejeicao{"MoedaRegionalInvalida", Pedido("NFE3.10", {"115-000 - R$ 5,00"}), kNfe, "Campo 115-000 inválido: Tipos incompatíveis", 13, 21},
        CasoRejeicao{"TipoFreteComLetras", Pedido("NFE3.10", {"362-000 - 1A"}), kNfe, "Campo 362-000 inválido: Tipos incompatíveis", 13, 21},
        CasoRejeicao{"DataDeVencimentoImpossivel", Pedido("NFE3.10", {"700-001 - ", "712-001 - 31/02/2024"}), kNfe, "Campo 712-001 inválido: Tipos incompatíveis", 13, 21},
        CasoRejeicao{"CodigoEcfNaoInteiro", Pedido("NFE3.10", {"600-001 - ", "611-001 - ABC"}), kNfe, "Campo 611-001 inválido: Tipos incompatíveis", 13, 21},
        CasoRejeicao{"CodEstadoIdeComLetras", Pedido("NFE3.10", {"100-000 - ", "800-001 - ", "833-001 - SP"}), kNfe, "Campo 833-001 inválido: Tipos incompatíveis", 13, 21},
        CasoRejeicao{"Codigo040ForaDe16Bits", Solicitacao({"000-000 - ATV", "040-000 - 40000", "999-999 - "}), kAtv, "Campo 040-000 inválido: Estouro", 6, 21},
        CasoRejeicao{"ItemSemRegistroAberto", Pedido("NFE3.10", {"810-001 - 1234"}), kNfe, "Campo 810-001 inválido: BOF ou EOF é True, ou o registro atual foi excluído. "
                     "A operação solicitada requer um registro atual.", 3021, 21},
        CasoRejeicao{"MaisDe32768LinhasEstouraOContador", ComLinhas(32769), kAtv, "Texto com mais de 32768 linhas", 6, 21, "Estouro"},
        // Too long for the column: refused when the header is copied into the item record.
        CasoRejeicao{"TextoLongoDemaisParaAColuna", Pedido("NFE3.10", {"214-000 - SPX", "100-000 - ", "800-001 - "}), kNfe, "Campo 800-001 inválido: O valor de 3 caracteres não cabe na coluna UFCli (tamanho 2)", -2147217887, 21,
                     "O valor de 3 caracteres não cabe na coluna UFCli"}),
    kPeloNome);

// A request that repeats a logged field thousands of times writes a bounded
// number of lines, and says how many it left out.
TEST_F(Analisador, CamposRepetidosNaoMultiplicamAsLinhasDoLog) {
  std::vector<std::string> campos(100, "210-000 - Cliente");
  EXPECT_TRUE(Analisa(Pedido("ATV", campos)));
  int linhas = 0;
  for (const auto& e : a.ui.Eventos()) linhas += e == "      Razão Social: Cliente";
  EXPECT_EQ(linhas, 40);
  EXPECT_TRUE(a.NaLista("      (mais 60 linhas de campos desta solicitação não registradas)"));
}

// --- Control number and the parameters kept between requests ---------------------

TEST_F(Analisador, NumeroDeControleGuardadoRejeitaSolicitacaoSemOSeu) {
  // Without an earlier number, a request without 001-000 is accepted (0 = 0).
  EXPECT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "999-999 - "})));
  EXPECT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "001-000 - 41", "999-999 - "})));
  EXPECT_FALSE(Analisa(Solicitacao({"000-000 - ATV", "999-999 - "})));
  EXPECT_EQ(a.ui.Status(), "Número de Controle de Solicitacao está diferente!");
  EXPECT_EQ(a.janela.NumeroControle, 41);
  // A request with its own number is accepted again.
  EXPECT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "001-000 - 42", "999-999 - "})));
  // A number after the terminator is read too late for the comparison, but kept.
  EXPECT_FALSE(Analisa(Solicitacao({"000-000 - ATV", "999-999 - ", "001-000 - 6"})));
  EXPECT_EQ(a.janela.NumeroControle, 6);
}

TEST_F(Analisador, ParametrosMantidosEZeradosEntreSolicitacoes) {
  const std::string sql = "O'Brien'; DROP TABLE SolicitacaoFuncaoNFe; --";   // kept as it came
  ASSERT_TRUE(Analisa(Solicitacao({"000-000 - ENVIA EMAIL", "001-000 - 1", "002-000 - compl", "040-000 - 12",
                                   "041-000 - Loja", "042-000 - 1", "043-000 - D:\\Base", "044-000 - 7",
                                   "045-000 - SIM", "046-000 - 3524", "050-000 - CHAVE", "051-000 - 1352",
                                   "052-000 - " + sql, "088-000 - anexo.pdf", "089-000 - texto",
                                   "223-000 - cli@x", "322-000 - emi@x", "999-999 - "})));
  const SolicitacaoAtual& e = a.atual;
  EXPECT_EQ(e.CodigoEmpresa, 12);
  EXPECT_EQ(e.NumeroComplementarIde, 7);
  EXPECT_EQ(e.EmailDestinatario, "cli@x");
  for (const char* linha : {"      Empresa Emissora: Loja", "      Chave de Acesso da NFe: CHAVE",
                            "      Número do Protocolo (autorização): 1352"}) {
    EXPECT_TRUE(a.NaLista(linha)) << linha;
  }
  a.atual.NumeroRecepcao = "999";

  ASSERT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "001-000 - 2", "999-999 - "})));
  EXPECT_EQ(e.RegimeTributario, "3");
  EXPECT_EQ(e.CodigoEmpresa, 0);
  EXPECT_EQ(e.NumeroComplementarIde, 0);
  // Nothing of the previous request survives into one that does not carry it...
  EXPECT_EQ((std::array{e.EmailDestinatario, e.EmailEmitente, e.NomeEmpresaEmissora, e.ArquivoAnexoEmail,
                        e.TextoAdicionalEmail, e.ChaveAcessoSolicitada, e.NumeroRecepcao, e.TextoComplementarIde,
                        e.IndicadorDevolucao, e.ChaveReferenciada, e.ProtocoloSolicitado,
                        e.JustificativaSolicitada}),
            (std::array<std::string, 12>{}));
  // ...except the base folder, which the front end sends once.
  EXPECT_EQ(e.PastaBase, "D:\\Base");
}

TEST_F(Analisador, Val16LeONumeroInicialComPonto) {
  ASSERT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "040-000 - 2.5", "044-000 - 3,7x", "999-999 - "})));
  EXPECT_EQ(std::pair(a.atual.CodigoEmpresa, a.atual.NumeroComplementarIde), (std::pair<int16_t, int16_t>(2, 3)));
  ASSERT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "040-000 - abc", "999-999 - "})));
  EXPECT_EQ(a.atual.CodigoEmpresa, 0);
}

TEST_F(Analisador, CabecalhoLimpoEntreSolicitacoes) {
  ASSERT_TRUE(Analisa(Pedido("NFE3.10", {"111-000 - 123", "116-000 - 10,50", "362-000 - 1"})));
  const auto cabecalho = [&] {   // number|total|freight
    const auto& c = a.janela.Cabecalho;
    return c.NumeroNF + "|" + c.TotalNFTot.TextoInvariante() + "|" + std::to_string(c.TipoFrete);
  };
  EXPECT_EQ(cabecalho(), "123|10.5|1");
  EXPECT_TRUE(a.NaLista("      Número da NF: 123"));
  ASSERT_TRUE(Analisa(Minima("ATV")));
  EXPECT_EQ(cabecalho(), "|0|0");
}

// --- The request tables -------------------------------------------------------------

// A text expectation is compared with the column's text form; any other with
// the column's type and value.
::testing::AssertionResult MesmoValor(const Valor& obtido, const Valor& esperado) {
  if (esperado.ENulo() || obtido.ENulo()) {
    if (esperado.ENulo() == obtido.ENulo()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << (obtido.ENulo() ? "Null" : "não é Null: " + obtido.Texto());
  }
  if (esperado.ETexto()) {
    if (obtido.Texto() == esperado.ComoTexto()) return ::testing::AssertionSuccess();
  } else if (obtido.Tipo() == esperado.Tipo() && Igual(obtido, esperado)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "obtido [" << obtido.Texto() << "] tipo " << static_cast<int>(obtido.Tipo());
}

struct Celula {
  char tabela;   // N: TabelaNota, D: TabelaDuplicatas, C: TabelaCupons
  int registro;
  const char* coluna;
  Valor esperado;
};

struct CasoTabelas {
  const char* nome;
  std::vector<std::string> campos;   // of an NFE3.10 request
  int notas, duplicatas, cupons;     // records; -1: not looked at
  std::vector<Celula> celulas;
  const char* naLista = nullptr;
  friend void PrintTo(const CasoTabelas& c, std::ostream* os) { *os << c.nome; }
};

class Tabelas : public Analisador, public ::testing::WithParamInterface<CasoTabelas> {
 protected:
  data::Recordset& Tabela(char t) {
    return t == 'N' ? a.tabelas.TabelaNota : t == 'D' ? a.tabelas.TabelaDuplicatas : a.tabelas.TabelaCupons;
  }
};

TEST_P(Tabelas, GuardaOQueRecebeu) {
  const auto& c = GetParam();
  ASSERT_TRUE(Analisa(Pedido("NFE3.10", c.campos)));
  const std::pair<char, int> contagens[] = {{'N', c.notas}, {'D', c.duplicatas}, {'C', c.cupons}};
  for (const auto& [t, n] : contagens) {
    if (n >= 0) {
      EXPECT_EQ(Tabela(t).RecordCount(), n) << t;
    }
  }
  // The parser leaves the item and instalment tables on their first record.
  for (char t : {'N', 'D'}) {
    if (c.celulas.size() > 0 && Tabela(t).State() == data::adStateOpen && Tabela(t).RecordCount() > 0) {
      EXPECT_EQ(Tabela(t).Posicao(), 0) << t;
    }
  }
  for (const auto& celula : c.celulas) {
    data::Recordset& t = Tabela(celula.tabela);
    t.MoveFirst();
    for (int i = 0; i < celula.registro; ++i) t.MoveNext();
    EXPECT_TRUE(MesmoValor(t.Value(celula.coluna), celula.esperado))
        << celula.tabela << celula.registro << "." << celula.coluna;
  }
  if (c.naLista != nullptr) {
    EXPECT_TRUE(a.NaLista(c.naLista)) << c.naLista;
  }
}

const Valor kNulo = Valor::Nulo();

INSTANTIATE_TEST_SUITE_P(
    Casos, Tabelas,
    ::testing::Values(
        // The first item gets the defaults, the second only what it received;
        // the header is copied into both; column names in any letter case.
        CasoTabelas{"DoisItens",
                    {"100-000 - ", "110-000 - 05/12/2026", "111-000 - 4567", "219-000 - 12345678000195",
                     "800-001 - ", "810-001 - 22030000", "811-001 - Cerveja", "820-001 - 3,50", "821-001 - 2",
                     "827-001 - 1,10", "899-001 - ", "800-002 - ", "811-002 - Refrigerante", "821-002 - 1,000",
                     "899-002 - "},
                    2, 0, -1,
                    {{'N', 0, "NomeProd", "Cerveja"}, {'N', 0, "ValorUnitProd", M("3.5")}, {'N', 0, "ValorIva", M("1.1")},
                     {'N', 0, "BCST", M("0")}, {'N', 0, "CodBarras", ""}, {'N', 0, "numeronf", "4567"},
                     {'N', 0, "CgcCli", "12345678000195"}, {'N', 1, "NomeProd", "Refrigerante"},
                     {'N', 1, "QntProd", M("1")}, {'N', 1, "DescontoProd", M("0")}, {'N', 1, "ValorIva", kNulo},
                     {'N', 1, "BCST", kNulo}, {'N', 1, "CodBarras", kNulo}, {'N', 1, "NumeroNF", "4567"},
                     {'N', 1, "DtEmissao", "05/12/2026"}}},
        CasoTabelas{"RegistroPreparadoSemCopiaDoCabecalho", {"100-000 - ", "899-001 - "}, 1, -1, -1,
                    {{'N', 0, "DtEmissao", "00:00:00"}, {'N', 0, "DtSaida", "00:00:00"}, {'N', 0, "CgcCli", ""},
                     {'N', 0, "TipoFrete", Valor(int64_t{0})}, {'N', 0, "CodEstadoIde", Valor(int64_t{0})},
                     {'N', 0, "ValorServicoMCC", M("0")}}},
        CasoTabelas{"CabecalhoDepoisDoPrimeiroItemSoChegaAosSeguintes",
                    {"100-000 - ", "800-001 - ", "899-001 - ", "210-000 - Cliente Novo", "800-002 - ", "899-002 - "},
                    2, -1, -1,
                    {{'N', 0, "RazaoSocialCli", ""}, {'N', 1, "RazaoSocialCli", "Cliente Novo"}},
                    "      Razão Social: Cliente Novo"},
        CasoTabelas{"DescontoSomado", {"100-000 - ", "800-001 - ", "841-001 - 10,00", "853-001 - 2,50"}, 1, -1, -1,
                    {{'N', 0, "DescontoProd", M("12.5")}}},
        CasoTabelas{"DescontoSubtraido",
                    {"100-000 - ", "800-001 - ", "841-001 - 10,00", "853-001 - 2,50", "854-001 - 2,50"}, 1, -1, -1,
                    {{'N', 0, "DescontoProd", M("10")}}},
        // Not even 000, which a header code would have.
        CasoTabelas{"NumeroDoItemNaoEComparado",
                    {"100-000 - ", "800-001 - ", "810-001 - AAA", "810-999 - BBB", "811-000 - CCC"}, 1, -1, -1,
                    {{'N', 0, "NCMProd", "BBB"}, {'N', 0, "NomeProd", "CCC"}}},
        CasoTabelas{"ColunasNumericasConvertemOTexto",
                    {"362-000 - 9", "100-000 - ", "800-001 - ", "833-001 - 35", "600-001 - ", "610-001 - 2D",
                     "611-001 - 3", "612-001 - 123456", "650-001 - "},
                    1, -1, 1,
                    {{'N', 0, "CodEstadoIde", Valor(int64_t{35})}, {'N', 0, "TipoFrete", Valor(int64_t{9})},
                     {'C', 0, "Tipo", "2D"}, {'C', 0, "CodigoECF", Valor(int16_t{3})},
                     {'C', 0, "NumeroCupom", Valor(int64_t{123456})}}},
        // A second 600- before its 650- adds nothing.
        CasoTabelas{"CuponsEDuplicatas",
                    {"600-001 - ", "611-001 - 1", "600-001 - ", "612-001 - 10", "650-001 - ", "600-002 - ",
                     "612-002 - 20", "650-002 - ", "700-001 - ", "710-001 - A", "711-001 - 123/1",
                     "712-001 - 05/01/2027", "713-001 - 50,25", "733-001 - ", "700-002 - ", "711-002 - 123/2",
                     "712-002 - 05/02/2027", "713-002 - 1.050,25", "733-002 - "},
                    -1, 2, 2,
                    {{'D', 0, "status", "A"}, {'D', 0, "NumDupl", "123/1"},
                     {'D', 0, "DtVenc", Valor(DataHora::De(2027, 1, 5))}, {'D', 0, "ValorVenc", M("50.25")},
                     {'D', 1, "ValorVenc", M("1050.25")}, {'D', 1, "status", kNulo}}},
        CasoTabelas{"NotaSemDuplicatas", {"100-000 - ", "800-001 - ", "899-001 - "}, 1, 0, -1, {}},
        CasoTabelas{"TextoEmWindows1252", {"100-000 - ", "211-000 - Rua S\xE3o Jo\xE3o", "800-001 - "}, 1, -1, -1,
                    {{'N', 0, "LogradouroCli", "Rua São João"}}},
        CasoTabelas{"LfSozinhoFicaNoValor", {"133-000 - linha 1\nlinha 2", "100-000 - ", "800-001 - "}, 1, -1, -1,
                    {{'N', 0, "ObsNf", "linha 1\nlinha 2"}}},
        CasoTabelas{"AspasESqlComoVieram",
                    {"133-000 - O'Brien'; DROP TABLE SolicitacaoFuncaoNFe; --", "100-000 - ", "800-001 - "}, 1, -1,
                    -1, {{'N', 0, "ObsNf", "O'Brien'; DROP TABLE SolicitacaoFuncaoNFe; --"}}}),
    kPeloNome);

TEST_F(Analisador, RegistroPreparadoNaoTemNulos) {
  ASSERT_TRUE(Analisa(Pedido("NFE3.10", {"100-000 - ", "899-001 - "})));
  for (int32_t i = 0; i < Nota().QuantidadeCampos(); ++i) EXPECT_FALSE(Nota().Value(i).ENulo()) << Nota().Campo(i).nome;
}

TEST_F(Analisador, SegundaNotaSoTemSeusRegistrosEColunasUmaVez) {
  ASSERT_TRUE(Analisa(Pedido("NFE3.10", {"100-000 - ", "800-001 - ", "899-001 - ", "800-002 - ", "899-002 - ",
                                         "600-001 - ", "650-001 - ", "700-001 - ", "733-001 - "})));
  // The content assembly closes two of the tables once it has read them.
  a.tabelas.TabelaNota.Close();
  a.tabelas.TabelaDuplicatas.Close();
  ASSERT_TRUE(Analisa(Pedido("NFE3.10", {"100-000 - ", "811-001 - Unico", "800-001 - ", "899-001 - "})));
  EXPECT_EQ(Nota().Value("NomeProd").Texto(), "Unico");
  std::string contagens;   // records x columns of items, instalments and receipts (still open: emptied)
  for (auto* t : {&Nota(), &a.tabelas.TabelaDuplicatas, &a.tabelas.TabelaCupons})
    contagens += std::to_string(t->RecordCount()) + "x" + std::to_string(t->QuantidadeCampos()) + " ";
  EXPECT_EQ(contagens, "1x132 0x4 0x3 ");
  // Other commands leave the tables alone.
  ASSERT_TRUE(Analisa(Minima("STATUS SERVICO")));
  EXPECT_EQ(Nota().RecordCount(), 1);
}

TEST_F(Analisador, CodigoUfDoEmitentePeloMunicipio) {
  ASSERT_TRUE(Analisa(Pedido("NFE3.10", {"320-000 - 3550308", "100-000 - ", "800-001 - "})));
  EXPECT_EQ(a.atual.gCodigoUfEmitente, "35");
  ASSERT_TRUE(Analisa(Pedido("NFE3.10", {"100-000 - ", "800-001 - "})));
  EXPECT_EQ(a.atual.gCodigoUfEmitente, "");
}

}  // namespace
}  // namespace velant
