#include "component/autoridade/esquemas_evento.h"

#include "base/erro.h"
#include "component/xml/autoridade_xml.h"

namespace velant::autoridade {

EsquemasMensagem EsquemasDoEvento(const DescricaoServico& d, std::string_view tpEvento) {
  if (d.servico == ServicoNFe::RecepcaoEvento && tpEvento == "110110")
    return {"evento-cce/envCCe_v1.00.xsd", "evento-cce/retEnvCCe_v1.00.xsd"};
  if (d.servico == ServicoNFe::RecepcaoEvento && tpEvento == "110140")
    return {"evento-epec/envEPEC_v1.00.xsd", "evento-epec/retEnvEPEC_v1.00.xsd"};
  return {d.esquemaPedido, d.esquemaResposta};
}

std::string TipoDoEvento(const std::string& mensagem) {
  try {
    DocumentoXml doc = DocumentoXml::Ler(mensagem, "envEvento");
    if (NomeLocal(doc.Raiz()) != "envEvento") return "";
    return TextoFilho(Filho(Filho(doc.Raiz(), "evento"), "infEvento"), "tpEvento");
  } catch (const ErroExecucao&) {
    return "";
  }
}

}  // namespace velant::autoridade
