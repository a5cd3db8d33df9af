#include "manager/analisador_solicitacao.h"

#include <gtest/gtest.h>

#include <sstream>

#include "ambiente_teste.h"

namespace velant {
namespace {

using teste::AmbienteTeste;
using teste::Pedido;

class Analisador : public ::testing::Test {
 protected:
  bool Analisa(const std::string& texto) { return AnalisaTextoSolicitacao(a.ctx, a.janela, texto); }
  data::Recordset& Nota() { return a.tabelas.TabelaNota; }
  AmbienteTeste a;
};

TEST(Solicitacoes, AceitasComOComandoOuRecusadasComOMotivo) {
  for (const auto& c : teste::LerCasosTsv("manager/analisador_solicitacao.tsv")) {
    SCOPED_TRACE(c.at("nome"));
    AmbienteTeste a;
    const bool aceita = c.at("aceita") == "1";
    if (!aceita) a.ui.DefinirStatus(a.janela.TextoStatus = "Verificando Solicitação...");
    EXPECT_EQ(AnalisaTextoSolicitacao(a.ctx, a.janela, c.at("texto")), aceita);
    const auto& j = a.janela;
    if (aceita) {   // command|accepted|code|control|return text|label text|label shown
      EXPECT_EQ(j.ComandoAtual + (j.SolicitacaoAceita ? "|1|" : "|0|") + j.CodigoRetorno + "|" + std::to_string(j.NumeroControle) +
                    "|" + j.TextoRetorno + "|" + j.TextoStatus + "|" + a.ui.Status(),
                c.at("comando") + "|1|0|" + c.at("controle") + "|" + c.at("status") + "|" + c.at("status") + "|" + c.at("status"));
      EXPECT_TRUE(a.NaLista("      Solicitação requisitada: " + c.at("comando")));
    } else {
      EXPECT_EQ(std::string(j.SolicitacaoAceita ? "1|" : "0|") + a.ui.Status() + "|" + j.MotivoRecusa, "0|" + c.at("status") + "|" + c.at("motivo"));
    }
    if (c.at("erro").empty()) {
      EXPECT_TRUE(a.ui.Caixas().empty());
      continue;
    }
    ASSERT_EQ(a.ui.Caixas().size(), 1u);
    const auto& caixa = a.ui.Caixas()[0];
    EXPECT_EQ(caixa.titulo + "|" + std::to_string(caixa.estilo), "Rotina: GerenciadorPadraoAtivo|" + std::to_string(vbInformation));
    EXPECT_TRUE(caixa.prompt.starts_with("ERrO não identificado!\r\n") && caixa.prompt.ends_with("\r\n" + c.at("erro"))) << caixa.prompt;
    EXPECT_NE(a.ArquivoLog().find("GerenciadorNFe.AbreArquivoSolicitacao: Fase do erro: " + c.at("fase") + " - ErroNúmero: " +
                                  c.at("erro") + " - ErroTexto: " + c.at("erroTexto")),
              std::string::npos) << a.ArquivoLog();
  }
}

// Lines 0 .. 32767 are read: one more overflows the line counter.
TEST_F(Analisador, AteLinha32768) {
  const auto comLinhas = [](int maiorNumeroLinha) {   // the terminator is the last read line
    std::string t = "000-000 - ATV\r\n001-000 - 3\r\n";
    for (int i = 2; i < maiorNumeroLinha - 1; ++i) t += "500-000 - x\r\n";
    return t + "999-999 - \r\n";
  };
  EXPECT_TRUE(Analisa(comLinhas(32768)));
  EXPECT_EQ(a.janela.NumeroControle, 3);
  EXPECT_FALSE(Analisa(comLinhas(32769)));
  EXPECT_EQ(a.janela.MotivoRecusa, "Texto com mais de 32768 linhas");
  EXPECT_NE(a.ArquivoLog().find("Fase do erro: 21 - ErroNúmero: 6 - ErroTexto: Estouro"), std::string::npos);
}

// A request that repeats a logged field thousands of times writes a bounded
// number of lines, and says how many it left out.
TEST_F(Analisador, CamposRepetidosNaoMultiplicamAsLinhasDoLog) {
  EXPECT_TRUE(Analisa(Pedido("ATV", std::vector<std::string>(100, "210-000 - Cliente"))));
  int linhas = 0;
  for (const auto& e : a.ui.Eventos()) linhas += e == "      Razão Social: Cliente";
  EXPECT_EQ(linhas, 40);
  EXPECT_TRUE(a.NaLista("      (mais 60 linhas de campos desta solicitação não registradas)"));
}

TEST_F(Analisador, NumeroDeControleGuardadoRejeitaSolicitacaoSemOSeu) {
  // Without an earlier number, a request without 001-000 is accepted (0 = 0).
  EXPECT_TRUE(Analisa("000-000 - ATV\r\n999-999 - \r\n"));
  EXPECT_TRUE(Analisa("000-000 - ATV\r\n001-000 - 41\r\n999-999 - \r\n"));
  EXPECT_FALSE(Analisa("000-000 - ATV\r\n999-999 - \r\n"));
  EXPECT_EQ(a.ui.Status() + "|" + std::to_string(a.janela.NumeroControle), "Número de Controle de Solicitacao está diferente!|41");
  // A request with its own number is accepted again; a number after the terminator is read too late for the comparison, but kept.
  EXPECT_TRUE(Analisa("000-000 - ATV\r\n001-000 - 42\r\n999-999 - \r\n"));
  EXPECT_FALSE(Analisa("000-000 - ATV\r\n999-999 - \r\n001-000 - 6\r\n"));
  EXPECT_EQ(a.janela.NumeroControle, 6);
}

TEST_F(Analisador, ParametrosMantidosEZeradosEntreSolicitacoes) {
  const std::string sql = "O'Brien'; DROP TABLE SolicitacaoFuncaoNFe; --";   // kept as it came
  ASSERT_TRUE(Analisa(Pedido("NFE3.10", {"002-000 - compl", "040-000 - 12", "041-000 - Loja", "042-000 - 1",
                                         "043-000 - D:\\Base", "044-000 - 7", "045-000 - SIM", "046-000 - 3524",
                                         "050-000 - CHAVE", "051-000 - 1352", "052-000 - " + sql, "088-000 - anexo.pdf",
                                         "089-000 - texto", "223-000 - cli@x", "322-000 - emi@x", "111-000 - 123",
                                         "116-000 - 10,50", "362-000 - 1", "320-000 - 3550308", "100-000 - ", "800-001 - "})));
  const SolicitacaoAtual& e = a.atual;
  const auto& c = a.janela.Cabecalho;
  const auto resumo = [&] {   // company|complement|e-mail|state|note number|total|freight
    return std::to_string(e.CodigoEmpresa) + "|" + std::to_string(e.NumeroComplementarIde) + "|" + e.EmailDestinatario + "|" +
           e.gCodigoUfEmitente + "|" + c.NumeroNF + "|" + c.TotalNFTot.TextoInvariante() + "|" + std::to_string(c.TipoFrete);
  };
  EXPECT_EQ(resumo(), "12|7|cli@x|35|123|10.5|1");
  for (const char* linha : {"      Empresa Emissora: Loja", "      Chave de Acesso da NFe: CHAVE",
                            "      Número do Protocolo (autorização): 1352", "      Número da NF: 123"})
    EXPECT_TRUE(a.NaLista(linha)) << linha;
  a.atual.NumeroRecepcao = "999";

  ASSERT_TRUE(Analisa(Pedido("NFE3.10", {"040-000 - 2.5", "044-000 - 3,7x", "100-000 - ", "800-001 - "})));
  EXPECT_EQ(resumo(), "2|3||||0|0");   // a number is read up to its first non-digit
  ASSERT_TRUE(Analisa("000-000 - ATV\r\n001-000 - 2\r\n040-000 - abc\r\n999-999 - \r\n"));
  EXPECT_EQ(e.RegimeTributario + "|" + resumo(), "3|0|0||||0|0");
  // Nothing of the previous request survives into one that does not carry it, except the base folder, which the front end sends once.
  EXPECT_EQ(e.EmailDestinatario + e.EmailEmitente + e.NomeEmpresaEmissora + e.ArquivoAnexoEmail + e.TextoAdicionalEmail +
                e.ChaveAcessoSolicitada + e.NumeroRecepcao + e.TextoComplementarIde + e.IndicadorDevolucao +
                e.ChaveReferenciada + e.ProtocoloSolicitado + e.JustificativaSolicitada + "|" + e.PastaBase,
            "|D:\\Base");
}

// Each row of analisador_tabelas.tsv: the records of items (N), instalments
// (D) and receipts (C) an NFE3.10 request leaves, on their first record.
TEST_F(Analisador, TabelasGuardamOQueRecebeu) {
  const auto tabela = [&](char t) -> data::Recordset& {
    return t == 'N' ? a.tabelas.TabelaNota : t == 'D' ? a.tabelas.TabelaDuplicatas : a.tabelas.TabelaCupons;
  };
  constexpr const char* kTipos[] = {"Vazio", "Nulo", "Texto", "Moeda", "Inteiro16", "Inteiro32", "Inteiro64", "Duplo", "Data", "Booleano"};
  for (const auto& c : teste::LerCasosTsv("manager/analisador_tabelas.tsv")) {
    SCOPED_TRACE(c.at("nome"));
    ASSERT_TRUE(Analisa("000-000 - NFE3.10\r\n001-000 - 1\r\n" + c.at("campos") + "999-999 - \r\n"));
    std::istringstream registros(c.at("registros"));
    for (char t : {'N', 'D', 'C'}) {
      std::string n;
      registros >> n;
      EXPECT_EQ(n == "-" ? n : std::to_string(tabela(t).RecordCount()), n) << t;
      const bool aberta = t != 'C' && tabela(t).State() == data::adStateOpen && tabela(t).RecordCount() > 0;
      EXPECT_EQ(aberta ? tabela(t).Posicao() : 0, 0) << t;
    }
    std::string celulas = c.at("celulas");
    for (size_t inicio = 0; inicio < celulas.size();) {
      const size_t fim = std::min(celulas.find(" | ", inicio), celulas.size());
      const std::string celula = celulas.substr(inicio, fim - inicio);
      const size_t igual = celula.find('=');
      data::Recordset& t = tabela(celula[0]);
      t.MoveFirst();
      for (int i = 0; i < celula[1] - '0'; ++i) t.MoveNext();
      const Valor v = t.Value(celula.substr(3, igual - 3));
      EXPECT_EQ(celula.substr(0, igual + 1) + (v.ENulo() ? "Null" : v.Texto()) + (v.ENulo() || v.ETexto() ? "" : std::string(" (") + kTipos[static_cast<int>(v.Tipo())] + ")"), celula);
      inicio = fim + 3;
    }
    EXPECT_TRUE(c.at("naLista").empty() || a.NaLista(c.at("naLista"))) << c.at("naLista");
  }
}

TEST_F(Analisador, SegundaNotaSoTemSeusRegistrosEColunasUmaVez) {
  ASSERT_TRUE(Analisa(Pedido("NFE3.10", {"100-000 - ", "899-001 - "})));
  for (int32_t i = 0; i < Nota().QuantidadeCampos(); ++i) EXPECT_FALSE(Nota().Value(i).ENulo()) << Nota().Campo(i).nome;
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
  ASSERT_TRUE(Analisa(Pedido("STATUS SERVICO")));
  EXPECT_EQ(Nota().RecordCount(), 1);
}

}  // namespace
}  // namespace velant
