// The authority's answers read and turned into the texts of the front end
// and the log, checked the way a reader of them would, from
// autoridade_respostas.tsv: the status line of a batch query and the
// outcome the routines decide on, the last 15 characters as a protocol, the
// "101", "218" and "102" patterns. (The plain 107/135/218/102/563 texts are
// the end-to-end cases'.)
#include "component/autoridade/respostas_autoridade.h"

#include <gtest/gtest.h>

#include "apoio_documento.h"
#include "component/textos_resposta.h"

namespace velant::autoridade {
namespace {

std::string Le(const std::string& leitura, const std::string& xml) {
  if (leitura == "lote") {
    const RespostaLote r = LerRespostaLote(xml);
    const char* desfechos[] = {"EmProcessamento", "Rejeitado", "Final"};
    return LinhaStatusLote(r) + "|" + desfechos[static_cast<int>(Desfecho(r))];
  }
  if (leitura == "consultalote") return TextoConsultaLote(LerRespostaLote(xml));
  if (leitura == "situacao") return TextoConsultaSituacao(LerSituacao(xml));
  if (leitura == "protocolo") {
    const std::string p = LerSituacao(xml).protocolo.value_or(ProtocoloNFe{}).xml;
    return p.substr(0, p.find('>') + 1);
  }
  if (leitura == "evento") return TextoEventoCancelamento(LerEvento(xml));
  if (leitura == "inutilizacao") return TextoInutilizacao(LerInutilizacao(xml));
  throw std::runtime_error("leitura desconhecida: " + leitura);
}

TEST(TextoResposta, ComoOLeitorOsLe) {
  for (const auto& c : teste::LerTabela("component/autoridade_respostas.tsv"))
    EXPECT_EQ(Le(c[0], c[1]), teste::DesfazEscapes(c[2])) << c[0] << " " << c[1];
}

}  // namespace
}  // namespace velant::autoridade
