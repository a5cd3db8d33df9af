// Recipient and transport groups.
#include <gtest/gtest.h>

#include "apoio_conteudo.h"

namespace velant::teste_conteudo {
namespace {

constexpr const char* kHomologacao = "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL";

struct CasoDestinatario {
  const char* nome;
  const char* ambiente;
  const char* uf;
  const char* cgc;
  const char* ie;
  const char* slot0;
  const char* slot1;
  const char* slot7;
  const char* slot13;
  const char* slot37;
};

void PrintTo(const CasoDestinatario& c, std::ostream* os) { *os << c.nome; }

class Destinatario : public ::testing::TestWithParam<CasoDestinatario> {};

TEST_P(Destinatario, IdentidadeEIndicador) {
  const auto& c = GetParam();
  AmbienteConteudo a;
  a.Registro({{"Ambiente", c.ambiente}});
  a.Item({{"UFCli", Valor(c.uf)},
          {"CgcCli", Valor(c.cgc)},
          {"IECli", Valor(c.ie)},
          {"RazaoSocialCli", Valor("JOS\u00C9 & FILHOS")},
          {"NomeMunCli", Valor("S\u00C3O PAULO")}});
  a.Pronto();
  Gera_dados_destinatario(a.ctx);
  const auto& v = a.vetores.gVetorDestinatario;
  ASSERT_EQ(v.size(), 40u);
  EXPECT_EQ(v[0], c.slot0);
  EXPECT_EQ(v[1], c.slot1);
  EXPECT_EQ(v[7], c.slot7);
  EXPECT_EQ(v[13], c.slot13);
  EXPECT_EQ(v[37], c.slot37);
  // The rest of the address is the recipient's in every case.
  EXPECT_EQ(v[2], "RUA A");
  EXPECT_EQ(v[5], "CENTRO");
  EXPECT_EQ(v[6], "3550308");
  EXPECT_EQ(v[8], c.uf);
  EXPECT_EQ(v[9], "01001000");
  EXPECT_EQ(v[10], "1058");
  EXPECT_EQ(v[11], "BRASIL");
  EXPECT_EQ(v[12], "1133334444");
  for (int i : {3, 4, 15, 16, 20, 21, 28, 36, 38, 39}) EXPECT_EQ(v[i], "") << i;
  EXPECT_TRUE(a.Registrado("        Gerando vetor Destinat\u00E1rio..."));
  EXPECT_TRUE(a.Registrado("        Gerado vetor Destinat\u00E1rio!"));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Destinatario,
    ::testing::Values(
        CasoDestinatario{"HomologacaoNacional", "2", "SP", "12345678000195", "111.222", "99999999000191",
                         kHomologacao, "SAO PAULO", "", "2"},
        CasoDestinatario{"HomologacaoExterior", "2", "EX", "", "", "", kHomologacao, "EXTERIOR", "", "2"},
        CasoDestinatario{"ProducaoExterior", "1", "EX", "123", "AB-12", "", "JOSE   FILHOS", "EXTERIOR", "12",
                         "1"},
        CasoDestinatario{"ProducaoCpf", "1", "SP", "12345678901", "111.222", "12345678901", "JOSE   FILHOS",
                         "SAO PAULO", "111222", "9"},
        CasoDestinatario{"ProducaoIsento", "1", "SP", "12345678000195", "isento", "12345678000195",
                         "JOSE   FILHOS", "SAO PAULO", "", "9"},
        CasoDestinatario{"ProducaoIsentaMaiusculas", "1", "SP", "12345678000195", "ISENTA", "12345678000195",
                         "JOSE   FILHOS", "SAO PAULO", "", "9"},
        CasoDestinatario{"ProducaoContribuinte", "1", "SP", "12345678000195", "111.222", "12345678000195",
                         "JOSE   FILHOS", "SAO PAULO", "111222", "1"},
        // An environment that is neither 1 nor 2 is the last case, whatever the state.
        CasoDestinatario{"SemAmbienteExterior", "", "EX", "123", "77", "123", "JOSE   FILHOS", "SAO PAULO", "77",
                         "1"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(Destinatario, Suframa) {
  const std::pair<Valor, const char*> casos[] = {
      {Valor("0"), ""}, {Valor::Nulo(), ""}, {Valor("123456789"), "123456789"}};
  for (const auto& [suframa, esperado] : casos) {
    AmbienteConteudo a;
    a.Registro({{"Ambiente", "1"}});
    a.Item({{"CodSuframaCl", suframa}});
    a.Pronto();
    Gera_dados_destinatario(a.ctx);
    EXPECT_EQ(a.vetores.gVetorDestinatario[14], esperado);
  }
}

TEST(Destinatario, ErroRegistraAFaseEPara) {
  AmbienteConteudo a;
  a.Registro({{"Ambiente", "1"}});
  a.Item();
  RefazTabelaNota(a.tabelas, "LogradouroCli");
  a.Pronto();
  Gera_dados_destinatario(a.ctx);
  const auto& v = a.vetores.gVetorDestinatario;
  EXPECT_EQ(v[0], "12345678000195");   // written before the error
  EXPECT_EQ(v[5], "");                  // not reached
  EXPECT_EQ(v[37], "");
  bool achou = false;
  for (const auto& e : a.ui.Eventos()) {
    if (e.rfind("     ** Erro na Rotina: Gera_dados_destinatario - xFaseLog=70 - ", 0) == 0) achou = true;
  }
  EXPECT_TRUE(achou);
  EXPECT_FALSE(a.Registrado("        Gerado vetor Destinat\u00E1rio!"));
}

TEST(Transporte, ModalidadeDoFrete) {
  const std::pair<Valor, const char*> casos[] = {
      {Valor(int64_t{1}), "0"}, {Valor(int64_t{2}), "1"}, {Valor(int64_t{3}), "2"}, {Valor(int64_t{9}), "9"},
      {Valor(int64_t{0}), ""},  {Valor(int64_t{4}), ""},  {Valor::Nulo(), ""}};
  for (const auto& [tipo, esperado] : casos) {
    AmbienteConteudo a;
    a.Item({{"TipoFrete", tipo}});
    a.Pronto();
    Gera_dados_transporte(a.ctx);
    EXPECT_EQ(a.vetores.gVetorTransporte[0], esperado);
  }
}

TEST(Transporte, Slots) {
  AmbienteConteudo a;
  a.Item({{"CnpjOuCpfTranspor", Valor("11222333000144")},
          {"RazaoSocialTranspor", Valor("TRANSPORTES S\u00C3O JO\u00C3O")},
          {"IETranspor", Valor("ISENTO")},
          {"EndTranspor", Valor("ROD. SP-330, KM 10")},
          {"NomeMunTranspor", Valor("JUNDIA\u00CD")},
          {"UFTranspor", Valor("SP")},
          {"PlacaTranspor", Valor("ABC-1234")},
          {"UfPlacaTranspor", Valor("")},
          {"QntTranspor", Moeda("3")},
          {"EspecieTranspor", Valor("CAIXA")},
          {"PesoLiqTranspor", Moeda("12.5")},
          {"PesoBrutoTranspor", Valor::Nulo()}});
  a.Pronto();
  Gera_dados_transporte(a.ctx);
  const auto& v = a.vetores.gVetorTransporte;
  ASSERT_EQ(v.size(), 29u);
  EXPECT_EQ(v[1], "11222333000144");
  EXPECT_EQ(v[2], "TRANSPORTES SAO JOAO");
  EXPECT_EQ(v[3], "");
  EXPECT_EQ(v[4], "ROD. SP 330, KM 10");
  EXPECT_EQ(v[5], "JUNDIA\u00CD");   // not cleaned
  EXPECT_EQ(v[6], "SP");
  EXPECT_EQ(v[7], "ABC 1234");
  EXPECT_EQ(v[8], " ");
  EXPECT_EQ(v[9], "3");
  EXPECT_EQ(v[10], "CAIXA");
  EXPECT_EQ(v[13], "12.500");
  EXPECT_EQ(v[14], "0.000");
  for (int i : {11, 12, 15, 20, 27, 28}) EXPECT_EQ(v[i], "") << i;
}

}  // namespace
}  // namespace velant::teste_conteudo
