#pragma once
// GeradorXmlNFe: writes the NF-e document of an invoice (layout 3.10, or
// 4.00 when Leiaute says so) from the document vectors. UTF-8 without byte-order mark, the declaration then the
// NFe element, no whitespace between tags.
//
// Each element comes from the slot of its name (contexto/vetores_nfe.h:
// Ide::natOp, Produto::vOutro, ...), or from a property (P) or a fixed
// value of the layout. Optional elements and groups are left out when their
// slots are empty (amounts of the "Opc" types also when zero); a mandatory
// element without a value, or a value that cannot be written in its layout
// type, raises ErroExecucao naming the element ("det[3]/prod/NCM").
//
//  ide    cUF (P UnidadeFederadaCodigo when empty)  cNF 8 digits
//         tpImp P TipoDanfe ("1" when empty)  cDV last digit of IdNFe
//         tpAmb P Ambiente  procEmi fixed 0  verProc P VerProc ("VelantNFe"
//         when empty); dhCont (dhEmi when empty or later) and xJust only
//         when tpEmis is not 1
//         NFref/refNFe; NFref/refECF one per entry of the ";" lists
//         modECF, nECF, nCOO
//  emit   CNPJ (CPF with 11 digits) P CNPJ  UF P UnidadeFederada
//         nro "S/N" when empty  cPais fixed 1058  xPais fixed BRASIL
//         IE "ISENTO" when empty
//  dest   CNPJouCPF by its digit count; empty with UF "EX": idEstrangeiro
//         empty  enderDest when any of xLgr to fone is filled: nro "S/N"
//         when empty, cMun "9999999" for "EX" when empty, cPais and xPais
//         1058 and BRASIL when domestic and empty  IE only with indIEDest 1
//  autXML one per filled slot: CNPJ or CPF by the digit count
//  det    items 0 to UltimoItem of the item rows, nItem from 1
//         comb when cProdANP is filled
//         ICMS: group by CSTouCSOSN (two digits: CST 00 10 20 30 40 41 50
//         51 60 70 90; three: CSOSN 101 102 103 201 202 203 300 400 500 900);
//         modBCST "4" (margin of value added) when empty; CST 60 and CSOSN
//         500 carry vBCSTRet = vBCST and vICMSSTRet = vICMSST when positive;
//         CST 51 whose vICMS is below vBC x pICMS carries the deferral
//         (vICMSOp, pDif, vICMSDif) worked out from them; the optional
//         blocks of CST 90 and CSOSN 900 when their amounts are positive
//         IPI when cEnq is filled: CNPJProd (left out when all zeros) cEnq;
//         IPITrib with vBC_IPI, pIPI, vIPI when vIPI is positive (CST 50, or
//         00 on an entry), otherwise IPINT (CST 53, or 03)
//         PIS when CST_PIS is filled, by that CST: PISAliq; PISQtde with
//         qBCProd = qTrib and vAliqProd_PIS; PISNT; PISOutr (zeros when its
//         three amounts are empty). COFINS the same with its slots
//  total  ICMSTot; ISSQNtot when vServ is filled, with vBC_ISS, vISS,
//         vPIS_ISS, vCOFINS_ISS and dCompet = the date of dhEmi
//  transp transporta when any of CNPJouCPF to UF is filled; veicTransp when
//         placa is filled, with UF_veicTransp; vol: qVol a whole number
//  cobr   only when qtdFaturas >= 0: fat from the invoice row; dup for rows
//         0 to qtdFaturas
//  exporta when UFSaidaPais is filled
//
// Slots whose meaning is ours: Ide::indFinal (0 normal, 1 final consumer),
// Ide::indPres (presence of the buyer), Ide::xJust (of a contingency
// emission); Produto::vBC_IPI, pIPI, vIPI = the item's IPI base, rate and
// amount; Totais::vICMSDeson.
//
// Layout 4.00 (versao="4.00") differs in:
//  ide    no indPag; indPres also 5; indIntermed after indPres (slot, else
//         "0" when indPres is 2, 3, 4 or 9)
//  CNPJ   of issuer, recipient and carrier may be alphanumeric (12 of 0-9
//         and A-Z, 2 check digits); the key carries it. Layout 3.10 refuses
//         letters, naming the field.
//  det    cEAN/cEANTrib "SEM GTIN" when empty; cBenef; rastro when nLote is
//         filled; comb/descANP (xProd when empty); the FCP blocks of the ICMS
//         groups when their amounts are positive; ICMS60 and CSOSN 500 carry
//         pST = pICMSST beside the retained amounts
//  total  ICMSTot with vFCP, vFCPST, vFCPSTRet, vIPIDevol ("0.00" when empty)
//  reform IS when CSTIS is filled and IBSCBS when CST_IBSCBS is filled, their
//         amounts worked out by regras/reforma_tributaria.h from the item's
//         values and the rates of the year of dhEmi (dados/reforma-tributaria.txt)
//         unless the item gives them; then ISTot, IBSCBSTot and vNFTot;
//         ide/cMunFGIBS only with indPres 5 and a recipient without address
//  pag    one detPag: indPag (Ide::indPag), tPag (Ide::tPag; empty: 99 with
//         xPag "Não informado"), vPag = vNF; tPag 90 and vPag 0 for finNFe
//         3 and 4; card when tpIntegra is filled; vTroco when positive
//  infRespTec when RespTecCNPJ is set (with RespTecContato, RespTecEmail,
//         RespTecFone)
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
  std::string Leiaute = "3.10";   // or "4.00"
  // The technical responsible party of layout 4.00 (infRespTec); GeraXml
  // takes them from the registry values of the same names when empty.
  std::string RespTecCNPJ;
  std::string RespTecContato;
  std::string RespTecEmail;
  std::string RespTecFone;

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
