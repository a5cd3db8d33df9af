// Fuel group of an item (cProdANP, CODIF, qTemp, UFCons) by CFOP.
#include <string>
#include <string_view>

#include "base/regional.h"
#include "content/formas_valor.h"
#include "content/formatacao_numeros.h"
#include "content/item_nota.h"
#include "content/preenche_vetores.h"

namespace velant {

bool CfopCombustivel(const std::string& cfop) {
  // Entries 1651-1653 and 1658-1664 (and the same from other states);
  // every exit from 5651 to 5667 and from 6651 to 6667.
  static constexpr std::string_view kCodigos[] = {
      "1651", "2651", "1652", "2652", "1653", "2653", "1658", "2658", "1659", "2659", "1660", "2660",
      "1661", "2661", "1662", "2662", "1663", "2663", "1664", "2664", "5651", "6651", "5652", "6652",
      "5653", "6653", "5654", "6654", "5655", "6655", "5656", "6656", "5657", "6657", "5658", "6658",
      "5659", "6659", "5660", "6660", "5661", "6661", "5662", "6662", "5663", "6663", "5664", "6664",
      "5665", "6665", "5666", "6666", "5667", "6667"};
  for (std::string_view codigo : kCodigos) {
    if (cfop == codigo) return true;
  }
  return false;
}

namespace conteudo {

void PreencheCombustivelItem(const data::Recordset& nota, std::vector<std::string>& linha) {
  if (CfopCombustivel(BrutoDe(nota, "CFOP"))) {
    linha[Produto::cProdANP] = BrutoDe(nota, "CodigoANP");
    linha[Produto::CODIF] = "";
    linha[Produto::qTemp] = FormataDecimal4(BrutoDe(nota, "qntprod"));
    linha[Produto::UFCons] = BrutoDe(nota, "ufcli");
  }
}

}  // namespace conteudo
}  // namespace velant
