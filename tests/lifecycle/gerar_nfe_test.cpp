#include "lifecycle/gerar_nfe.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/texto.h"
#include "content/preenche_vetores.h"
#include "data/documentos_nfe.h"
#include "lifecycle/apoio_emissao.h"

namespace velant {
namespace {

const std::string kChave = teste::ChaveNFe();
const std::string kGerado = "C:\\Dunmor\\nfe\\arquivos\\NFe" + kChave + ".xml";
const std::string kAssinado = "C:\\Dunmor\\nfe\\arquivos\\assinado\\NFe" + kChave + "-assinado.xml";

class Geracao : public teste::AmbienteEmissao {
 protected:
  // The request parsed and the emission values set as the poll loop sets them.
  void PreparaGeracao() {
    Prepara();
    ParametrosEmissaoFila(a.ctx);
  }
  std::string Assinado() { return teste::LerTudo(a.caminhos.Mapear(kAssinado)); }
};

TEST_F(Geracao, PrimeiraEmissaoCriaUmaLinhaNaEtapaZero) {
  PreparaGeracao();
  ASSERT_TRUE(GerarNFE(a.ctx)) << a.ArquivoLog();
  auto m = Movimento();
  EXPECT_EQ(std::make_tuple(m.chave, m.lote, m.recepcao, m.protocolo, m.etapa, m.data.substr(0, 10), a.atual.ChaveAcessoSolicitada, a.atual.ArquivoAtual, gerador.UltimoItem),
            std::make_tuple(kChave, 0, 0, 0, 0, "15/01/2016", kChave, kAssinado, 0));
  EXPECT_TRUE(a.caminhos.Existe(kGerado));
  std::string erro;
  EXPECT_TRUE(VerificarAssinatura(Assinado(), &erro)) << erro;
  // The signed document is in the database with its row, byte for byte; no batch yet.
  auto documentos = data::LeDocumentos(*conexao, {1, "1", kChave});
  EXPECT_EQ(documentos ? documentos->assinado + "|" + documentos->lote : "-", Assinado() + "|");
  EXPECT_TRUE(NoLog("        Arquivo gerado: " + kGerado));
  // Only some lines reach the request's message, cut to 50 characters.
  EXPECT_EQ(mensagens.front(), ("Arquivo gerado: " + kGerado).substr(0, 50));
  EXPECT_EQ(mensagens.size(), 3u);
}

// The layout of the document: the request's ("NFE4.00" sets 4.00 before
// the generation), else the registry's LeiauteNFe, else 3.10; the signed
// document is validated against that layout's schema and passes its rules.
TEST_F(Geracao, LeiauteDaSolicitacaoOuDoRegistro) {
  const struct {
    const char* registro;       // LeiauteNFe of the registry; nullptr: absent
    const char* daSolicitacao;  // LeiauteNFe the command left
    const char* esperado;       // versao of the document; nullptr: refused
  } casos[] = {{nullptr, "", "3.10"}, {" 4.00 ", "", "4.00"},
               {nullptr, "4.00", "4.00"}, {"3.10", "4.00", "4.00"}, {"5.00", "", nullptr}};
  for (const auto& c : casos) {
    SCOPED_TRACE(std::string(c.registro ? c.registro : "-") + "/" + c.daSolicitacao);
    conexao->CConexaoNfe::ExecutaSql("DELETE FROM MovimentoNFe");
    std::filesystem::remove(a.caminhos.Mapear(kGerado));
    Registro(c.registro ? std::string("\"LeiauteNFe\"=\"") + c.registro + "\"\r\n" : "");
    PreparaGeracao();
    a.atual.LeiauteNFe = c.daSolicitacao;
    ASSERT_EQ(GerarNFE(a.ctx), c.esperado != nullptr) << a.ArquivoLog();
    if (c.esperado == nullptr) {
      EXPECT_TRUE(NoLog(std::string("     ** Erro na Rotina: GerarNFE - Valor inválido no registro LeiauteNFe: '") +
                        c.registro + "' (3.10 ou 4.00)"));
      EXPECT_FALSE(a.caminhos.Existe(kGerado));
      continue;
    }
    EXPECT_EQ(a.atual.LeiauteNFe, c.esperado);
    EXPECT_NE(Assinado().find(std::string("<infNFe versao=\"") + c.esperado + "\""), std::string::npos);
  }
}

// The authority's business rules on the signed document: a request whose
// item does not add up to its products total is refused before any batch,
// with the rule's code and text for the front end and the values in the log.
class Regras : public Geracao, public ::testing::WithParamInterface<bool> {};

TEST_P(Regras, ProdutosQueNaoSomamSaoRecusadosSeConferidas) {
  const bool confere = GetParam();
  const std::string regra = "564 - Rejeição: Total do Produto / Serviço difere do somatório dos itens";
  if (!confere) Registro("\"VerificaRegrasAntesDeEnviar\"=\"0\"\r\n");
  PreparaGeracao();
  a.tabelas.TabelaNota.MoveFirst();
  a.tabelas.TabelaNota.SetValue("TotalProdTot", Valor(Currency::DeInteiro(150)));
  a.tabelas.TabelaNota.SetValue("TotalNFTot", Valor(Currency::DeInteiro(150)));
  EXPECT_EQ(GerarNFE(a.ctx), !confere) << a.ArquivoLog();
  EXPECT_EQ(a.atual.MensagemRetorno, confere ? regra : "");
  EXPECT_EQ(NoLog("      " + regra + " (vProd 150.00; soma dos itens 100.00)"), confere);
  EXPECT_EQ(NoLog("        Regras da autoridade não conferidas (VerificaRegrasAntesDeEnviar=0)"), !confere);
  EXPECT_EQ(mensagens.back(), confere ? Left(regra, 50) : "Arquivo Assinado/Validado");
  EXPECT_EQ(Movimento().etapa, 0);   // signed and recorded either way: nothing was sent
}

INSTANTIATE_TEST_SUITE_P(Registro, Regras, ::testing::Bool());

TEST_F(Geracao, SerieComAspasNaoQuebraOsComandos) {
  for (int vez = 0; vez < 2; ++vez) {   // found again the second time: updated, not duplicated
    PreparaGeracao();   // the content routines close the tables they read
    a.atual.SerieAtual = "1'A";
    ASSERT_TRUE(GerarNFE(a.ctx)) << a.ArquivoLog();
  }
  EXPECT_EQ(Movimento("1'A").chave, kChave);
  EXPECT_EQ(CLng(conexao->RsConexao("SELECT COUNT(*) FROM MovimentoNFe")->Value(0)), 1);
}

// The row and the signed document go in one transaction: a row not written
// takes the document back, and nothing is validated.
TEST_F(Geracao, NenhumaLinhaAfetadaDesfazTudo) {
  PreparaGeracao();
  conexao->falhaSeContem = "INSERT INTO MovimentoNFe";
  EXPECT_FALSE(GerarNFE(a.ctx));
  EXPECT_FALSE(data::LeDocumentos(*conexao, {1, "1", kChave}).has_value());
  EXPECT_EQ(a.atual.ChaveAcessoSolicitada, "");
  EXPECT_EQ(a.ArquivoLog().find("Validado="), std::string::npos) << a.ArquivoLog();
}

}  // namespace
}  // namespace velant
