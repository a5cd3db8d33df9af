#include "manager/plataforma/registro_eventos.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apoio_plataforma.h"
#include "base/texto.h"
#include "ui/interface_headless.h"

namespace velant {
namespace {

using teste::GravarTudo;
using teste::LerTudo;
using teste::PastaTemporaria;
using teste::RelogioFixo;

constexpr const char* kArquivo051226 = "C/KorvanePafEcf/NFe/VelantNFe/Log/VelantNFe_05_12_2026.LOG";

struct CasoNome {
  int ano, mes, dia;
  std::string esperado;
};

class NomeArquivoLogTest : public ::testing::TestWithParam<CasoNome> {};

TEST_P(NomeArquivoLogTest, DayMonthYearWithLeadingZeros) {
  const CasoNome& c = GetParam();
  EXPECT_EQ(RegistroEventos::NomeArquivoLog(DataHora::De(c.ano, c.mes, c.dia, 23, 59, 59)), c.esperado);
}

INSTANTIATE_TEST_SUITE_P(
    Datas, NomeArquivoLogTest,
    ::testing::Values(CasoNome{2026, 12, 5, "C:\\KorvanePafEcf\\NFe\\VelantNFe\\Log\\VelantNFe_05_12_2026.LOG"},
                      CasoNome{2027, 1, 31, "C:\\KorvanePafEcf\\NFe\\VelantNFe\\Log\\VelantNFe_31_01_2027.LOG"},
                      CasoNome{2024, 2, 29, "C:\\KorvanePafEcf\\NFe\\VelantNFe\\Log\\VelantNFe_29_02_2024.LOG"}));

class RegistroEventosTest : public ::testing::Test {
 protected:
  PastaTemporaria raiz;
  MapeadorCaminhos caminhos{raiz.Caminho()};
  RelogioFixo relogio{DataHora::De(2026, 12, 5, 9, 5, 7)};
  InterfaceHeadless ui{true};
  RegistroEventos log{ui, caminhos, relogio};

  std::string Arquivo051226() { return LerTudo(raiz.Caminho() / kArquivo051226); }
};

TEST_F(RegistroEventosTest, FileLineIsTimeDashTextCrLfAndTheFolderIsCreated) {
  log.RegistraEvento("***** Início de Solicitação ***** - 17", true, false);
  relogio.Definir(DataHora::De(2026, 12, 5, 23, 59, 59));
  log.RegistraEvento("      Aprovado pelo Host: 23:59:59", true, false);
  EXPECT_EQ(Arquivo051226(),
            "09:05:07 - ***** Início de Solicitação ***** - 17\r\n"
            "23:59:59 -       Aprovado pelo Host: 23:59:59\r\n");
  EXPECT_TRUE(ui.Caixas().empty());
  EXPECT_EQ(ui.Eventos().back(), "      Aprovado pelo Host: 23:59:59");
}

TEST_F(RegistroEventosTest, TheNextDayGoesToANewFile) {
  log.CriaLogNFe("antes");
  relogio.Definir(DataHora::De(2026, 12, 6, 0, 0, 1));
  log.CriaLogNFe("depois");
  EXPECT_EQ(Arquivo051226(), "09:05:07 - antes\r\n");
  EXPECT_EQ(LerTudo(raiz.Caminho() / "C/KorvanePafEcf/NFe/VelantNFe/Log/VelantNFe_06_12_2026.LOG"),
            "00:00:01 - depois\r\n");
}

TEST_F(RegistroEventosTest, AnExistingFolderIsFoundWhateverItsCase) {
  std::filesystem::create_directories(raiz.Caminho() / "c/korvanepafecf/nfe/velantnfe/log");
  GravarTudo(raiz.Caminho() / "c/korvanepafecf/nfe/velantnfe/log/VelantNFe_05_12_2026.LOG", "08:00:00 - antes\r\n");
  log.CriaLogNFe("agora");
  EXPECT_EQ(LerTudo(raiz.Caminho() / "c/korvanepafecf/nfe/velantnfe/log/VelantNFe_05_12_2026.LOG"),
            "08:00:00 - antes\r\n09:05:07 - agora\r\n");
  EXPECT_FALSE(std::filesystem::exists(raiz.Caminho() / "C"));
}

struct CasoSaidas {
  bool gravarArquivo;
  bool gravarMensagem;
};

class SaidasTest : public RegistroEventosTest, public ::testing::WithParamInterface<CasoSaidas> {};

TEST_P(SaidasTest, TheListAlwaysTheFileAndTheRowByTheirSwitches) {
  std::vector<std::string> mensagens;
  log.DefinirEscritorMensagem([&](const std::string& m) {
    mensagens.push_back(m);
    return true;
  });
  log.RegistraEvento("      Gerando NFe...", GetParam().gravarArquivo, GetParam().gravarMensagem);
  ASSERT_EQ(ui.QuantidadeEventos(), 1);
  EXPECT_EQ(ui.Eventos()[0], "      Gerando NFe...");
  EXPECT_EQ(Arquivo051226(), GetParam().gravarArquivo ? "09:05:07 -       Gerando NFe...\r\n" : "");
  EXPECT_EQ(mensagens, GetParam().gravarMensagem ? std::vector<std::string>{"Gerando NFe..."}
                                                 : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Chaves, SaidasTest,
                         ::testing::Values(CasoSaidas{false, false}, CasoSaidas{true, false}, CasoSaidas{false, true},
                                           CasoSaidas{true, true}));

TEST_F(RegistroEventosTest, The201stLineDropsTheFirstAndIsSelected) {
  for (int i = 1; i <= 201; ++i) log.RegistraEvento("linha " + std::to_string(i), false, false);
  ASSERT_EQ(ui.QuantidadeEventos(), 200);
  EXPECT_EQ(ui.Eventos().front(), "linha 2");
  EXPECT_EQ(ui.Eventos().back(), "linha 201");
  EXPECT_EQ(ui.EventoSelecionado(), 199);
}

TEST_F(RegistroEventosTest, RowMessageIsTheTrimmedTextCutTo50Characters) {
  // 120 characters, accents included, after six leading blanks.
  const std::string inicio50 = "Transmissão da NFe nº 123 à SEFAZ São Paulo: ação ";
  ASSERT_EQ(Len(inicio50), 50);
  std::string texto = "      " + inicio50;
  while (Len(texto) < 126) texto += "ç";
  ASSERT_EQ(Len(Trim(texto)), 120);

  std::string recebida;
  log.DefinirEscritorMensagem([&](const std::string& m) {
    recebida = m;
    return true;
  });
  log.RegistraEvento(texto, true, true);
  EXPECT_EQ(recebida, inicio50);
  EXPECT_EQ(ui.Eventos().back(), texto);
  EXPECT_EQ(Arquivo051226(), "09:05:07 - " + texto + "\r\n");
}

TEST_F(RegistroEventosTest, AFailedRowMessageGoesToTheFileOnlyWithTheWholeTrimmedText) {
  const std::string texto = "   " + std::string(80, 'x') + "  ";
  log.DefinirEscritorMensagem([](const std::string&) { return false; });
  log.RegistraEvento(texto, false, true);
  EXPECT_EQ(Arquivo051226(), "09:05:07 -  ** Erro: Não foi possível definir mensagem: " + std::string(80, 'x') + "\r\n");
  ASSERT_EQ(ui.QuantidadeEventos(), 1);
  EXPECT_EQ(ui.Eventos()[0], texto);
}

TEST_F(RegistroEventosTest, AWriterThatThrowsCountsAsFailed) {
  log.DefinirEscritorMensagem([](const std::string&) -> bool { throw std::runtime_error("sem banco"); });
  log.RegistraEvento("Consulta NFe...", false, true);
  EXPECT_EQ(Arquivo051226(), "09:05:07 -  ** Erro: Não foi possível definir mensagem: Consulta NFe...\r\n");
}

TEST_F(RegistroEventosTest, WithoutAWriterTheRowStepIsSkipped) {
  log.RegistraEvento("sem fila ainda", false, true);
  EXPECT_EQ(Arquivo051226(), "");
  EXPECT_EQ(ui.QuantidadeEventos(), 1);
  EXPECT_TRUE(ui.Caixas().empty());
}

struct CasoFalha {
  const char* nome;
  std::string obstaculo;   // made under the root before the write
  bool pasta;              // a folder (else a file) in the way
};

class FalhaArquivoTest : public RegistroEventosTest, public ::testing::WithParamInterface<CasoFalha> {};

TEST_P(FalhaArquivoTest, TwoBoxesAndTheLineStillReachesTheList) {
  std::filesystem::path obstaculo = raiz.Caminho() / GetParam().obstaculo;
  if (GetParam().pasta) std::filesystem::create_directories(obstaculo);
  else GravarTudo(obstaculo, "não é uma pasta");

  log.RegistraEvento("      Gerando NFe...", true, false);

  ASSERT_EQ(ui.Caixas().size(), 2u);
  EXPECT_FALSE(ui.Caixas()[0].prompt.empty());
  EXPECT_EQ(ui.Caixas()[0].estilo, vbOKOnly);
  EXPECT_EQ(ui.Caixas()[0].titulo, "");
  EXPECT_EQ(ui.Caixas()[1].prompt, "Erro ao criar LOG TEF:       Gerando NFe...");
  EXPECT_EQ(ui.Caixas()[1].estilo, vbInformation);
  EXPECT_EQ(ui.Caixas()[1].titulo, "Erro: CriaLogNFe");
  EXPECT_EQ(ui.Eventos().back(), "      Gerando NFe...");

  log.RegistraEvento("outra", true, false);   // every failing line shows them again
  EXPECT_EQ(ui.Caixas().size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Obstaculos, FalhaArquivoTest,
    ::testing::Values(CasoFalha{"pasta_no_lugar_do_arquivo", kArquivo051226, true},
                      CasoFalha{"arquivo_no_lugar_da_pasta", "C/KorvanePafEcf/NFe/VelantNFe/Log", false}),
    [](const auto& info) { return std::string(info.param.nome); });

}  // namespace
}  // namespace velant
