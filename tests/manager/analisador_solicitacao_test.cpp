#include "manager/analisador_solicitacao.h"

#include <gtest/gtest.h>

#include "base/regional.h"
#include "manager/converte_valor.h"
#include "ambiente_teste.h"

namespace velant {
namespace {

using teste::AmbienteTeste;
using teste::Solicitacao;

Currency Moeda(const char* texto) { return Currency::DeTextoInvariante(texto); }

Currency MoedaDe(const Valor& v) {
  const Currency* c = AcessoValor::Se<Currency>(v);
  if (c == nullptr) throw std::runtime_error("não é Currency");
  return *c;
}

class Analisador : public ::testing::Test {
 protected:
  bool Analisa(const std::string& texto) { return AnalisaTextoSolicitacao(a.ctx, a.janela, texto); }
  data::Recordset& Nota() { return a.tabelas.TabelaNota; }
  AmbienteTeste a;
};

// --- Accepted requests ---------------------------------------------------

struct CasoComando {
  const char* comando;
  const char* textoRetorno;
};

class AnalisadorComandos : public Analisador, public ::testing::WithParamInterface<CasoComando> {};

TEST_P(AnalisadorComandos, MenorSolicitacaoAceitaMostraOTextoDoComando) {
  const auto& c = GetParam();
  ASSERT_TRUE(Analisa(Solicitacao({std::string("000-000 - ") + c.comando, "001-000 - 77", "999-999 - "})));
  EXPECT_EQ(a.janela.ComandoAtual, c.comando);
  EXPECT_TRUE(a.janela.SolicitacaoAceita);
  EXPECT_EQ(a.janela.CodigoRetorno, "0");
  EXPECT_EQ(a.janela.TextoRetorno, c.textoRetorno);
  EXPECT_EQ(a.janela.TextoStatus, c.textoRetorno);
  EXPECT_EQ(a.ui.Status(), c.textoRetorno);
  EXPECT_EQ(a.janela.NumeroControle, 77);
  EXPECT_TRUE(a.NaLista(std::string("      Solicitação requisitada: ") + c.comando));
}

INSTANTIATE_TEST_SUITE_P(
    Comandos, AnalisadorComandos,
    ::testing::Values(CasoComando{"ATV", "Gerenciador Padrão NFe Está Ativado !"},
                      CasoComando{"NFE3.10", "Nota Fiscal Eletrônica Recebida !"},
                      CasoComando{"IMPRIMIR DANFE", "Impressão de NFe Recebida !"},
                      CasoComando{"CANCELAR NFE", "Cancelamento de NFe Recebida !"},
                      CasoComando{"ENVIA EMAIL", "Envio de Email de NFe Recebida !"},
                      CasoComando{"STATUS SERVICO", ""}, CasoComando{"ENVIA NFE EMAIL CONT", ""},
                      CasoComando{"INUTILIZA NFE", ""}));

// --- Rejected requests ---------------------------------------------------

struct CasoRejeicao {
  const char* nome;
  std::string texto;
  const char* status;       // label after the parse
  int erroNumero;           // 0: no run-time error
  int fase;
};

class AnalisadorRejeicoes : public Analisador, public ::testing::WithParamInterface<CasoRejeicao> {};

TEST_P(AnalisadorRejeicoes, RejeitaComOTextoEsperado) {
  const auto& c = GetParam();
  a.ui.DefinirStatus("Verificando Solicitação...");
  a.janela.TextoStatus = "Verificando Solicitação...";
  EXPECT_FALSE(Analisa(c.texto));
  EXPECT_FALSE(a.janela.SolicitacaoAceita);
  EXPECT_EQ(a.ui.Status(), c.status);
  if (c.erroNumero == 0) {
    EXPECT_TRUE(a.ui.Caixas().empty());
    return;
  }
  ASSERT_EQ(a.ui.Caixas().size(), 1u);
  const auto& caixa = a.ui.Caixas()[0];
  EXPECT_EQ(caixa.titulo, "Rotina: GerenciadorPadraoAtivo");
  EXPECT_EQ(caixa.estilo, vbInformation);
  EXPECT_EQ(caixa.prompt.rfind("ERrO não identificado!\r\n", 0), 0u) << caixa.prompt;
  EXPECT_TRUE(caixa.prompt.ends_with("\r\n" + std::to_string(c.erroNumero))) << caixa.prompt;
  const std::string linha = "GerenciadorNFe.AbreArquivoSolicitacao: Fase do erro: " + std::to_string(c.fase) +
                            " - ErroNúmero: " + std::to_string(c.erroNumero) + " - ErroTexto: ";
  EXPECT_NE(a.ArquivoLog().find(linha), std::string::npos) << a.ArquivoLog();
}

std::string Nfe(std::initializer_list<std::string> meio) {
  std::string t = "000-000 - NFE3.10\r\n001-000 - 1\r\n";
  for (const auto& l : meio) t += l + "\r\n";
  return t + "999-999 - \r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Casos, AnalisadorRejeicoes,
    ::testing::Values(
        CasoRejeicao{"ComandoDesconhecido", Solicitacao({"000-000 - XYZ", "999-999 - "}), "Comando Desconhecido.  ->XYZ<-", 0, 0},
        CasoRejeicao{"ComandoEmMinusculas", Solicitacao({"000-000 - atv", "999-999 - "}), "Comando Desconhecido.  ->atv<-", 0, 0},
        CasoRejeicao{"PrimeiraLinhaSemCodigo", Solicitacao({"001-000 - ATV", "999-999 - "}), "Comando Desconhecido.  -><-", 0, 0},
        CasoRejeicao{"SemCrLf", "000-000 - ATV", "Verificando Solicitação...", 0, 0},
        CasoRejeicao{"SoLfSeparaNada", "000-000 - ATV\n001-000 - 1\n999-999 - \n", "Verificando Solicitação...", 0, 0},
        CasoRejeicao{"TerminadorSemCrLfFinal", "000-000 - ATV\r\n001-000 - 1\r\n999-999 - ", "Processando... Comando: ATV", 0, 0},
        CasoRejeicao{"SemTerminador", Solicitacao({"000-000 - ATV", "001-000 - 1"}), "Processando... Comando: ATV", 0, 0},
        CasoRejeicao{"TextoVazio", "", "Verificando Solicitação...", 9, 4},
        CasoRejeicao{"ControleNaoNumerico", Solicitacao({"000-000 - ATV", "001-000 - 12a", "999-999 - "}), "Processando... Comando: ATV", 13, 21},
        CasoRejeicao{"ControleVazio", Solicitacao({"000-000 - ATV", "001-000 - ", "999-999 - "}), "Processando... Comando: ATV", 13, 21},
        CasoRejeicao{"LinhaCurta", Solicitacao({"000-000 - ATV", "111-000", "999-999 - "}), "Processando... Comando: ATV", 5, 21},
        CasoRejeicao{"MoedaRegionalInvalida", Nfe({"115-000 - R$ 5,00"}), "Processando... Comando: NFE3.10", 13, 21},
        CasoRejeicao{"TipoFreteComLetras", Nfe({"362-000 - 1A"}), "Processando... Comando: NFE3.10", 13, 21},
        CasoRejeicao{"DataDeVencimentoImpossivel", Nfe({"700-001 - ", "712-001 - 31/02/2024"}), "Processando... Comando: NFE3.10", 13, 21},
        CasoRejeicao{"CodigoEcfNaoInteiro", Nfe({"600-001 - ", "611-001 - ABC"}), "Processando... Comando: NFE3.10", 13, 21},
        CasoRejeicao{"CodEstadoIdeComLetras", Nfe({"100-000 - ", "800-001 - ", "833-001 - SP"}), "Processando... Comando: NFE3.10", 13, 21},
        CasoRejeicao{"Codigo040ForaDe16Bits", Solicitacao({"000-000 - ATV", "040-000 - 40000", "999-999 - "}), "Processando... Comando: ATV", 6, 21},
        CasoRejeicao{"ItemSemRegistroAberto", Nfe({"810-001 - 1234"}), "Processando... Comando: NFE3.10", 3021, 21}),
    [](const ::testing::TestParamInfo<CasoRejeicao>& i) { return std::string(i.param.nome); });

TEST_F(Analisador, TextoLongoDemaisParaAColunaRejeitaNaCopiaDoCabecalho) {
  EXPECT_FALSE(Analisa(Nfe({"214-000 - SPX", "100-000 - ", "800-001 - "})));
  ASSERT_EQ(a.ui.Caixas().size(), 1u);
  EXPECT_NE(a.ui.Caixas()[0].prompt.find("UFCli"), std::string::npos);
}

TEST_F(Analisador, TerminadorDeSeteCaracteresNaoPrecisaDeValor) {
  EXPECT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "001-000 - 1", "999-999"})));
}

TEST_F(Analisador, LinhasDesconhecidasELixoSaoIgnorados) {
  EXPECT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "", "x", "ABC-000 - 1", "1A1-000 - 2", "001-00", "0010000 - 3",
                                   "500-000 - 4", "001-000 - 8", "852-001 - 5", "999-999 - "})));
  EXPECT_EQ(a.janela.NumeroControle, 8);
}

// --- Line counter --------------------------------------------------------

std::string ComLinhas(int maiorNumeroLinha) {
  // Lines 0 .. maiorNumeroLinha - 1 end with CR LF; the terminator is the last read line.
  std::string t = "000-000 - ATV\r\n001-000 - 3\r\n";
  for (int i = 2; i < maiorNumeroLinha - 1; ++i) t += "500-000 - x\r\n";
  return t + "999-999 - \r\n";
}

TEST_F(Analisador, Linha32768AindaELida) {
  EXPECT_TRUE(Analisa(ComLinhas(32768)));
}

TEST_F(Analisador, MaisDe32768LinhasEstouraOContador) {
  EXPECT_FALSE(Analisa(ComLinhas(32769)));
  ASSERT_EQ(a.ui.Caixas().size(), 1u);
  EXPECT_NE(a.ArquivoLog().find("Fase do erro: 21 - ErroNúmero: 6 - ErroTexto: Estouro"), std::string::npos);
}

// --- Control number ------------------------------------------------------

TEST_F(Analisador, NumeroDeControleGuardadoRejeitaSolicitacaoSemOSeu) {
  // Without an earlier number, a request without 001-000 is accepted (0 = 0).
  EXPECT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "999-999 - "})));
  EXPECT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "001-000 - 41", "999-999 - "})));
  EXPECT_FALSE(Analisa(Solicitacao({"000-000 - ATV", "999-999 - "})));
  EXPECT_EQ(a.ui.Status(), "Número de Controle de Solicitacao está diferente!");
  EXPECT_EQ(a.janela.NumeroControle, 41);
  // A request with its own number is accepted again.
  EXPECT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "001-000 - 42", "999-999 - "})));
}

TEST_F(Analisador, NumeroDeControleDepoisDoTerminadorChegaTarde) {
  a.janela.NumeroControle = 5;
  EXPECT_FALSE(Analisa(Solicitacao({"000-000 - ATV", "999-999 - ", "001-000 - 6"})));
  EXPECT_EQ(a.janela.NumeroControle, 6);
}

// --- Parameters kept and reset --------------------------------------------

TEST_F(Analisador, ParametrosMantidosEZeradosEntreSolicitacoes) {
  ASSERT_TRUE(Analisa(Solicitacao({"000-000 - ENVIA EMAIL", "001-000 - 1", "002-000 - compl", "040-000 - 12",
                                   "041-000 - Loja", "042-000 - 1", "043-000 - D:\\Base", "044-000 - 7",
                                   "045-000 - SIM", "046-000 - 3524", "050-000 - CHAVE", "051-000 - 1352",
                                   "052-000 - justificativa", "088-000 - anexo.pdf", "089-000 - texto",
                                   "223-000 - cli@x", "322-000 - emi@x", "999-999 - "})));
  const EstadoGlobal& e = a.estado;
  EXPECT_EQ(e.CodigoEmpresa, 12);
  EXPECT_EQ(e.NumeroComplementarIde, 7);
  EXPECT_EQ(e.EmailDestinatario, "cli@x");
  EXPECT_TRUE(a.NaLista("      Empresa Emissora: Loja"));
  EXPECT_TRUE(a.NaLista("      Chave de Acesso da NFe: CHAVE"));
  EXPECT_TRUE(a.NaLista("      Número do Protocolo (autorização): 1352"));
  a.estado.NumeroRecepcao = "999";

  ASSERT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "001-000 - 2", "999-999 - "})));
  // Reset by every request.
  EXPECT_EQ(e.RegimeTributario, "3");
  EXPECT_EQ(e.CodigoEmpresa, 0);
  EXPECT_EQ(e.EmailDestinatario, "");
  EXPECT_EQ(e.EmailEmitente, "");
  EXPECT_EQ(e.NomeEmpresaEmissora, "");
  EXPECT_EQ(e.ArquivoAnexoEmail, "");
  EXPECT_EQ(e.TextoAdicionalEmail, "");
  EXPECT_EQ(e.ChaveAcessoSolicitada, "");
  EXPECT_EQ(e.NumeroRecepcao, "");
  // Kept from the previous request.
  EXPECT_EQ(e.TextoComplementarIde, "compl");
  EXPECT_EQ(e.PastaBase, "D:\\Base");
  EXPECT_EQ(e.NumeroComplementarIde, 7);
  EXPECT_EQ(e.IndicadorDevolucao, "SIM");
  EXPECT_EQ(e.ChaveReferenciada, "3524");
  EXPECT_EQ(e.ProtocoloSolicitado, "1352");
  EXPECT_EQ(e.JustificativaSolicitada, "justificativa");
}

TEST_F(Analisador, Val16LeONumeroInicialComPonto) {
  ASSERT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "040-000 - 2.5", "044-000 - 3,7x", "999-999 - "})));
  EXPECT_EQ(a.estado.CodigoEmpresa, 2);
  EXPECT_EQ(a.estado.NumeroComplementarIde, 3);
  ASSERT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "040-000 - abc", "999-999 - "})));
  EXPECT_EQ(a.estado.CodigoEmpresa, 0);
}

TEST_F(Analisador, CabecalhoLimpoEntreSolicitacoes) {
  ASSERT_TRUE(Analisa(Nfe({"111-000 - 123", "116-000 - 10,50", "362-000 - 1"})));
  EXPECT_EQ(a.janela.Cabecalho.NumeroNF, "123");
  EXPECT_EQ(a.janela.Cabecalho.TotalNFTot, Moeda("10.5"));
  EXPECT_EQ(a.janela.Cabecalho.TipoFrete, 1);
  EXPECT_TRUE(a.NaLista("      Número da NF: 123"));
  ASSERT_TRUE(Analisa(Solicitacao({"000-000 - ATV", "001-000 - 1", "999-999 - "})));
  EXPECT_EQ(a.janela.Cabecalho.NumeroNF, "");
  EXPECT_EQ(a.janela.Cabecalho.TotalNFTot, Currency());
  EXPECT_EQ(a.janela.Cabecalho.TipoFrete, 0);
}

// --- Invoice tables --------------------------------------------------------

TEST_F(Analisador, DoisItensPrimeiroComPadroesSegundoSoComOQueRecebeu) {
  ASSERT_TRUE(Analisa(Nfe({"100-000 - ", "110-000 - 05/12/2026", "111-000 - 4567", "320-000 - 3550308",
                           "219-000 - 12345678000195", "800-001 - ", "810-001 - 22030000", "811-001 - Cerveja",
                           "820-001 - 3,50", "821-001 - 2", "827-001 - 1,10", "899-001 - ", "800-002 - ",
                           "811-002 - Refrigerante", "821-002 - 1,000", "899-002 - "})));
  data::Recordset& n = Nota();
  ASSERT_EQ(n.RecordCount(), 2);
  EXPECT_EQ(n.Posicao(), 0);   // moved to the first record
  EXPECT_EQ(n.Value("NomeProd").Texto(), "Cerveja");
  EXPECT_EQ(MoedaDe(n.Value("ValorUnitProd")), Moeda("3.5"));
  EXPECT_EQ(MoedaDe(n.Value("ValorIva")), Moeda("1.1"));
  EXPECT_EQ(MoedaDe(n.Value("BCST")), Currency());          // default of the first item
  EXPECT_EQ(n.Value("CodBarras").Texto(), "");
  EXPECT_EQ(n.Value("numeronf").Texto(), "4567");           // any letter case
  EXPECT_EQ(n.Value("CgcCli").Texto(), "12345678000195");
  n.MoveNext();
  EXPECT_EQ(n.Value("NomeProd").Texto(), "Refrigerante");
  EXPECT_EQ(MoedaDe(n.Value("QntProd")), Moeda("1"));
  EXPECT_EQ(MoedaDe(n.Value("DescontoProd")), Currency());
  EXPECT_TRUE(n.Value("ValorIva").ENulo());
  EXPECT_TRUE(n.Value("BCST").ENulo());
  EXPECT_TRUE(n.Value("CodBarras").ENulo());
  EXPECT_EQ(n.Value("NumeroNF").Texto(), "4567");           // header copied again
  EXPECT_EQ(n.Value("DtEmissao").Texto(), "05/12/2026");
  EXPECT_EQ(a.estado.gCodigoUfEmitente, "35");
}

TEST_F(Analisador, RegistroPreparadoSemCopiaDoCabecalhoTemOsPadroes) {
  ASSERT_TRUE(Analisa(Nfe({"100-000 - ", "899-001 - "})));
  data::Recordset& n = Nota();
  EXPECT_EQ(n.Value("DtEmissao").Texto(), "00:00:00");
  EXPECT_EQ(n.Value("DtSaida").Texto(), "00:00:00");
  EXPECT_EQ(n.Value("CgcCli").Texto(), "");
  EXPECT_EQ(*AcessoValor::Se<int64_t>(n.Value("TipoFrete")), 0);
  EXPECT_EQ(*AcessoValor::Se<int64_t>(n.Value("CodEstadoIde")), 0);
  EXPECT_EQ(MoedaDe(n.Value("ValorServicoMCC")), Currency());
  for (int32_t i = 0; i < n.QuantidadeCampos(); ++i) EXPECT_FALSE(n.Value(i).ENulo()) << n.Campo(i).nome;
}

TEST_F(Analisador, CabecalhoDepoisDoPrimeiroItemSoChegaAosSeguintes) {
  ASSERT_TRUE(Analisa(Nfe({"100-000 - ", "800-001 - ", "899-001 - ", "210-000 - Cliente Novo", "800-002 - ",
                           "899-002 - "})));
  data::Recordset& n = Nota();
  EXPECT_EQ(n.Value("RazaoSocialCli").Texto(), "");
  n.MoveNext();
  EXPECT_EQ(n.Value("RazaoSocialCli").Texto(), "Cliente Novo");
  EXPECT_TRUE(a.NaLista("      Razão Social: Cliente Novo"));
}

TEST_F(Analisador, DescontosSomadosESubtraidos) {
  ASSERT_TRUE(Analisa(Nfe({"100-000 - ", "800-001 - ", "841-001 - 10,00", "853-001 - 2,50"})));
  EXPECT_EQ(MoedaDe(Nota().Value("DescontoProd")), Moeda("12.5"));
  ASSERT_TRUE(Analisa(Nfe({"100-000 - ", "800-001 - ", "841-001 - 10,00", "853-001 - 2,50", "854-001 - 2,50"})));
  EXPECT_EQ(MoedaDe(Nota().Value("DescontoProd")), Moeda("10"));
}

TEST_F(Analisador, NumeroDoItemNaoEComparado) {
  ASSERT_TRUE(Analisa(Nfe({"100-000 - ", "800-001 - ", "810-001 - AAA", "810-999 - BBB"})));
  EXPECT_EQ(Nota().RecordCount(), 1);
  EXPECT_EQ(Nota().Value("NCMProd").Texto(), "BBB");
}

TEST_F(Analisador, ColunasNumericasConvertemOTexto) {
  ASSERT_TRUE(Analisa(Nfe({"362-000 - 9", "100-000 - ", "800-001 - ", "833-001 - 35", "600-001 - ",
                           "610-001 - 2D", "611-001 - 3", "612-001 - 123456", "650-001 - "})));
  const Valor& estado = Nota().Value("CodEstadoIde");
  ASSERT_NE(AcessoValor::Se<int64_t>(estado), nullptr);
  EXPECT_EQ(*AcessoValor::Se<int64_t>(estado), 35);
  ASSERT_NE(AcessoValor::Se<int64_t>(Nota().Value("TipoFrete")), nullptr);
  EXPECT_EQ(*AcessoValor::Se<int64_t>(Nota().Value("TipoFrete")), 9);
  data::Recordset& c = a.tabelas.TabelaCupons;
  ASSERT_EQ(c.RecordCount(), 1);
  EXPECT_EQ(c.Value("Tipo").Texto(), "2D");
  ASSERT_NE(AcessoValor::Se<int16_t>(c.Value("CodigoECF")), nullptr);
  EXPECT_EQ(*AcessoValor::Se<int16_t>(c.Value("CodigoECF")), 3);
  EXPECT_EQ(*AcessoValor::Se<int64_t>(c.Value("NumeroCupom")), 123456);
}

TEST_F(Analisador, CuponsEDuplicatas) {
  ASSERT_TRUE(Analisa(Nfe({"600-001 - ", "611-001 - 1", "600-001 - ", "612-001 - 10", "650-001 - ", "600-002 - ",
                           "612-002 - 20", "650-002 - ", "700-001 - ", "710-001 - A", "711-001 - 123/1",
                           "712-001 - 05/01/2027", "713-001 - 50,25", "733-001 - ", "700-002 - ",
                           "711-002 - 123/2", "712-002 - 05/02/2027", "713-002 - 1.050,25", "733-002 - "})));
  data::Recordset& c = a.tabelas.TabelaCupons;
  ASSERT_EQ(c.RecordCount(), 2);   // a second 600- before its 650- adds nothing
  data::Recordset& d = a.tabelas.TabelaDuplicatas;
  ASSERT_EQ(d.RecordCount(), 2);
  EXPECT_EQ(d.Posicao(), 0);
  EXPECT_EQ(d.Value("status").Texto(), "A");
  EXPECT_EQ(d.Value("NumDupl").Texto(), "123/1");
  ASSERT_NE(AcessoValor::Se<DataHora>(d.Value("DtVenc")), nullptr);
  EXPECT_EQ(*AcessoValor::Se<DataHora>(d.Value("DtVenc")), DataHora::De(2027, 1, 5));
  EXPECT_EQ(MoedaDe(d.Value("ValorVenc")), Moeda("50.25"));
  d.MoveNext();
  EXPECT_EQ(MoedaDe(d.Value("ValorVenc")), Moeda("1050.25"));
  EXPECT_TRUE(d.Value("status").ENulo());
}

TEST_F(Analisador, NotaSemDuplicatasEAceita) {
  ASSERT_TRUE(Analisa(Nfe({"100-000 - ", "800-001 - ", "899-001 - "})));
  EXPECT_EQ(a.tabelas.TabelaDuplicatas.RecordCount(), 0);
}

TEST_F(Analisador, SegundaNotaSoTemSeusRegistrosEColunasUmaVez) {
  ASSERT_TRUE(Analisa(Nfe({"100-000 - ", "800-001 - ", "899-001 - ", "800-002 - ", "899-002 - ", "600-001 - ",
                           "650-001 - ", "700-001 - ", "733-001 - "})));
  // The content assembly closes two of the tables once it has read them.
  a.tabelas.TabelaNota.Close();
  a.tabelas.TabelaDuplicatas.Close();
  ASSERT_TRUE(Analisa(Nfe({"100-000 - ", "811-001 - Unico", "800-001 - ", "899-001 - "})));
  EXPECT_EQ(Nota().RecordCount(), 1);
  EXPECT_EQ(Nota().Value("NomeProd").Texto(), "Unico");
  EXPECT_EQ(Nota().QuantidadeCampos(), 106);
  EXPECT_EQ(a.tabelas.TabelaDuplicatas.RecordCount(), 0);
  EXPECT_EQ(a.tabelas.TabelaDuplicatas.QuantidadeCampos(), 4);
  EXPECT_EQ(a.tabelas.TabelaCupons.RecordCount(), 0);   // still open: emptied
  EXPECT_EQ(a.tabelas.TabelaCupons.QuantidadeCampos(), 3);
}

TEST_F(Analisador, OutrosComandosNaoTocamNasTabelas) {
  ASSERT_TRUE(Analisa(Nfe({"100-000 - ", "800-001 - ", "899-001 - "})));
  ASSERT_TRUE(Analisa(Solicitacao({"000-000 - STATUS SERVICO", "001-000 - 2", "999-999 - "})));
  EXPECT_EQ(Nota().RecordCount(), 1);
}

TEST_F(Analisador, CodigoUfDoEmitenteVazioComMunicipioVazio) {
  a.estado.gCodigoUfEmitente = "35";
  ASSERT_TRUE(Analisa(Nfe({"100-000 - ", "800-001 - "})));
  EXPECT_EQ(a.estado.gCodigoUfEmitente, "");
}

// --- Awkward texts -----------------------------------------------------------

TEST_F(Analisador, TextoEmWindows1252ELidoComoTal) {
  std::string texto = Solicitacao({"000-000 - NFE3.10", "001-000 - 1", "100-000 - ", "211-000 - Rua S\xE3o Jo\xE3o",
                                   "800-001 - ", "999-999 - "});
  ASSERT_TRUE(Analisa(texto));
  EXPECT_EQ(Nota().Value("LogradouroCli").Texto(), "Rua São João");
}

TEST_F(Analisador, LfSozinhoFicaDentroDoValor) {
  ASSERT_TRUE(Analisa(Nfe({"133-000 - linha 1\nlinha 2", "100-000 - ", "800-001 - "})));
  EXPECT_EQ(Nota().Value("ObsNf").Texto(), "linha 1\nlinha 2");
}

TEST_F(Analisador, AspasESqlSaoGuardadosComoVieram) {
  const std::string sql = "O'Brien'; DROP TABLE SolicitacaoFuncaoNFe; --";
  ASSERT_TRUE(Analisa(Nfe({"133-000 - " + sql, "052-000 - " + sql, "100-000 - ", "800-001 - "})));
  EXPECT_EQ(Nota().Value("ObsNf").Texto(), sql);
  EXPECT_EQ(a.estado.JustificativaSolicitada, sql);
}

}  // namespace
}  // namespace velant
