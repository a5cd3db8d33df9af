#pragma once
// GeradorXmlNFe: writes the NF-e 3.10 document of an invoice from the
// document vectors. UTF-8 without byte-order mark, the declaration then the
// NFe element, no whitespace between tags.
//
// Where each element comes from (vector(slot); P = property; fixed = a value
// of the layout). Optional elements and groups are left out when their
// slots are empty (amounts of the "Opc" types also when zero); a mandatory
// element without a value, or a value that cannot be written in its layout
// type, raises ErroExecucao naming the element ("det[3]/prod/NCM").
//
//  ide    cUF ide(0) (P UnidadeFederadaCodigo when empty)  cNF ide(1), 8 digits
//         natOp ide(2)  indPag ide(3)  mod ide(4)  serie ide(5)  nNF ide(6)
//         dhEmi ide(7)  dhSaiEnt ide(8)  tpNF ide(9)  idDest ide(34)
//         cMunFG ide(10)  tpImp P TipoDanfe ("1" when empty)  tpEmis ide(11)
//         cDV last digit of IdNFe  tpAmb P Ambiente  finNFe ide(12)
//         indFinal ide(14)  indPres ide(35)  procEmi fixed 0
//         verProc P VerProc ("VelantNFe" when empty)
//         dhCont = dhEmi and xJust ide(36), only when tpEmis is not 1
//         NFref/refNFe ide(13); NFref/refECF one per entry of the ";" lists
//         ide(17) mod, ide(18) nECF, ide(19) nCOO
//  emit   CNPJ (CPF with 11 digits) P CNPJ  xNome emit(0)  xFant emit(1)
//         enderEmit: xLgr emit(2) nro emit(3) ("S/N" when empty) xCpl emit(4)
//         xBairro emit(5) cMun emit(6) xMun emit(7) UF P UnidadeFederada
//         CEP emit(8) cPais fixed 1058 xPais fixed BRASIL fone emit(9)
//         IE emit(10) ("ISENTO" when empty)  CRT emit(14)
//  dest   CNPJ/CPF dest(0) by its digit count; empty with UF "EX": idEstrangeiro empty
//         xNome dest(1)  enderDest: xLgr dest(2) nro dest(3) ("S/N" when empty)
//         xCpl dest(4) xBairro dest(5) cMun dest(6) ("9999999" for "EX" when empty)
//         xMun dest(7) UF dest(8) CEP dest(9) cPais dest(10) xPais dest(11)
//         (domestic and empty: 1058 and BRASIL) fone dest(12)
//         indIEDest dest(37)  IE dest(13), only with indIEDest 1  ISUF dest(14)
//  autXML one per filled slot of autXML: CNPJ or CPF by the digit count
//  det    items 0 to UltimoItem of produtos(item, slot), nItem from 1
//         prod: cProd 0 cEAN 1 xProd 2 NCM 3 EXTIPI 4 CFOP 5 uCom 6 qCom 7
//         vUnCom 8 vProd 9 cEANTrib 10 uTrib 11 qTrib 12 vUnTrib 13 vFrete 14
//         vSeg 15 vDesc 16 vOutro 96 indTot 76
//         comb (when 92 is filled): cProdANP 92 CODIF 93 qTemp 94 UFCons 95
//         ICMS: group by 18 (two digits: CST 00 10 20 30 40 41 50 51 60 70
//         90; three: CSOSN 101 102 103 201 202 203 300 400 500 900):
//         orig 17 modBC 19 vBC 20 pICMS 21 vICMS 22 pRedBC 52 modBCST 46
//         ("4", margin of value added, when empty) pMVAST 47 pRedBCST 48
//         vBCST 49 pICMSST 50 vICMSST 51 pCredSN 77 vCredICMSSN 78; CST 60
//         and CSOSN 500 carry vBCSTRet 49 and vICMSSTRet 51 when positive;
//         CST 51 whose vICMS is below vBC x pICMS carries the deferral
//         (vICMSOp, pDif, vICMSDif) worked out from them;
//         the optional blocks of CST 90 and CSOSN 900 when their amounts are positive
//         IPI (when 91 is filled): CNPJProd 88 (left out when all zeros)
//         cEnq 91; IPITrib with vBC 87, pIPI 89, vIPI 90 when 90 is positive
//         (CST 50, or 00 on an entry), otherwise IPINT (CST 53, or 03)
//         PIS (when 31 is filled) by CST 31: PISAliq vBC 32 pPIS 33 vPIS 34;
//         PISQtde qBCProd = qTrib 12, vAliqProd 45, vPIS 34; PISNT; PISOutr
//         vBC 32 pPIS 33 vPIS 34 (zeros when all three are empty).
//         COFINS the same with 35 36 37 38 and 44
//  total  ICMSTot: vBC tot(0) vICMS 1 vICMSDeson 27 vBCST 2 vST 3 vProd 4
//         vFrete 5 vSeg 6 vDesc 7 vII 8 vIPI 9 vPIS 10 vCOFINS 11 vOutro 12 vNF 13
//         ISSQNtot (when 14 is filled): vServ 14 vBC 15 vISS 16 vPIS 17
//         vCOFINS 18 dCompet = the date of dhEmi
//  transp modFrete transp(0); transporta: CNPJ/CPF 1 xNome 2 IE 3 xEnder 4
//         xMun 5 UF 6; veicTransp (when 7 is filled): placa 7 UF 8; vol: qVol 9
//         (a whole number) esp 10 marca 11 nVol 12 pesoL 13 pesoB 14
//  cobr   only when qtdFaturas >= 0: fat nFat faturas(0,0) vOrig (0,1) vLiq (0,2);
//         dup for rows 0 to qtdFaturas: nDup col 3, dVenc col 4, vDup col 5
//  infAdic infAdFisco infAdic(0) infCpl infAdic(1)
//  exporta (when infAdic(2) is filled): UFSaidaPais infAdic(2) xLocExporta infAdic(3)
//
// Slots whose meaning is ours: ide(14) = indFinal (0 normal, 1 final
// consumer), ide(35) = indPres (presence of the buyer), ide(36) = xJust of
// a contingency emission; produtos 87, 89, 90 = the item's IPI base, rate
// and amount; totais(27) = vICMSDeson.
//
// Numbers are read with a dot decimal or in the regional form ("1.234,56")
// and written with a dot and the type's decimals; codes keep their digits
// (blanks, dots, hyphens, slashes and parentheses dropped); free texts are
// trimmed, control characters become blanks, characters beyond U+00FF
// are dropped (typographic quotes and dashes become their ASCII forms) and
// texts longer than the element allows are cut. Date-times are read as
// dd/mm/yyyy hh:mm[:ss] or ISO and written as AAAA-MM-DDThh:mm:ss with the
// offset of the registry value "FusoHorario" (default -03:00).
// The fields of IdNFe (the access key) must agree with the document.
#include <cstdint>
#include <string>
#include <vector>

namespace velant {

class MapeadorCaminhos;
class RegistroWindows;

class GeradorXmlNFe {
 public:
  // registro: where "FusoHorario" is read (key nfe of the current user); may be null.
  explicit GeradorXmlNFe(const MapeadorCaminhos& caminhos, const RegistroWindows* registro = nullptr)
      : caminhos_(caminhos), registro_(registro) {}

  std::string UnidadeFederada;
  std::string UnidadeFederadaCodigo;
  std::string Ambiente;
  std::string VerProc;
  std::string CNPJ;
  std::string TipoDanfe;
  std::string IdNFe;
  int16_t UltimoItem = -1;
  std::string ArquivoXml;   // Windows path of the file GeraXml writes

  // Writes the document at ArquivoXml and returns its text.
  std::string GeraXml(std::vector<std::string>& gVetorIde, std::vector<std::string>& gVetorEmitente,
                      std::vector<std::string>& gVetorDestinatario,
                      std::vector<std::vector<std::string>>& gVetorProdutos, std::vector<std::string>& gVetorTotais,
                      std::vector<std::string>& gVetorTransporte, int16_t& gQtdFaturas,
                      std::vector<std::vector<std::string>>& gVetorFaturas, std::vector<std::string>& gVetorInfAdic,
                      std::vector<std::string>& gVetorAutXML);

  // The document only, with the offset given (for tools that write nothing).
  std::string MontaXml(const std::vector<std::string>& ide, const std::vector<std::string>& emitente,
                       const std::vector<std::string>& destinatario,
                       const std::vector<std::vector<std::string>>& produtos, const std::vector<std::string>& totais,
                       const std::vector<std::string>& transporte, int16_t qtdFaturas,
                       const std::vector<std::vector<std::string>>& faturas, const std::vector<std::string>& infAdic,
                       const std::vector<std::string>& autXML, const std::string& fusoHorario) const;

 private:
  const MapeadorCaminhos& caminhos_;
  const RegistroWindows* registro_;
};

}  // namespace velant
