// Totals group and additional information.
#include <gtest/gtest.h>

#include "apoio_conteudo.h"

namespace velant::teste_conteudo {
namespace {

struct AmbienteTotais : AmbienteConteudo {
  ConexaoFalsa conexao{ui};
  AmbienteTotais() { ctx.ConexaoBanco = &conexao; }
};

Colunas Totais() {
  return {{"TotalBCIcmsTot", Moeda("100")},    {"TotalICMStot", Moeda("18")},  {"TotalBCIcmsSub", Moeda("50")},
          {"TotalValorIcmsSub", Moeda("9")},   {"ValorFreteProd", Moeda("7")}, {"TotalIpiTot", Moeda("4")},
          {"TotalPISTot", Moeda("1.65")},      {"TotalCofinsTot", Moeda("7.6")}, {"OutrosTot", Moeda("2")},
          {"TotalNFTot", Moeda("122")},        {"TotalProdTot", Moeda("95")}};
}

TEST(Totais, SlotsFixosECfopDeEcf) {
  AmbienteTotais a;
  a.Item(Totais());
  a.tabelas.TabelaNota.SetValue("CFOP", Valor("5929"));
  a.Pronto();
  Gera_dados_totais(a.ctx);
  const auto& v = a.vetores.gVetorTotais;
  ASSERT_EQ(v.size(), 29u);
  for (int i : {0, 1, 10, 11}) EXPECT_EQ(v[i], "0.00") << i;
  EXPECT_EQ(v[2], "50.00");
  EXPECT_EQ(v[3], "9.00");
  EXPECT_EQ(v[5], "7.00");
  EXPECT_EQ(v[6], "0.00");
  EXPECT_EQ(v[8], "0.00");
  EXPECT_EQ(v[9], "4.00");
  EXPECT_EQ(v[12], "2.00");
  EXPECT_EQ(v[13], "122.00");
  EXPECT_EQ(v[27], "0.00");
  EXPECT_EQ(v[28], "");
  for (int i = 14; i <= 26; ++i) EXPECT_EQ(v[i], "") << i;
}

TEST(Totais, IcmsPeloRegimeEPelaSituacaoDaOperacao) {
  struct Caso {
    const char* regime;
    const char* situacao;   // nullptr: no row
    const char* bc;
    const char* icms;
  } casos[] = {
      {"1", "102", "0.00", "0.00"},   {"1", "900", "100.00", "18.00"}, {"1", nullptr, "0.00", "0.00"},
      {"3", "102", "100.00", "18.00"}, {"3", nullptr, "100.00", "18.00"},
      {"", "900", "0.00", "0.00"},    // a regime that does not convert fails the test: its first branch
  };
  for (const auto& c : casos) {
    AmbienteTotais a;
    if (c.situacao != nullptr) a.conexao.situacoes["5102"] = c.situacao;
    a.estado.RegimeTributario = c.regime;
    a.Item(Totais());
    a.Pronto();
    Gera_dados_totais(a.ctx);
    EXPECT_EQ(a.vetores.gVetorTotais[0], c.bc) << c.regime << "/" << (c.situacao ? c.situacao : "-");
    EXPECT_EQ(a.vetores.gVetorTotais[1], c.icms);
    EXPECT_EQ(a.vetores.gVetorTotais[10], "1.65");
    EXPECT_EQ(a.vetores.gVetorTotais[11], "7.60");
    ASSERT_EQ(a.conexao.consultas.size(), 1u);
    EXPECT_EQ(a.conexao.consultas[0], "SELECT situacao_tributaria FROM natureza_operacao WHERE codigo = '5102'");
  }
}

TEST(Totais, SemConexaoASituacaoE000) {
  AmbienteConteudo a;
  a.estado.RegimeTributario = "1";
  a.vetores.gSituacaoTributaria = "900";   // left by an earlier invoice
  a.Item(Totais());
  a.Pronto();
  Gera_dados_totais(a.ctx);
  EXPECT_EQ(a.vetores.gSituacaoTributaria, "000");
  EXPECT_EQ(a.vetores.gVetorTotais[0], "0.00");
  EXPECT_EQ(a.ui.Eventos().size(), 1u);

  AmbienteTotais b;
  b.conexao.ativa = false;
  b.conexao.situacoes["5102"] = "900";
  b.estado.RegimeTributario = "1";
  b.Item(Totais());
  b.Pronto();
  Gera_dados_totais(b.ctx);
  EXPECT_TRUE(b.conexao.consultas.empty());
  EXPECT_EQ(b.vetores.gVetorTotais[0], "0.00");
}

TEST(Totais, AspasDoCfopDobradasNaConsulta) {
  AmbienteTotais a;
  a.Item({{"CFOP", Valor("5'02")}});
  a.Pronto();
  Gera_dados_totais(a.ctx);
  ASSERT_EQ(a.conexao.consultas.size(), 1u);
  EXPECT_EQ(a.conexao.consultas[0], "SELECT situacao_tributaria FROM natureza_operacao WHERE codigo = '5''02'");
}

TEST(Totais, TabelaDosDescontos) {
  struct Caso {
    const char* tpnf;
    const char* pe;
    const char* pd;
    const char* vDesc;
    const char* vProd;
  } casos[] = {
      {"0", "3", "5", "3.00", "95.00"},  {"0", "0", "5", "5.00", "100.00"}, {"0", "0", "0", "0.00", "95.00"},
      {"1", "3", "5", "3.00", "95.00"},  {"1", "0", "5", "5.00", "100.00"}, {"1", "0", "0", "0.00", "95.00"},
      {"2", "0", "5", "5.00", "100.00"},
  };
  for (const auto& c : casos) {
    AmbienteTotais a;
    a.Item(Totais());
    auto& n = a.tabelas.TabelaNota;
    n.SetValue("tpNF", Moeda(c.tpnf));
    n.SetValue("TotalDescontoPe", Moeda(c.pe));
    n.SetValue("TotalDescontoPd", Moeda(c.pd));
    a.Pronto();
    Gera_dados_totais(a.ctx);
    EXPECT_EQ(a.vetores.gVetorTotais[7], c.vDesc) << c.tpnf << " " << c.pe << " " << c.pd;
    EXPECT_EQ(a.vetores.gVetorTotais[4], c.vProd) << c.tpnf << " " << c.pe << " " << c.pd;
  }
}

TEST(Totais, SomaComNuloDaZero) {
  AmbienteTotais a;
  a.Item(Totais());
  a.tabelas.TabelaNota.SetValue("TotalDescontoPe", Valor::Nulo());
  a.Pronto();
  Gera_dados_totais(a.ctx);   // an exit: both sums involve the Null
  EXPECT_EQ(a.vetores.gVetorTotais[7], "0.00");
  EXPECT_EQ(a.vetores.gVetorTotais[4], "0.00");
}

TEST(Totais, Servicos) {
  AmbienteTotais a;
  a.Item(Totais());
  a.Pronto();
  Gera_dados_totais(a.ctx);
  for (int i = 14; i <= 18; ++i) EXPECT_EQ(a.vetores.gVetorTotais[i], "") << i;

  AmbienteTotais b;
  b.Item(Totais());
  auto& n = b.tabelas.TabelaNota;
  n.SetValue("ValorServiTot", Moeda("0.5"));
  n.SetValue("BCISSTot", Moeda("0.5"));
  n.SetValue("ValorIssTot", Moeda("0.03"));
  b.Pronto();
  Gera_dados_totais(b.ctx);
  const auto& v = b.vetores.gVetorTotais;
  EXPECT_EQ(v[14], "0.50");
  EXPECT_EQ(v[15], "0.50");
  EXPECT_EQ(v[16], "0.03");
  EXPECT_EQ(v[17], "1.65");
  EXPECT_EQ(v[18], "7.60");
}

TEST(InfAdic, SoPontoEVirgulaQuandoNaoHaNada) {
  AmbienteConteudo a;
  a.Item();
  a.Pronto();
  Gera_dados_infAdic(a.ctx);
  const auto& v = a.vetores.gVetorInfAdic;
  ASSERT_EQ(v.size(), 11u);
  EXPECT_EQ(v[1], ";");
  for (int i : {0, 2, 3, 4, 5, 6, 7, 10}) EXPECT_EQ(v[i], "") << i;
}

TEST(InfAdic, ChaveDevolvidaSoComDevolucao) {
  const char* chave = "35150312345678000195550010000012341000001234";
  struct Caso {
    const char* chave;
    const char* indicador;
    const char* esperado;
  };
  std::vector<Caso> casos = {
      {chave, "SIM",
       "CHAVE DA NFE DEVOLVIDA  3515 0312 3456 7800 0195 5500 1000 0012 3410 0000 1234;OBS  1;"},
      {"", "SIM", "OBS  1;"},
      {chave, "NAO", "OBS  1;"},
      // A key sent already formatted is grouped from its digits.
      {"3515-0312-3456-7800-0195-5500-1000-0012-3410-0000-1234", "SIM",
       "CHAVE DA NFE DEVOLVIDA  3515 0312 3456 7800 0195 5500 1000 0012 3410 0000 1234;OBS  1;"},
      // A short key leaves its missing places blank.
  };
  const std::string curta = "CHAVE DA NFE DEVOLVIDA  3515" + std::string(50, ' ') + ";OBS  1;";
  casos.push_back({"3515", "SIM", curta.c_str()});
  for (const auto& c : casos) {
    AmbienteConteudo a;
    a.Item({{"ObsNf", Valor("OBS: 1")}});
    a.estado.ChaveReferenciada = c.chave;
    a.estado.IndicadorDevolucao = c.indicador;
    a.Pronto();
    Gera_dados_infAdic(a.ctx);
    EXPECT_EQ(a.vetores.gVetorInfAdic[1], c.esperado) << c.indicador;
  }
}

TEST(InfAdic, VendedorEObservacaoDaEmissao) {
  AmbienteConteudo a;
  a.Item({{"ObsNf", Valor("ENTREGAR \u00C0 TARDE")}});
  RefazTabelaNota(a.tabelas, "", "NomeVendedor");
  a.tabelas.TabelaNota.MoveFirst();
  a.tabelas.TabelaNota.SetValue("NomeVendedor", Valor("JOS\u00C9"));
  a.Pronto();
  a.estado.ObservacaoEmissao = "PEDIDO 9";
  Gera_dados_infAdic(a.ctx);
  EXPECT_EQ(a.vetores.gVetorInfAdic[1], "Vendedor  JOSE;ENTREGAR A TARDE;PEDIDO 9");

  // A Null seller only leaves the seller out.
  a.tabelas.TabelaNota.SetValue("NomeVendedor", Valor::Nulo());
  Gera_dados_infAdic(a.ctx);
  EXPECT_EQ(a.vetores.gVetorInfAdic[1], "ENTREGAR A TARDE;PEDIDO 9");
}

TEST(InfAdic, ExteriorLevaEstadoELocalDeEmbarque) {
  AmbienteConteudo a;
  a.Registro({{"UnidadeFederada", "SP"}});
  a.Item({{"UFCli", Valor("EX")}, {"NomeMunEmp", Valor("S\u00C3O PAULO")}});
  a.Pronto();
  Gera_dados_emitente(a.ctx);
  Gera_dados_infAdic(a.ctx);
  EXPECT_EQ(a.vetores.gVetorInfAdic[2], "SP");
  EXPECT_EQ(a.vetores.gVetorInfAdic[3], "SAO PAULO");

  a.tabelas.TabelaNota.SetValue("UFCli", Valor("RJ"));
  Gera_dados_infAdic(a.ctx);
  EXPECT_EQ(a.vetores.gVetorInfAdic[2], "");
  EXPECT_EQ(a.vetores.gVetorInfAdic[3], "");
}

}  // namespace
}  // namespace velant::teste_conteudo
