#pragma once
// The groups of one item row of gVetorProdutos, in the order the item
// routine runs them. Each reads the current record of TabelaNota and writes
// its slots into the row; none catches errors.
#include <cstdint>
#include <string>
#include <vector>

#include "base/currency.h"
#include "contexto/vetores_nfe.h"
#include "data/recordset.h"

namespace velant::conteudo {

struct ParametrosItem {
  int16_t crt = 3;            // tax regime: 1 Simples Nacional, 3 normal
  Currency taxaCreditoSN;     // percentage
};

// Slot 17 (origin), the ICMS stages and the substitution tail. S receives the
// item's "codsittrib".
void PreencheIcmsItem(const data::Recordset& nota, std::vector<std::string>& linha, std::string& S,
                      const ParametrosItem& parametros);
void PreenchePisItem(const data::Recordset& nota, std::vector<std::string>& linha);
void PreencheCofinsItem(const data::Recordset& nota, std::vector<std::string>& linha);
void PreencheCombustivelItem(const data::Recordset& nota, std::vector<std::string>& linha);
void PreencheIpiItem(const data::Recordset& nota, std::vector<std::string>& linha);

}  // namespace velant::conteudo
