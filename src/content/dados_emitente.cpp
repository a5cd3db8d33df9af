// Issuer group (gVetorEmitente), statement by statement like the other
// header groups.
#include "base/regional.h"
#include "content/execucao_tolerante.h"
#include "content/formas_valor.h"
#include "content/formatacao_numeros.h"
#include "content/preenche_vetores.h"
#include "data/tabelas_solicitacao.h"

namespace velant {

using conteudo::Se;
using conteudo::Tenta;

void Gera_dados_emitente(Contexto& ctx) {
  conteudo::RotinaTolerante rotina(ctx.log, "Gera_dados_emitente");
  auto& v = ctx.vetores.gVetorEmitente;
  v.assign(kSlotsEmitente, std::string());
  const data::Recordset& nota = ctx.tabelas.TabelaNota;

  Tenta([&] { v[0] = conteudo::LimpoDe(nota, "RazaoSocialemp"); });
  Tenta([&] { v[1] = conteudo::LimpoDe(nota, "nomefantasiaemp"); });
  Tenta([&] { v[2] = conteudo::LimpoDe(nota, "logradouroemp"); });
  Tenta([&] { v[3] = conteudo::ValorDe(nota, "numlgremp"); });
  Tenta([&] { v[4] = conteudo::ValorDe(nota, "cplemp"); });
  Tenta([&] { v[5] = conteudo::LimpoDe(nota, "bairroemp"); });
  Tenta([&] { v[6] = conteudo::ValorDe(nota, "CodMunEmp"); });
  Tenta([&] { v[7] = conteudo::LimpoDe(nota, "NomeMunEmp"); });
  Tenta([&] { v[8] = conteudo::ValorDe(nota, "cepemp"); });
  // The phone without its first character (the opening parenthesis of "(11)...").
  Tenta([&] { v[9] = ValorCampo(nota, conteudo::MeioOuNulo(nota.Value("telefoneemp"), 2, 999)); });
  Tenta([&] { v[10] = conteudo::DigitosDe(nota, "ieemp"); });
  Tenta([&] { v[11] = ""; });
  Tenta([&] { v[12] = ""; });
  Tenta([&] { v[13] = ""; });

  // A regime that does not convert fails the test and so gives "1".
  if (Se([&] { return CInt(Valor(ctx.atual.RegimeTributario)) == 1; })) {
    Tenta([&] { v[14] = "1"; });
  } else {
    Tenta([&] { v[14] = "3"; });
  }
}

}  // namespace velant
