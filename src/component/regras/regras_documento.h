#pragma once
// An NF-e read once into plain texts for the business rules: what each rule
// looks at, "" where an element is absent, and std::nullopt where a rule
// must tell an absent element from an empty one.
#include <libxml/tree.h>

#include <optional>
#include <string>
#include <vector>

namespace velant::regras {

struct ReferenciaLida {
  std::string refNFe;                // key of a referenced NF-e
  std::string modECF, nECF, nCOO;    // a referenced fiscal-printer receipt
};

// Layout 4.00, tax reform: one tax of gIBSCBS (gIBSUF, gIBSMun, gCBS).
struct TributoLido {
  std::string p, v;
  bool gDif = false, gRed = false;
  std::string pDif, vDif, pRedAliq, pAliqEfet;
};

struct IbsCbsLido {
  std::string CST, cClassTrib;
  bool gIBSCBS = false;
  std::string vBC, vIBS;
  TributoLido uf, mun, cbs;
};

struct ItemLido {
  std::string nItem;
  std::string cEAN, cEANTrib, CFOP, qCom, vUnCom, vProd, qTrib, vUnTrib, vFrete, vSeg, vDesc, vOutro, indTot;
  bool comb = false;
  std::string vTotTrib;
  // The ICMS group ("ICMS00", "ICMSSN102"; "" without ICMS) and its values.
  std::string grupoIcms, orig, CST, CSOSN;
  std::string vBC, pICMS, vICMS, vBCST, vICMSST, vICMSDeson, pDif, vICMSDif;
  std::optional<std::string> vICMSOp;
  bool issqn = false, pis = false, cofins = false;
  std::string vPIS, vCOFINS, vIPI, vII;
  // Layout 4.00: the poverty fund of the ICMS group, the returned IPI, the lots.
  std::optional<std::string> pFCP, pFCPST, pFCPSTRet;
  std::string vBCFCP, vFCP, vBCFCPST, vFCPST, vBCFCPSTRet, vFCPSTRet, vIPIDevol;
  struct Lote {
    std::string dFab, dVal;
  };
  std::vector<Lote> rastro;
  std::optional<IbsCbsLido> ibscbs;
  std::optional<std::string> vIS;   // the IS group's amount
};

struct PagamentoLido {
  std::string tPag, vPag;
  std::optional<std::string> xPag;
};

struct DuplicataLida {
  std::string nDup, dVenc, vDup;
};

struct ParticipanteLido {
  std::optional<std::string> CNPJ, CPF, IE;
};

struct NFeLida {
  std::string id;   // infNFe/@Id
  std::string versao;   // infNFe/@versao: "3.10" or "4.00"
  bool Leiaute4() const { return versao == "4.00"; }
  std::string cUF, cNF, mod, serie, nNF, dhEmi, dhSaiEnt, tpNF, idDest, cMunFG, tpImp, tpEmis, cDV, tpAmb, finNFe,
      indFinal, indPres;
  bool dhCont = false, xJust = false;
  std::vector<ReferenciaLida> referencias;

  ParticipanteLido emit;
  std::string emitCMun, emitUF, CRT;

  bool dest = false, enderDest = false;
  ParticipanteLido destinatario;
  std::optional<std::string> idEstrangeiro, destXNome, destCPais;
  std::string destCMun, destUF, indIEDest;

  std::vector<ParticipanteLido> autXML;
  std::vector<ItemLido> itens;

  std::string vBC, vICMS, vICMSDeson, vBCST, vST, vProd, vFrete, vSeg, vDesc, vII, vIPI, vPIS, vCOFINS, vOutro, vNF;
  std::optional<std::string> vTotTrib, vServ;

  bool transporta = false;
  ParticipanteLido transportador;
  std::optional<std::string> transportadorUF;

  bool pag = false, exporta = false;

  // Layout 4.00: the fund totals, the payments and the billing.
  std::string vFCP, vFCPST, vFCPSTRet, vIPIDevol;
  std::vector<PagamentoLido> pagamentos;
  std::optional<std::string> vTroco;
  bool fat = false;
  std::optional<std::string> nFat, vOrig, vDescFat, vLiq;
  std::vector<DuplicataLida> duplicatas;

  // Layout 4.00, tax reform totals (IBSCBSTot, ISTot, vNFTot).
  bool ibscbsTot = false;
  std::string vBCIBSCBS, vDifUF, vIBSUF, vDifMun, vIBSMun, vIBSTot, vDifCBS, vCBSTot;
  std::optional<std::string> vISTot, vNFTot;
};

// Reads the NFe element (or its infNFe).
NFeLida LeNFe(const xmlNode* nfe);

}  // namespace velant::regras
