// Transport group (gVetorTransporte), statement by statement like the other
// header groups.
#include "content/execucao_tolerante.h"
#include "content/formas_valor.h"
#include "content/formatacao_numeros.h"
#include "content/preenche_vetores.h"
#include "data/tabelas_solicitacao.h"

namespace velant {

using conteudo::Se;
using conteudo::Tenta;

void Gera_dados_transporte(Contexto& ctx) {
  conteudo::RotinaTolerante rotina(ctx.log, "Gera_dados_transporte");
  auto& v = ctx.vetores.gVetorTransporte;
  v.assign(kSlotsTransporte, std::string());
  const data::Recordset& nota = ctx.tabelas.TabelaNota;

  // Freight mode: the request's codes are not the layout's.
  auto tipoFreteE = [&](int32_t codigo) {
    return Igual(Valor(conteudo::ValorDe(nota, "TipoFrete")), Valor(codigo));
  };
  if (Se([&] { return tipoFreteE(2); })) {
    Tenta([&] { v[0] = "1"; });
  } else if (Se([&] { return tipoFreteE(1); })) {
    Tenta([&] { v[0] = "0"; });
  } else if (Se([&] { return tipoFreteE(3); })) {
    Tenta([&] { v[0] = "2"; });
  } else if (Se([&] { return tipoFreteE(9); })) {
    Tenta([&] { v[0] = "9"; });
  }

  Tenta([&] { v[1] = conteudo::ValorDe(nota, "CnpjOuCpfTranspor"); });
  Tenta([&] { v[2] = conteudo::LimpoDe(nota, "RazaoSocialTranspor"); });
  Tenta([&] { v[3] = conteudo::DigitosDe(nota, "ietranspor"); });
  Tenta([&] { v[4] = conteudo::LimpoDe(nota, "endTranspor"); });
  Tenta([&] { v[5] = conteudo::ValorDe(nota, "NomeMunTranspor"); });
  Tenta([&] { v[6] = conteudo::ValorDe(nota, "UfTranspor"); });
  Tenta([&] { v[7] = conteudo::LimpoDe(nota, "PlacaTranspor"); });
  Tenta([&] { v[8] = " " + conteudo::ValorDe(nota, "UfPlacaTranspor"); });
  Tenta([&] { v[9] = conteudo::ValorDe(nota, "QntTranspor"); });
  Tenta([&] { v[10] = conteudo::ValorDe(nota, "EspecieTranspor"); });
  Tenta([&] { v[11] = ""; });
  Tenta([&] { v[12] = ""; });
  Tenta([&] { v[13] = ValorCampo(nota, Valor(FormataDecimal3(nota.Value("PesoLiqTranspor")))); });
  Tenta([&] { v[14] = ValorCampo(nota, Valor(FormataDecimal3(nota.Value("pesoBrutoTranspor")))); });
  for (int i = 15; i <= 27; ++i) v[i] = "";
}

}  // namespace velant
