// The correction letter's routine on its own database and root folder, with
// the authority's answer given: what it checks here before anything is sent,
// and what it stores (or not) for each kind of answer.
#include "lifecycle/carta_correcao.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "apoio/arquivos_teste.h"
#include "component/recusa_resposta.h"
#include "movimento_saida.h"

namespace velant {
namespace {

const std::string kChave = "35261211222333000181550010000010011000010018";
const std::string kProtocolo = "135260000000042";
const std::string kCorrecao = "Rua certa: Flores 120";
const std::string kProc = "<procEventoNFe versao=\"1.00\"/>";

RespostaRegistro Registrada(std::string chave = "", std::string recusa = "") {
  RespostaRegistro r = teste::Retorno("135", "Evento registrado e vinculado a NF-e", kProtocolo);
  r.distribuicao = kProc;
  r.chNFe = std::move(chave);
  r.recusa = std::move(recusa);
  return r;
}

struct Caso {
  const char* nome;
  int etapa;          // of the invoice's MovimentoNFe row; -1: no row
  bool cancelada;     // MovimentoNFeSaidaCancelada at step 3
  RespostaRegistro resposta;
  bool enviada;       // the component was called
  bool registrada;    // true returned and the file written
  std::string motivo; // MotivoFalha
  std::string caixa;  // the box shown, "" for none
};
void PrintTo(const Caso& c, std::ostream* os) { *os << c.nome; }

class Carta : public teste::MovimentoSaida, public ::testing::WithParamInterface<Caso> {};

TEST_P(Carta, ConfereEGuardaPelaResposta) {
  const Caso& c = GetParam();
  if (c.etapa >= 0)
    Executa("INSERT INTO MovimentoNFe (Empresa, Serie, Numero, [Numero da NFe], [Etapa Concluida]) VALUES (1, '1', "
            "1001, '" + kChave + "', " + std::to_string(c.etapa) + ")");
  if (c.cancelada)
    Executa("INSERT INTO MovimentoNFeSaidaCancelada (Empresa, Serie, [Numero da NFe], [Etapa Concluida]) VALUES (1, "
            "'1', '" + kChave + "', 3)");
  resposta = c.resposta;
  EXPECT_EQ(CartaCorrecao(a.ctx, kChave, "", kCorrecao), c.registrada);
  EXPECT_EQ(chamadas, c.enviada ? std::vector<std::string>{"EventoCartaCorrecao(" + kChave + "|1|" + kCorrecao + ")"}
                                : std::vector<std::string>{});
  EXPECT_EQ(a.atual.MotivoFalha, c.motivo);
  EXPECT_EQ(Caixas(), c.caixa.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.caixa});
  const auto arquivo = a.caminhos.Mapear(ArquivoCartaCorrecao(a.ctx, kChave, 1));
  EXPECT_EQ(std::filesystem::exists(arquivo) ? teste::LerTudo(arquivo) : "-", c.registrada ? kProc : "-");
}

INSTANTIATE_TEST_SUITE_P(
    CartaCorrecao, Carta,
    ::testing::Values(
        Caso{"Registrada", 3, false, Registrada(), true, true, "", ""},
        Caso{"NotaNaEtapa2", 2, false, Registrada(), false, false, "NF-e não autorizada", ""},
        Caso{"NotaCancelada", 3, true, Registrada(), false, false, "NF-e cancelada", ""},
        Caso{"Duplicada573", 3, false, teste::Retorno("573", "Rejeição: Duplicidade de Evento"), true, false,
             "Carta de correção 1 já registrada na SEFAZ (573)", ""},
        Caso{"Rejeitada", 3, false, teste::Retorno("217", "Rejeição: NF-e não consta na base de dados da SEFAZ"),
             true, false, "217 - Rejeição: NF-e não consta na base de dados da SEFAZ",
             "Erro ao registrar carta de correção. Retorno! \r\n217 - Rejeição: NF-e não consta na base de dados da "
             "SEFAZ"},
        Caso{"DeOutraChave", 3, false, Registrada("35261211222333000181550010000010021000010023"), true, false,
             kRecusaOutraChave, ""},
        Caso{"AssinaturaRecusada", 3, false, Registrada("", kRecusaAssinatura), true, false, kRecusaAssinatura, ""}),
    [](const auto& info) { return std::string(info.param.nome); });

}  // namespace
}  // namespace velant
