#pragma once
// The document vectors (module mdl_NFe2): one array of texts per group of the
// invoice. The slot index is the format the XML generator reads, so every
// slot is named here, after the layout's XML field it carries (v[Ide::cUF],
// linha[Produto::vOutro]). Slots not named are free: no routine writes them
// and they reach the generator empty.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velant {

struct VetoresNFe {
  std::vector<std::string> gVetorIde;            // Ide::Quantidade slots
  std::vector<std::string> gVetorEmitente;       // Emitente::Quantidade
  std::vector<std::string> gVetorDestinatario;   // Destinatario::Quantidade
  std::vector<std::vector<std::string>> gVetorProdutos;  // gQtdItens rows of Produto::Quantidade
  std::vector<std::string> gVetorTotais;         // Totais::Quantidade
  std::vector<std::string> gVetorTransporte;     // Transporte::Quantidade
  std::vector<std::vector<std::string>> gVetorFaturas;   // gQtdDuplicatas + 1 rows of Fatura::Quantidade
  int16_t gQtdFaturas = 0;
  std::vector<std::string> gVetorInfAdic;        // InfAdic::Quantidade
  std::vector<std::string> gVetorAutXML;         // AutXML::Quantidade

  int32_t gQtdItens = 0;
  int32_t gQtdDuplicatas = 0;
  int16_t gQtdCuponsRef = 0;
  int16_t gLinhaVetor = 0;
  int16_t gTipoEmissao = 1;
  int16_t gFinalidadeNFe = 1;
  // A contingency emission (gTipoEmissao 6, 7 or 4): when it was entered
  // ("2026-12-07T12:50:00-03:00") and why; empty otherwise.
  std::string gInicioContingencia;
  std::string gJustificativaContingencia;

  // Tax situation of the operation (set by the totals) and then of the item
  // being filled; the last item's code stays after the walk.
  std::string gSituacaoTributaria;
};

// Identification (ide). Free: 15, 16, 29 to 32.
namespace Ide {
enum Slot : int {
  cUF = 0,
  cNF = 1,
  natOp = 2,
  indPag = 3,
  mod = 4,
  serie = 5,
  nNF = 6,
  dhEmi = 7,
  dhSaiEnt = 8,
  tpNF = 9,
  cMunFG = 10,
  tpEmis = 11,
  finNFe = 12,
  refNFe = 13,
  indFinal = 14,   // 0 normal, 1 final consumer
  // Referenced fiscal-printer receipts: one entry per receipt, each ended by ";".
  modECF = 17,
  nECF = 18,
  nCOO = 19,
  idDest = 34,
  indPres = 35,
  xJust = 36,      // justification of a contingency emission
  dhCont = 33,     // when the contingency was entered (dhEmi when empty)
  // Layout 4.00 only. The payment (pag/detPag): its form comes from indPag,
  // its amount from Totais::vNF; empty tPag means "not given" (99).
  tPag = 20,
  xPag = 21,
  vTroco = 22,
  // Card payment (detPag/card): written when tpIntegra is filled.
  tpIntegra = 23,
  CNPJ_card = 24,
  tBand = 25,
  cAut = 26,
  indIntermed = 27,   // 0 own site or shop, 1 third-party platform; empty: by indPres
  // Layout 4.00, tax reform: the municipality of the IBS/CBS taxable event,
  // written for a sale outside the premises (indPres 5) with no address of the recipient.
  cMunFGIBS = 28,
  Quantidade = 37
};
}  // namespace Ide

// Issuer (emit). Its CNPJ and state are properties of the generator, not
// slots. Free: 11 to 13, 15.
namespace Emitente {
enum Slot : int {
  xNome = 0,
  xFant = 1,
  xLgr = 2,
  nro = 3,
  xCpl = 4,
  xBairro = 5,
  cMun = 6,
  xMun = 7,
  CEP = 8,
  fone = 9,
  IE = 10,
  CRT = 14,
  Quantidade = 16
};
}  // namespace Emitente

// Recipient (dest). Free: 15 to 36, 38, 39.
namespace Destinatario {
enum Slot : int {
  CNPJouCPF = 0,   // by its digit count
  xNome = 1,
  xLgr = 2,
  nro = 3,
  xCpl = 4,
  xBairro = 5,
  cMun = 6,
  xMun = 7,
  UF = 8,
  CEP = 9,
  cPais = 10,
  xPais = 11,
  fone = 12,
  IE = 13,
  ISUF = 14,
  indIEDest = 37,
  Quantidade = 40
};
}  // namespace Destinatario

// One item row (det): product, taxes and fuel. Names repeated in several
// tax groups carry the group (vBC_PIS). Free: 66 to 75, 79 to 86, 97 to 137.
// The slots from vBCFCP on are written by layout 4.00 only.
namespace Produto {
enum Slot : int {
  cProd = 0,
  cEAN = 1,
  xProd = 2,
  NCM = 3,
  EXTIPI = 4,
  CFOP = 5,
  uCom = 6,
  qCom = 7,
  vUnCom = 8,
  vProd = 9,
  cEANTrib = 10,
  uTrib = 11,
  qTrib = 12,
  vUnTrib = 13,
  vFrete = 14,
  vSeg = 15,
  vDesc = 16,
  // ICMS
  orig = 17,
  CSTouCSOSN = 18,   // CST of two digits (normal regime) or CSOSN of three (Simples Nacional)
  modBC = 19,
  vBC = 20,
  pICMS = 21,
  vICMS = 22,
  // PIS and COFINS
  CST_PIS = 31,
  vBC_PIS = 32,
  pPIS = 33,
  vPIS = 34,
  CST_COFINS = 35,
  vBC_COFINS = 36,
  pCOFINS = 37,
  vCOFINS = 38,
  vAliqProd_COFINS = 44,
  vAliqProd_PIS = 45,
  // ICMS: substitution and the reduction of the own base
  modBCST = 46,
  pMVAST = 47,
  pRedBCST = 48,
  vBCST = 49,
  pICMSST = 50,
  vICMSST = 51,
  pRedBC = 52,
  indTot = 76,
  // ICMS: Simples Nacional credit
  pCredSN = 77,
  vCredICMSSN = 78,
  // IPI
  vBC_IPI = 87,
  CNPJProd = 88,
  pIPI = 89,
  vIPI = 90,
  cEnq = 91,
  // Fuel (comb)
  cProdANP = 92,
  CODIF = 93,
  qTemp = 94,
  UFCons = 95,
  vOutro = 96,
  // ICMS: poverty fund (FCP) of the operation, of the substitution, retained
  vBCFCP = 23,
  pFCP = 24,
  vFCP = 25,
  vBCFCPST = 26,
  pFCPST = 27,
  vFCPST = 28,
  vBCFCPSTRet = 29,
  pFCPSTRet = 30,
  vFCPSTRet = 55,
  cBenef = 39,     // tax-benefit code of the state
  // Lot (rastro): written when nLote is filled.
  nLote = 40,
  qLote = 41,
  dFab = 42,
  dVal = 43,
  cAgreg = 53,
  descANP = 54,    // fuel: the description of the ANP code (the product's name when empty)
  // Tax reform (IBSCBS, IS): written when CST_IBSCBS is filled. The rates
  // empty: those of the emission year; reduction and deferral in percent.
  CST_IBSCBS = 56,
  cClassTrib = 57,
  pIBSUF = 58,
  pIBSMun = 59,
  pCBS = 60,
  pRedAliq = 61,
  pDif_IBSCBS = 62,
  CSTIS = 63,       // the IS group when filled
  cClassTribIS = 64,
  pIS = 65,
  Quantidade = 138
};
}  // namespace Produto

// Totals (total): ICMSTot, then ISSQNtot. Free: 23 to 26, 28. The FCP totals
// and vIPIDevol are written by layout 4.00 only ("0.00" when empty).
namespace Totais {
enum Slot : int {
  vBC = 0,
  vICMS = 1,
  vBCST = 2,
  vST = 3,
  vProd = 4,
  vFrete = 5,
  vSeg = 6,
  vDesc = 7,
  vII = 8,
  vIPI = 9,
  vPIS = 10,
  vCOFINS = 11,
  vOutro = 12,
  vNF = 13,
  vServ = 14,
  vBC_ISS = 15,
  vISS = 16,
  vPIS_ISS = 17,
  vCOFINS_ISS = 18,
  vICMSDeson = 27,
  vFCP = 19,
  vFCPST = 20,
  vFCPSTRet = 21,
  vIPIDevol = 22,
  Quantidade = 29
};
}  // namespace Totais

// Transport (transp): carrier, vehicle, volumes. Free: 15 to 28.
namespace Transporte {
enum Slot : int {
  modFrete = 0,
  CNPJouCPF = 1,
  xNome = 2,
  IE = 3,
  xEnder = 4,
  xMun = 5,
  UF = 6,
  placa = 7,
  UF_veicTransp = 8,
  qVol = 9,
  esp = 10,
  marca = 11,
  nVol = 12,
  pesoL = 13,
  pesoB = 14,
  Quantidade = 29
};
}  // namespace Transporte

// One billing row (cobr): the invoice (fat) on row 0, an instalment (dup)
// on each row. Free: 6.
namespace Fatura {
enum Slot : int {
  nFat = 0,
  vOrig = 1,
  vLiq = 2,
  nDup = 3,
  dVenc = 4,
  vDup = 5,
  Quantidade = 7
};
// The row whose first slots carry the invoice (fat); it also carries the first instalment.
inline constexpr size_t kLinhaFatura = 0;
}  // namespace Fatura

// Additional information (infAdic) and the export place (exporta). Free: 4 to 10.
namespace InfAdic {
enum Slot : int {
  infAdFisco = 0,
  infCpl = 1,
  UFSaidaPais = 2,
  xLocExporta = 3,
  Quantidade = 11
};
}  // namespace InfAdic

// Authorised readers (autXML): the CNPJ or CPF of one reader per slot.
namespace AutXML {
enum Slot : int {
  autorizado1 = 0,
  autorizado2 = 1,
  Quantidade
};
}  // namespace AutXML

// Slot counts of the one-dimensional vectors and of an item or instalment row.
inline constexpr int kSlotsIde = Ide::Quantidade;
inline constexpr int kSlotsEmitente = Emitente::Quantidade;
inline constexpr int kSlotsDestinatario = Destinatario::Quantidade;
inline constexpr int kSlotsProduto = Produto::Quantidade;
inline constexpr int kSlotsTotais = Totais::Quantidade;
inline constexpr int kSlotsTransporte = Transporte::Quantidade;
inline constexpr int kSlotsFatura = Fatura::Quantidade;
inline constexpr int kSlotsInfAdic = InfAdic::Quantidade;
inline constexpr int kSlotsAutXML = AutXML::Quantidade;

// The last named slot of each group lies inside its vector.
static_assert(Ide::xJust < kSlotsIde);
static_assert(Emitente::CRT < kSlotsEmitente);
static_assert(Destinatario::indIEDest < kSlotsDestinatario);
static_assert(Produto::vOutro < kSlotsProduto);
static_assert(Totais::vICMSDeson < kSlotsTotais);
static_assert(Transporte::pesoB < kSlotsTransporte);
static_assert(Fatura::vDup < kSlotsFatura);
static_assert(InfAdic::xLocExporta < kSlotsInfAdic);

}  // namespace velant
