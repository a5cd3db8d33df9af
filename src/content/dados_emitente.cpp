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

  Tenta([&] { v[Emitente::xNome] = conteudo::LimpoDe(nota, "RazaoSocialemp"); });
  Tenta([&] { v[Emitente::xFant] = conteudo::LimpoDe(nota, "nomefantasiaemp"); });
  Tenta([&] { v[Emitente::xLgr] = conteudo::LimpoDe(nota, "logradouroemp"); });
  Tenta([&] { v[Emitente::nro] = conteudo::ValorDe(nota, "numlgremp"); });
  Tenta([&] { v[Emitente::xCpl] = conteudo::ValorDe(nota, "cplemp"); });
  Tenta([&] { v[Emitente::xBairro] = conteudo::LimpoDe(nota, "bairroemp"); });
  Tenta([&] { v[Emitente::cMun] = conteudo::ValorDe(nota, "CodMunEmp"); });
  Tenta([&] { v[Emitente::xMun] = conteudo::LimpoDe(nota, "NomeMunEmp"); });
  Tenta([&] { v[Emitente::CEP] = conteudo::ValorDe(nota, "cepemp"); });
  // The phone without its first character (the opening parenthesis of "(11)...").
  Tenta([&] { v[Emitente::fone] = ValorCampo(nota, conteudo::MeioOuNulo(nota.Value("telefoneemp"), 2, 999)); });
  Tenta([&] { v[Emitente::IE] = conteudo::DigitosDe(nota, "ieemp"); });

  // A regime that does not convert fails the test and so gives "1".
  if (Se([&] { return CInt(Valor(ctx.atual.RegimeTributario)) == 1; })) {
    v[Emitente::CRT] = "1";
  } else {
    v[Emitente::CRT] = "3";
  }
}

}  // namespace velant
