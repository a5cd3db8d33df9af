#pragma once
// The DANFE of an authorised invoice as a PDF: A4, portrait for tpImp 1 and
// landscape (the receipt stub along the left edge) for tpImp 2; the items
// table runs over continuation pages that repeat the issuer block, each
// page numbered "FOLHA x/y"; a homologation invoice carries "SEM VALOR
// FISCAL" across every page. Fonts (fonts-liberation) are embedded.
#include <string>

#include "component/danfe/danfe_dados.h"

namespace velant::danfe {

// The PDF bytes. Raises ErroExecucao (ErroComponente) when the document
// cannot be drawn (see LerDistribuicao for what is refused).
std::string GeraPdf(const DadosDanfe& dados);
std::string GeraPdfDistribuicao(const std::string& xmlDistribuicao);

}  // namespace velant::danfe
