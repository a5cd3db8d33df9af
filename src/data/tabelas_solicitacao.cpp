#include "data/tabelas_solicitacao.h"

#include <array>

#include "base/data_hora.h"
#include "base/texto.h"

namespace velant {

namespace {

using data::adBigInt;
using data::adCurrency;
using data::adDBDate;
using data::adSmallInt;
using data::adVarChar;

struct Coluna {
  const char* nome;
  data::TipoCampo tipo;
  int32_t tamanho;
};

// TabelaNota: header and item columns, in append order.
constexpr std::array<Coluna, 132> kColunasNota{{
    {"CgcCli", adVarChar, 14},
    {"RazaoSocialCli", adVarChar, 60},
    {"LogradouroCli", adVarChar, 60},
    {"BairroCli", adVarChar, 30},
    {"CodMunCli", adVarChar, 10},
    {"CodPaisCli", adVarChar, 10},
    {"NomeMunCli", adVarChar, 40},
    {"UFCli", adVarChar, 2},
    {"CEPCli", adVarChar, 8},
    {"NomePaisCli", adVarChar, 40},
    {"TelefoneCli", adVarChar, 20},
    {"IECli", adVarChar, 20},
    {"CodSuframaCl", adVarChar, 20},
    {"CodMunTranspor", adVarChar, 10},
    {"NomeMunEmp", adVarChar, 40},
    {"CodMunEmp", adVarChar, 10},
    {"CodMunIdentificacao", adVarChar, 10},
    {"ValorIva", adCurrency, 0},
    {"NomeProd", adVarChar, 60},
    {"CodBarras", adVarChar, 20},
    {"tpIpi", adCurrency, 0},
    {"ValorPisReais", adCurrency, 0},
    {"ValorCofinsREais", adCurrency, 0},
    {"CSTCofins", adVarChar, 6},
    {"CSTPis", adVarChar, 6},
    {"NCMProd", adVarChar, 20},
    {"CodListServico", adVarChar, 20},
    {"RazaoSocialEmp", adVarChar, 60},
    {"NomeFantasiaEmp", adVarChar, 60},
    {"LogradouroEmp", adVarChar, 60},
    {"NumLgrEmp", adVarChar, 20},
    {"CplEmp", adVarChar, 20},
    {"BairroEmp", adVarChar, 40},
    {"CepEmp", adVarChar, 8},
    {"TelefoneEmp", adVarChar, 20},
    {"IEEmp", adVarChar, 20},
    {"SerieNFEmp", adVarChar, 6},
    {"DescNaturezaOp", adVarChar, 60},
    {"FormaPag", adVarChar, 40},
    {"NumeroNF", adVarChar, 10},
    {"DtEmissao", adVarChar, 30},
    {"CodProduto", adVarChar, 20},
    {"DtSaida", adVarChar, 30},
    {"PlacaTranspor", adVarChar, 10},
    {"UfPlacaTranspor", adVarChar, 2},
    {"QntTranspor", adCurrency, 0},
    {"TotalPISTot", adCurrency, 0},
    {"ValorFreteProd", adCurrency, 0},
    {"TotalCofinsTot", adCurrency, 0},
    {"TotalIpiTot", adCurrency, 0},
    {"TotalICMStot", adCurrency, 0},
    {"TotalBCIcmsTot", adCurrency, 0},
    {"TotalNFTot", adCurrency, 0},
    {"TotalProdTot", adCurrency, 0},
    {"ValorIcmsSTTot", adCurrency, 0},
    {"OutrosTot", adCurrency, 0},
    {"EspecieTranspor", adVarChar, 100},
    {"PesoLiqTranspor", adCurrency, 0},
    {"PesoBrutoTranspor", adCurrency, 0},
    {"TipoFrete", adBigInt, 0},
    {"TpVenda", adVarChar, 6},
    {"TotalBCIcmsSub", adCurrency, 0},
    {"TotalValorIcmsSub", adCurrency, 0},
    {"TotalDescontoPd", adCurrency, 0},
    {"TotalDescontoPe", adCurrency, 0},
    {"ValorServiTot", adCurrency, 0},
    {"BCISSTot", adCurrency, 0},
    {"ValorIssTot", adCurrency, 0},
    {"ObsNf", adVarChar, 2000},
    {"CnpjOuCpfTranspor", adVarChar, 20},
    {"RazaoSocialTranspor", adVarChar, 60},
    {"IETranspor", adVarChar, 20},
    {"EndTranspor", adVarChar, 60},
    {"NomeMunTranspor", adVarChar, 40},
    {"UFTranspor", adVarChar, 2},
    {"ValorUnitProd", adCurrency, 0},
    {"TotalProdServ", adCurrency, 0},
    {"QntProd", adCurrency, 0},
    {"ValorIPIProd", adCurrency, 0},
    {"UnidadeProd", adVarChar, 4},
    {"ValorCofinsProd", adCurrency, 0},
    {"ValorPISProd", adCurrency, 0},
    {"ValorIcmsProd", adCurrency, 0},
    {"ValorBCICMSProd", adCurrency, 0},
    {"AliquotaIPIProd", adCurrency, 0},
    {"AliquotaICMSProd", adCurrency, 0},
    {"DescontoProd", adCurrency, 0},
    {"Descontope", adCurrency, 0},
    {"tpNF", adCurrency, 0},
    {"CFOP", adVarChar, 4},
    {"CodSitTrib", adVarChar, 4},
    {"ServProd", adVarChar, 20},
    {"DadosAdicionais", adCurrency, 0},
    {"BCST", adCurrency, 0},
    {"ValorIcmsSub", adCurrency, 0},
    {"PercentualICMSSub", adCurrency, 0},
    {"PercentualRedICMSSub", adCurrency, 0},
    {"PercentualRedICMS", adCurrency, 0},
    {"TipoCombustivel", adVarChar, 2},
    {"CodigoANP", adVarChar, 10},
    {"CodEstadoIde", adBigInt, 0},
    {"BCICMSTransp", adCurrency, 0},
    {"AliquotaIcmsTransp", adCurrency, 0},
    {"ValorICMSTransp", adCurrency, 0},
    {"CFOPTransp", adVarChar, 4},
    {"ValorServicoMCC", adCurrency, 0},
    // Layout 4.00 item fields (510- to 526-).
    {"BCFCPProd", adCurrency, 0},
    {"PercentualFCPProd", adCurrency, 0},
    {"ValorFCPProd", adCurrency, 0},
    {"BCFCPSTProd", adCurrency, 0},
    {"PercentualFCPSTProd", adCurrency, 0},
    {"ValorFCPSTProd", adCurrency, 0},
    {"BCFCPSTRetProd", adCurrency, 0},
    {"PercentualFCPSTRetProd", adCurrency, 0},
    {"ValorFCPSTRetProd", adCurrency, 0},
    {"CodBeneficioFiscal", adVarChar, 10},
    {"LoteProd", adVarChar, 20},
    {"QntLoteProd", adCurrency, 0},
    {"DtFabricacaoLote", adVarChar, 30},
    {"DtValidadeLote", adVarChar, 30},
    {"CodAgregacaoLote", adVarChar, 20},
    {"DescricaoANP", adVarChar, 95},
    // Layout 4.00, tax reform (530- to 539-).
    {"CSTIBSCBSProd", adVarChar, 3},
    {"cClassTribProd", adVarChar, 6},
    {"PercentualIBSUFProd", adCurrency, 0},
    {"PercentualIBSMunProd", adCurrency, 0},
    {"PercentualCBSProd", adCurrency, 0},
    {"PercentualRedAliqProd", adCurrency, 0},
    {"PercentualDiferimentoProd", adCurrency, 0},
    {"CSTISProd", adVarChar, 3},
    {"cClassTribISProd", adVarChar, 6},
    {"PercentualISProd", adCurrency, 0},
}};

constexpr std::array<Coluna, 4> kColunasDuplicatas{{
    {"status", adVarChar, 1},
    {"NumDupl", adVarChar, 20},
    {"DtVenc", adDBDate, 0},
    {"ValorVenc", adCurrency, 0},
}};

constexpr std::array<Coluna, 3> kColunasCupons{{
    {"Tipo", adVarChar, 2},
    {"CodigoECF", adSmallInt, 0},
    {"NumeroCupom", adBigInt, 0},
}};

template <size_t N>
void CriaTabela(data::Recordset& tabela, bool& criada, const std::array<Coluna, N>& colunas) {
  // A table the content assembly closed after reading is built again.
  if (tabela.State() == data::adStateClosed) criada = false;
  if (criada) {
    if (tabela.RecordCount() > 0) {
      tabela.MoveFirst();
      while (!tabela.Eof()) {
        tabela.Delete();
        tabela.MoveNext();
      }
    }
    return;
  }
  // The closed record set still holds the columns of an earlier build.
  tabela.LimparCampos();
  for (const Coluna& c : colunas) tabela.AppendCampo(c.nome, c.tipo, c.tamanho);
  tabela.Open();
  criada = true;
}

}  // namespace

void CriaTabelaNota(TabelasSolicitacao& tabelas) {
  CriaTabela(tabelas.TabelaNota, tabelas.TabelaNotaCriada, kColunasNota);
}

void CriaTabelaDuplicatas(TabelasSolicitacao& tabelas) {
  CriaTabela(tabelas.TabelaDuplicatas, tabelas.TabelaDuplicatasCriada, kColunasDuplicatas);
}

void CriaTabelaCupons(TabelasSolicitacao& tabelas) {
  CriaTabela(tabelas.TabelaCupons, tabelas.TabelaCuponsCriada, kColunasCupons);
}

void PreparaRegistroNota(TabelasSolicitacao& tabelas) {
  data::Recordset& nota = tabelas.TabelaNota;
  for (const Coluna& c : kColunasNota) {
    const std::string nome = c.nome;
    if (nome == "DtEmissao" || nome == "DtSaida") {
      nota.SetValue(nome, Valor(DataHora()));   // the zero date-time, as the column's text
    } else if (c.tipo == adVarChar) {
      nota.SetValue(nome, Valor(std::string()));
    } else if (c.tipo == adCurrency) {
      nota.SetValue(nome, Valor(Currency()));
    } else {
      nota.SetValue(nome, Valor(int64_t{0}));
    }
  }
}

}  // namespace velant
