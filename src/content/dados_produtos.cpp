// Item rows (gVetorProdutos): one row of 138 slots per record of TabelaNota.
// No error is caught here: the first one ends the routine and reaches
// PreencheVetores, and the rows already written stay.
#include <limits>
#include <string>

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "content/formas_valor.h"
#include "content/formatacao_numeros.h"
#include "content/item_nota.h"
#include "content/normalizacao_texto.h"
#include "content/preenche_vetores.h"
#include "base/converte_valor.h"
#include "data/tabelas_solicitacao.h"

namespace velant {
namespace {

// A bar code is sent only as a 13-digit EAN outside the in-store range "2".
std::string Ean(const data::Recordset& nota) {
  std::string codigo = conteudo::ValorDe(nota, "CodBarras");
  if (Len(codigo) == 13 && Left(codigo, 1) != "2") return codigo;
  return "";
}

// The products total of the totals vector, written with "." as decimal point.
double TotalProdutosDosTotais(const VetoresNFe& vet) {
  const std::string& texto = conteudo::Elemento(vet.gVetorTotais, Totais::vProd);
  size_t i = (!texto.empty() && texto[0] == '-') ? 1 : 0;
  bool algarismo = false, ponto = false, valido = i < texto.size();
  for (; i < texto.size() && valido; ++i) {
    if (texto[i] >= '0' && texto[i] <= '9') {
      algarismo = true;
    } else if (texto[i] == '.' && !ponto) {
      ponto = true;
    } else {
      valido = false;
    }
  }
  if (!valido || !algarismo) Levanta(CodigoErro::TiposIncompativeis);
  double total = Val(texto);
  if (total == 0.0) Levanta(CodigoErro::DivisaoPorZero);
  return total;
}

// An invoice amount (other expenses, freight) shared over the items in
// proportion to their values. The last item takes what the others' rounded
// shares left, so that the shares add up to the invoice's amount: the
// authority compares the total with the sum of the items to the cent.
class Rateio {
 public:
  // nuloEZero: a Null amount is none (otherwise it is an error, as for the other expenses).
  Rateio(const char* coluna, bool nuloEZero) : coluna_(coluna), nuloEZero_(nuloEZero) {}

  std::string ParteDoItem(const data::Recordset& nota, const VetoresNFe& vet, bool ultimo) {
    const Valor& valorNota = nota.Value(coluna_);
    if (nuloEZero_ && valorNota.ENulo()) return "0.00";
    Currency total = CCur(valorNota);
    if (!(total > Currency())) return "0.00";
    double totalProdutos = TotalProdutosDosTotais(vet);
    double valorItem = CDbl(nota.Value("totalprodserv"));
    double participacao = (total.ParaDouble() * 100.0) / totalProdutos;
    double valor = participacao * valorItem / 100.0;
    std::string parte = FormataDecimal2(Valor(Format(Valor(valor), "###,###,##0.00")));
    if (ultimo) {
      // Items worth more than the products total leave a rest below zero:
      // written as zero, and the check before sending refuses the invoice.
      Currency resto = total - distribuido_;
      return FormataDecimal2(Valor(resto > Currency() ? resto : Currency()));
    }
    distribuido_ += Currency::DeTextoInvariante(parte);
    return parte;
  }

 private:
  const char* coluna_;
  bool nuloEZero_;
  Currency distribuido_;
};

struct RateiosDaNota {
  Rateio outros{"OutrosTot", false};
  Rateio frete{"ValorFreteProd", true};
};

void PreencheProduto(const data::Recordset& nota, const VetoresNFe& vet, std::vector<std::string>& linha,
                     RateiosDaNota& rateios, bool ultimo) {
  using conteudo::ValorDe;
  linha[Produto::cProd] = ValorDe(nota, "codproduto");
  linha[Produto::cEAN] = Ean(nota);
  linha[Produto::xProd] = ValorCampo(nota, Valor(RetiraAcentos(nota.Value("NomeProd"))));
  linha[Produto::NCM] = ValorDe(nota, "ncmprod");
  linha[Produto::EXTIPI] = "";
  linha[Produto::CFOP] = ValorDe(nota, "cfop");
  linha[Produto::uCom] = ValorDe(nota, "unidadeProd");
  linha[Produto::qCom] = FormataDecimal4(conteudo::BrutoDe(nota, "qntprod"));
  linha[Produto::vUnCom] = FormataDecimal4(conteudo::BrutoDe(nota, "valorunitprod"));
  linha[Produto::vProd] = FormataDecimal2(nota.Value("totalprodserv"));
  linha[Produto::cEANTrib] = Ean(nota);
  linha[Produto::uTrib] = ValorDe(nota, "unidadeProd");
  linha[Produto::qTrib] = FormataDecimal4(conteudo::BrutoDe(nota, "qntprod"));
  linha[Produto::vUnTrib] = FormataDecimal4(conteudo::BrutoDe(nota, "valorunitprod"));
  linha[Produto::vFrete] = rateios.frete.ParteDoItem(nota, vet, ultimo);
  linha[Produto::vSeg] = "0.00";
  linha[Produto::vDesc] = FormataDecimal2(nota.Value("DescontoProd"));
  linha[Produto::vOutro] = rateios.outros.ParteDoItem(nota, vet, ultimo);
}

}  // namespace

Currency LerTaxaCreditoSN(const Contexto& ctx) {
  std::string texto = Trim(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "TaxaCreditoSN"));
  if (!texto.empty() && texto.back() == '%') texto = Trim(texto.substr(0, texto.size() - 1));
  return ConverteValor(texto);
}

void Gera_dados_produtos(Contexto& ctx) {
  VetoresNFe& vet = ctx.vetores;
  data::Recordset& nota = ctx.tabelas.TabelaNota;

  if (vet.gQtdItens < 1) Levanta(CodigoErro::IndiceForaDoIntervalo);
  vet.gVetorProdutos.assign(static_cast<size_t>(vet.gQtdItens), std::vector<std::string>(kSlotsProduto));

  conteudo::ParametrosItem parametros;
  parametros.taxaCreditoSN = LerTaxaCreditoSN(ctx);
  RateiosDaNota rateios;

  while (!nota.Eof()) {
    for (int32_t r = 0; r < vet.gQtdItens; ++r) {
      if (r > std::numeric_limits<int16_t>::max()) Levanta(CodigoErro::Estouro);
      vet.gLinhaVetor = static_cast<int16_t>(r);
      auto& linha = vet.gVetorProdutos[static_cast<size_t>(r)];
      PreencheProduto(nota, vet, linha, rateios, r == vet.gQtdItens - 1);
      parametros.crt = CInt(Valor(ctx.atual.RegimeTributario));
      conteudo::PreencheIcmsItem(nota, linha, vet.gSituacaoTributaria, parametros);
      conteudo::PreenchePisItem(nota, linha);
      conteudo::PreencheCofinsItem(nota, linha);
      conteudo::PreencheCombustivelItem(nota, linha);
      linha[Produto::indTot] = "1";
      conteudo::PreencheIpiItem(nota, linha);
      if (LeiauteQuatro(ctx)) {
        PreencheItemLeiaute4(nota, linha);
        PreencheItemReforma(ctx, nota, linha);
      }
      nota.MoveNext();
    }
  }
  nota.Close();
}

}  // namespace velant
