#pragma once
// A signed NF-e of layout 4.00 for the authority tests, from nota400.xml
// (the 4.00 generator is another piece's job): one item of a normal-regime issuer in SP, CFOP 5102, ICMS 18 %,
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
  char cNF[16];
  std::snprintf(cNF, sizeof cNF, "%08d", o.codigoNumerico);
  const std::string contingencia = o.tpEmis != 1 && o.justificada
                                       ? "<dhCont>" + dhEmi + "</dhCont><xJust>Servico da SEFAZ paralisado sem previsao</xJust>"
                                       : "";
  // The document written element by element as nfe_v4.00.xsd wants it, its
  // varying fields in braces.
  std::string nota = LerTudo(std::filesystem::path(VELANT_TESTES) / "component/nota400.xml");
  nota.pop_back();   // the file's last line end
  for (const auto& [campo, valor] : {std::pair<std::string, std::string>{"chave", k}, {"cNF", cNF},
                                     {"nNF", std::to_string(o.numero)}, {"dhEmi", dhEmi},
                                     {"tpEmis", std::to_string(o.tpEmis)}, {"cDV", k.substr(43)},
                                     {"tpAmb", o.ambiente}, {"contingencia", contingencia}})
    nota = Replace(nota, "{" + campo + "}", valor);
  return nota;
}

inline std::string NotaAssinada400(const OpcoesNota400& o = {}, std::string* chave = nullptr) {
  return AssinarXml(NotaSemAssinatura400(o, chave), "infNFe", CertificadoTeste());
}

}  // namespace velant::teste
