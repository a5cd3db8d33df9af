// Identification and issuer groups.
#include <gtest/gtest.h>

#include "apoio_conteudo.h"

namespace velant::teste_conteudo {
namespace {

TEST(Ide, VetorTemSempre37SlotsEosFixos) {
  AmbienteConteudo a;
  a.Item();
  a.Pronto();
  Gera_dados_ide(a.ctx);
  const auto& v = a.vetores.gVetorIde;
  ASSERT_EQ(v.size(), 37u);
  EXPECT_EQ(v[0], "35");
  EXPECT_EQ(v[1], "1234");
  EXPECT_EQ(v[4], "55");
  EXPECT_EQ(v[5], "1");
  EXPECT_EQ(v[6], "1234");
  EXPECT_EQ(v[7], "2015-03-05T10:00:00-03:00");
  EXPECT_EQ(v[9], "1");
  EXPECT_EQ(v[10], "3509502");
  EXPECT_EQ(v[11], "1");
  EXPECT_EQ(v[12], "1");
  EXPECT_EQ(v[14], "0");
  EXPECT_EQ(v[35], "1");
  for (int i : {15, 16, 17, 18, 19, 20, 25, 33}) EXPECT_EQ(v[i], "") << i;
}

TEST(Ide, NaturezaDaOperacao) {
  struct Caso {
    const char* cfop;
    const char* esperado;
  } casos[] = {
      {"6929", "VENDA TAMBEM REGISTRADA NO ECF"},
      {"5929", "VENDA TAMBEM REGISTRADA NO ECF"},
      {"5102", "VENDA DE MERCADORIA  SP"},
  };
  for (const auto& c : casos) {
    AmbienteConteudo a;
    a.Item({{"CFOP", Valor(c.cfop)}, {"DescNaturezaOp", Valor("VENDA DE MERCADORIA (SP")}});
    a.Pronto();
    Gera_dados_ide(a.ctx);
    EXPECT_EQ(a.vetores.gVetorIde[2], c.esperado) << c.cfop;
  }
}

TEST(Ide, IndicadorDePagamento) {
  const std::pair<const char*, const char*> casos[] = {
      {"1", "0"}, {"2", "1"}, {"0", "2"}, {"3", "2"}, {"", "2"}, {"A VISTA", "2"}};
  for (const auto& [forma, esperado] : casos) {
    AmbienteConteudo a;
    a.Item({{"FormaPag", Valor(forma)}});
    a.Pronto();
    Gera_dados_ide(a.ctx);
    EXPECT_EQ(a.vetores.gVetorIde[3], esperado) << "FormaPag=" << forma;
  }
}

TEST(Ide, DataDeSaidaOuEntrada) {
  struct Caso {
    const char* tpnf;
    Valor dtSaida;
    const char* esperado;
  } casos[] = {
      {"0", Valor("2015-03-06T08:00:00-03:00"), ""},   // an entry: no "dtentrada" column
      {"1", Valor::Nulo(), ""},
      {"1", Valor("2015-03-06T08:00:00-03:00"), "2015-03-06T08:00:00-03:00"},
  };
  for (const auto& c : casos) {
    AmbienteConteudo a;
    a.Item({{"tpNF", Moeda(c.tpnf)}, {"DtSaida", c.dtSaida}});
    a.Pronto();
    Gera_dados_ide(a.ctx);
    EXPECT_EQ(a.vetores.gVetorIde[8], c.esperado) << c.tpnf;
  }
}

TEST(Ide, DestinoPeloPrimeiroAlgarismoDoCfop) {
  const std::pair<const char*, const char*> casos[] = {
      {"1102", "1"}, {"5102", "1"}, {"2102", "2"}, {"6102", "2"}, {"3102", "3"},
      {"7101", "3"}, {"9102", ""},  {"", ""},      {"4102", ""}};
  for (const auto& [cfop, esperado] : casos) {
    AmbienteConteudo a;
    a.Item({{"CFOP", Valor(cfop)}});
    a.Pronto();
    Gera_dados_ide(a.ctx);
    EXPECT_EQ(a.vetores.gVetorIde[34], esperado) << "cfop=" << cfop;
  }
}

TEST(Ide, ChaveReferenciadaSoAlgarismosEFinalidade) {
  AmbienteConteudo a;
  a.Item();
  a.estado.ChaveReferenciada = "3515-0312 3456.7800-0195 5500 1000 0012 3410 0000 1234";
  a.estado.IndicadorDevolucao = "SIM";
  a.estado.NumeroComplementarIde = 7;
  a.estado.TextoComplementarIde = "COMPLEMENTO";
  a.Pronto();
  Gera_dados_ide(a.ctx);
  EXPECT_EQ(a.vetores.gVetorIde[13], "35150312345678000195550010000012341000001234");
  EXPECT_EQ(a.vetores.gVetorIde[12], "4");
  EXPECT_EQ(a.vetores.gVetorIde[14], "7");
  EXPECT_EQ(a.vetores.gVetorIde[36], "COMPLEMENTO");

  a.estado.ChaveReferenciada = "";
  Gera_dados_ide(a.ctx);
  EXPECT_EQ(a.vetores.gVetorIde[13], "");
}

TEST(Ide, ListasDosCuponsReferenciados) {
  AmbienteConteudo a;
  a.Item();
  a.Cupom("2D", 1, 123);
  a.Cupom("2D", 1, 124);
  a.Pronto();
  ASSERT_EQ(a.vetores.gQtdCuponsRef, 2);
  Gera_dados_ide(a.ctx);
  EXPECT_EQ(a.vetores.gVetorIde[17], "2D;2D;");
  EXPECT_EQ(a.vetores.gVetorIde[18], "1;1;");
  EXPECT_EQ(a.vetores.gVetorIde[19], "123;124;");
}

TEST(Ide, CupomComCampoNuloPerdeSoAquelaEntrada) {
  AmbienteConteudo a;
  a.Item();
  a.Cupom("2D", 1, 123);
  auto& c = a.tabelas.TabelaCupons;
  c.AddNew();
  c.SetValue("CodigoECF", Valor(int16_t{2}));
  c.SetValue("NumeroCupom", Valor(int64_t{9}));
  c.Update();
  a.Pronto();
  Gera_dados_ide(a.ctx);
  EXPECT_EQ(a.vetores.gVetorIde[17], "2D;");
  EXPECT_EQ(a.vetores.gVetorIde[18], "1;2;");
  EXPECT_EQ(a.vetores.gVetorIde[19], "123;9;");
}

TEST(Ide, SemCuponsAsListasFicamVazias) {
  AmbienteConteudo a;
  a.Item();
  a.Pronto();
  Gera_dados_ide(a.ctx);
  for (int i : {17, 18, 19}) EXPECT_EQ(a.vetores.gVetorIde[i], "") << i;
}

TEST(Emitente, Slots) {
  AmbienteConteudo a;
  a.Item({{"RazaoSocialEmp", Valor("COM\u00C9RCIO & CIA")},
          {"NomeFantasiaEmp", Valor("LOJA")},
          {"LogradouroEmp", Valor("AV. S\u00C3O JO\u00C3O")},
          {"NumLgrEmp", Valor("10-A")},
          {"CplEmp", Valor("SALA 2")},
          {"BairroEmp", Valor("CENTRO")},
          {"CepEmp", Valor("13010000")},
          {"TelefoneEmp", Valor("(1932323232")},
          {"IEEmp", Valor("244.123.456-7")}});
  a.Pronto();
  Gera_dados_emitente(a.ctx);
  const auto& v = a.vetores.gVetorEmitente;
  ASSERT_EQ(v.size(), 16u);
  EXPECT_EQ(v[0], "COMERCIO   CIA");
  EXPECT_EQ(v[1], "LOJA");
  EXPECT_EQ(v[2], "AV. SAO JOAO");
  EXPECT_EQ(v[3], "10-A");
  EXPECT_EQ(v[4], "SALA 2");
  EXPECT_EQ(v[5], "CENTRO");
  EXPECT_EQ(v[6], "3509502");
  EXPECT_EQ(v[7], "CAMPINAS");
  EXPECT_EQ(v[8], "13010000");
  EXPECT_EQ(v[9], "1932323232");
  EXPECT_EQ(v[10], "2441234567");
  for (int i : {11, 12, 13, 15}) EXPECT_EQ(v[i], "") << i;
}

TEST(Emitente, TelefoneSemOPrimeiroCaractere) {
  const std::pair<Valor, const char*> casos[] = {
      {Valor("(1932323232"), "1932323232"}, {Valor("X"), ""}, {Valor::Nulo(), ""}, {Valor(""), ""}};
  for (const auto& [fone, esperado] : casos) {
    AmbienteConteudo a;
    a.Item({{"TelefoneEmp", fone}});
    a.Pronto();
    Gera_dados_emitente(a.ctx);
    EXPECT_EQ(a.vetores.gVetorEmitente[9], esperado);
  }
}

TEST(Emitente, InscricaoEstadualSoAlgarismos) {
  const std::pair<Valor, const char*> casos[] = {
      {Valor("244.123.456-7"), "2441234567"}, {Valor("ISENTO"), ""}, {Valor::Nulo(), ""}};
  for (const auto& [ie, esperado] : casos) {
    AmbienteConteudo a;
    a.Item({{"IEEmp", ie}});
    a.Pronto();
    Gera_dados_emitente(a.ctx);
    EXPECT_EQ(a.vetores.gVetorEmitente[10], esperado);
  }
}

TEST(Emitente, RegimeTributario) {
  // A regime that does not convert to a number fails the test and so takes its first branch.
  const std::pair<const char*, const char*> casos[] = {{"1", "1"}, {"2", "3"}, {"3", "3"}, {"", "1"}, {"X", "1"}};
  for (const auto& [regime, crt] : casos) {
    AmbienteConteudo a;
    a.Item();
    a.estado.RegimeTributario = regime;
    a.Pronto();
    Gera_dados_emitente(a.ctx);
    EXPECT_EQ(a.vetores.gVetorEmitente[14], crt) << "regime=" << regime;
  }
}

TEST(Ide, ColunaAusenteSoDeixaSeuSlotVazio) {
  AmbienteConteudo a;
  a.Item();
  RefazTabelaNota(a.tabelas, "NumeroNF");
  a.Pronto();
  Gera_dados_ide(a.ctx);
  EXPECT_EQ(a.vetores.gVetorIde[1], "");
  EXPECT_EQ(a.vetores.gVetorIde[6], "");
  EXPECT_EQ(a.vetores.gVetorIde[5], "1");
  EXPECT_EQ(a.vetores.gVetorIde[35], "1");
}

}  // namespace
}  // namespace velant::teste_conteudo
