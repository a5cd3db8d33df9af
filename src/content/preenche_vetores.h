#pragma once
// Filling of the document vectors from the request tables, one routine per
// group of the invoice, called by PreencheVetores in a fixed order.
#include <string>

#include "base/currency.h"
#include "contexto/contexto.h"
#include "data/recordset.h"

namespace velant {

// Runs the nine routines in order. False when an error of the item routine
// ended the sequence (after a message box); the vectors written so far stay.
bool PreencheVetores(Contexto& ctx);

// The emission parameters a queue request gets before its vectors are
// filled: emission type 1, purpose 1 (4 for a return of goods), no extra
// observation, and the record counts of the three request tables.
void ParametrosEmissaoFila(Contexto& ctx);

void Gera_dados_ide(Contexto& ctx);
// The emission type of the identification (gTipoEmissao), with dhCont and
// xJust of a contingency (gInicioContingencia): also for an invoice whose
// vectors are filled already and that is issued again in contingency.
void TipoEmissaoNaIde(Contexto& ctx);
void Gera_dados_emitente(Contexto& ctx);
void Gera_dados_destinatario(Contexto& ctx);
void Gera_dados_totais(Contexto& ctx);
void Gera_dados_transporte(Contexto& ctx);
void Gera_dados_infAdic(Contexto& ctx);
// Raises the errors it meets: it has no handler of its own.
void Gera_dados_produtos(Contexto& ctx);
void Gera_dados_faturas(Contexto& ctx);
void Gera_dados_autXML(Contexto& ctx);

// Layout 4.00 (ctx.atual.LeiauteNFe): the payment slots of the identification
// from the request (tPag else the registry value "TipoPagamentoPadrao"); an
// item's FCP, benefit-code and lot slots from its 510- to 526- columns; the
// FCP totals summed over the items, vIPIDevol 0.00.
bool LeiauteQuatro(const Contexto& ctx);
void Gera_dados_pagamento(Contexto& ctx);
void PreencheItemLeiaute4(const data::Recordset& nota, std::vector<std::string>& linha);
void SomaFcpNosTotais(VetoresNFe& v);

// Layout 4.00, tax reform: the registry value "CodigoMunicipioFGIBS" in the
// identification; an item's CST and cClassTrib of the IBS/CBS from its 530-
// and 531- columns, else the registry values "CSTIBSCBSPadrao" and
// "cClassTribPadrao" (nothing when neither is set), with the rates,
// reduction and deferral it gives (532- to 536-) and its IS (537- to 539-).
void MunicipioFatoGeradorIbs(Contexto& ctx);
void PreencheItemReforma(const Contexto& ctx, const data::Recordset& nota, std::vector<std::string>& linha);

// True for the 54 fuel-operation CFOPs.
bool CfopCombustivel(const std::string& cfop);

// The Simples Nacional credit rate, a percentage, from the registry value
// "TaxaCreditoSN" under "nfe" (either decimal separator; empty gives 0).
Currency LerTaxaCreditoSN(const Contexto& ctx);

}  // namespace velant
