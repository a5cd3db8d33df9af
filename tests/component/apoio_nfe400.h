#pragma once
// A signed NF-e of layout 4.00 for the authority tests, written element by
// element as nfe_v4.00.xsd wants it (the 4.00 generator is another piece's
// job): one item of a normal-regime issuer in SP, CFOP 5102, ICMS 18 %,
// PIS and COFINS CST 01, paid in cash, issued a few minutes ago, in
// homologation, to the recipient name homologation requires.
#include <chrono>
#include <string>

#include "component/apoio_documento.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/xml/assinador_xml.h"
#include "component/xml/autoridade_xml.h"
#include "component/xml/chave_acesso.h"

namespace velant::teste {

struct OpcoesNota400 {
  int numero = 400;
  int codigoNumerico = 40040040;
  std::string ambiente = "2";
  int tpEmis = 1;
  bool justificada = true;   // a contingency type carries dhCont and xJust
};

inline std::string NotaSemAssinatura400(const OpcoesNota400& o = {}, std::string* chave = nullptr) {
  // Ten minutes ago, in Brasília time: the authority refuses emissions ahead of it.
  std::string dhEmi =
      autoridade::DataHoraComFuso(std::chrono::system_clock::now() - std::chrono::minutes(10), -3);
  std::string k = MontaChaveAcesso("35", dhEmi, kCnpjEmitente, 55, 1, o.numero, o.tpEmis, o.codigoNumerico);
  if (chave) *chave = k;
  auto e = [](const char* nome, const std::string& valor) { return autoridade::Elemento(nome, valor); };
  char cNF[16];
  std::snprintf(cNF, sizeof cNF, "%08d", o.codigoNumerico);
  std::string ide = "<ide>" + e("cUF", "35") + e("cNF", cNF) + e("natOp", "VENDA DE MERCADORIA") + e("mod", "55") +
                    e("serie", "1") + e("nNF", std::to_string(o.numero)) + e("dhEmi", dhEmi) + e("tpNF", "1") +
                    e("idDest", "1") + e("cMunFG", "3550308") + e("tpImp", "1") + e("tpEmis", std::to_string(o.tpEmis)) +
                    e("cDV", k.substr(43)) + e("tpAmb", o.ambiente) + e("finNFe", "1") + e("indFinal", "0") +
                    e("indPres", "1") + e("procEmi", "0") + e("verProc", "VELANT-TESTE") +
                    (o.tpEmis != 1 && o.justificada
                         ? e("dhCont", dhEmi) + e("xJust", "Servico da SEFAZ paralisado sem previsao")
                         : "") +
                    "</ide>";
  std::string emit = "<emit>" + e("CNPJ", kCnpjEmitente) + e("xNome", "EMPRESA TESTE LTDA") + "<enderEmit>" +
                     e("xLgr", "RUA DAS FLORES") + e("nro", "100") + e("xBairro", "CENTRO") + e("cMun", "3550308") +
                     e("xMun", "SAO PAULO") + e("UF", "SP") + e("CEP", "01310100") + e("cPais", "1058") +
                     e("xPais", "BRASIL") + "</enderEmit>" + e("IE", "123456789012") + e("CRT", "3") + "</emit>";
  std::string dest = "<dest>" + e("CNPJ", "44555666000181") + e("xNome", kDestinatarioHomologacao) + "<enderDest>" +
                     e("xLgr", "AV PAULISTA 1000") + e("nro", "S/N") + e("xBairro", "BELA VISTA") +
                     e("cMun", "3550308") + e("xMun", "SAO PAULO") + e("UF", "SP") + e("CEP", "01310200") +
                     e("cPais", "1058") + e("xPais", "BRASIL") + "</enderDest>" + e("indIEDest", "1") +
                     e("IE", "987654321098") + "</dest>";
  std::string det = "<det nItem=\"1\"><prod>" + e("cProd", "P001") + e("cEAN", "7891234567895") +
                    e("xProd", "PRODUTO DE TESTE") + e("NCM", "84713012") + e("CFOP", "5102") + e("uCom", "UN") +
                    e("qCom", "2.0000") + e("vUnCom", "50.0000") + e("vProd", "100.00") + e("cEANTrib", "7891234567895") +
                    e("uTrib", "UN") + e("qTrib", "2.0000") + e("vUnTrib", "50.0000") + e("indTot", "1") +
                    "</prod><imposto><ICMS><ICMS00>" + e("orig", "0") + e("CST", "00") + e("modBC", "3") +
                    e("vBC", "100.00") + e("pICMS", "18.00") + e("vICMS", "18.00") + "</ICMS00></ICMS><PIS><PISAliq>" +
                    e("CST", "01") + e("vBC", "100.00") + e("pPIS", "1.65") + e("vPIS", "1.65") +
                    "</PISAliq></PIS><COFINS><COFINSAliq>" + e("CST", "01") + e("vBC", "100.00") +
                    e("pCOFINS", "7.60") + e("vCOFINS", "7.60") + "</COFINSAliq></COFINS></imposto></det>";
  std::string total = "<total><ICMSTot>" + e("vBC", "100.00") + e("vICMS", "18.00") + e("vICMSDeson", "0.00") +
                      e("vFCP", "0.00") + e("vBCST", "0.00") + e("vST", "0.00") + e("vFCPST", "0.00") +
                      e("vFCPSTRet", "0.00") + e("vProd", "100.00") + e("vFrete", "0.00") + e("vSeg", "0.00") +
                      e("vDesc", "0.00") + e("vII", "0.00") + e("vIPI", "0.00") + e("vIPIDevol", "0.00") +
                      e("vPIS", "1.65") + e("vCOFINS", "7.60") + e("vOutro", "0.00") + e("vNF", "100.00") +
                      "</ICMSTot></total>";
  std::string transp = "<transp>" + e("modFrete", "9") + "</transp>";
  std::string pag = "<pag><detPag>" + e("tPag", "01") + e("vPag", "100.00") + "</detPag></pag>";
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><NFe xmlns=\"") + autoridade::kNamespaceNFe +
         "\"><infNFe versao=\"4.00\" Id=\"NFe" + k + "\">" + ide + emit + dest + det + total + transp + pag +
         "</infNFe></NFe>";
}

inline std::string NotaAssinada400(const OpcoesNota400& o = {}, std::string* chave = nullptr) {
  return AssinarXml(NotaSemAssinatura400(o, chave), "infNFe", CertificadoTeste());
}

}  // namespace velant::teste
