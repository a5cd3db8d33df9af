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
    v[Transporte::modFrete] = "1";
  } else if (Se([&] { return tipoFreteE(1); })) {
    v[Transporte::modFrete] = "0";
  } else if (Se([&] { return tipoFreteE(3); })) {
    v[Transporte::modFrete] = "2";
  } else if (Se([&] { return tipoFreteE(9); })) {
    v[Transporte::modFrete] = "9";
  }

  Tenta([&] { v[Transporte::CNPJouCPF] = conteudo::ValorDe(nota, "CnpjOuCpfTranspor"); });
  Tenta([&] { v[Transporte::xNome] = conteudo::LimpoDe(nota, "RazaoSocialTranspor"); });
  Tenta([&] { v[Transporte::IE] = conteudo::DigitosDe(nota, "ietranspor"); });
  Tenta([&] { v[Transporte::xEnder] = conteudo::LimpoDe(nota, "endTranspor"); });
  Tenta([&] { v[Transporte::xMun] = conteudo::ValorDe(nota, "NomeMunTranspor"); });
  Tenta([&] { v[Transporte::UF] = conteudo::ValorDe(nota, "UfTranspor"); });
  Tenta([&] { v[Transporte::placa] = conteudo::LimpoDe(nota, "PlacaTranspor"); });
  Tenta([&] { v[Transporte::UF_veicTransp] = " " + conteudo::ValorDe(nota, "UfPlacaTranspor"); });
  Tenta([&] { v[Transporte::qVol] = conteudo::ValorDe(nota, "QntTranspor"); });
  Tenta([&] { v[Transporte::esp] = conteudo::ValorDe(nota, "EspecieTranspor"); });
  v[Transporte::marca] = "";   // the request has no mark or numbering of the volumes
  v[Transporte::nVol] = "";
  Tenta([&] { v[Transporte::pesoL] = ValorCampo(nota, Valor(FormataDecimal3(nota.Value("PesoLiqTranspor")))); });
  Tenta([&] { v[Transporte::pesoB] = ValorCampo(nota, Valor(FormataDecimal3(nota.Value("pesoBrutoTranspor")))); });
}

}  // namespace velant
