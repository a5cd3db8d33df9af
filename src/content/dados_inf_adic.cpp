// Additional information group (gVetorInfAdic), statement by statement like
// the other header groups.
//
// No trade-name line is written: the request carries no customer code and
// the data set has no customer table to read it from.
#include <string>

#include "base/regional.h"
#include "base/texto.h"
#include "content/execucao_tolerante.h"
#include "content/formas_valor.h"
#include "content/formatacao_numeros.h"
#include "content/normalizacao_texto.h"
#include "content/preenche_vetores.h"
#include "data/tabelas_solicitacao.h"

namespace velant {

using conteudo::Se;
using conteudo::Tenta;

namespace {

// Format(chave, "!@@@@-@@@@-...") with eleven groups: the characters fill the
// placeholders from the left, missing ones become blanks and any beyond the
// 44th follow at the end.
std::string ChaveEmGrupos(const std::string& chave) {
  std::string saida;
  int64_t n = Len(chave);
  for (int64_t posicao = 1; posicao <= 44; ++posicao) {
    if (posicao > 1 && (posicao - 1) % 4 == 0) saida += "-";
    saida += posicao <= n ? Mid(chave, posicao, 1) : std::string(" ");
  }
  if (n > 44) saida += Mid(chave, 45);
  return saida;
}

}  // namespace

void Gera_dados_infAdic(Contexto& ctx) {
  conteudo::RotinaTolerante rotina(ctx.log, "Gera_dados_infAdic");
  auto& v = ctx.vetores.gVetorInfAdic;
  v.assign(kSlotsInfAdic, std::string());
  const data::Recordset& nota = ctx.tabelas.TabelaNota;
  const SolicitacaoAtual& estado = ctx.atual;
  std::string T;

  // The seller is optional: TabelaNota has no such column, and a Null or
  // missing one only leaves the seller out.
  std::string vendedor;
  Tenta([&] { vendedor = conteudo::OpcionalDe(nota, "NomeVendedor"); });
  if (vendedor != "") T += "Vendedor: " + vendedor + ";";

  // The key is grouped from its digits: a key the front end sends already
  // formatted would otherwise have its own separators laid into the groups.
  if (estado.ChaveReferenciada != "" && estado.IndicadorDevolucao == "SIM") {
    Tenta([&] {
      T += "CHAVE DA NFE DEVOLVIDA: " + ChaveEmGrupos(SomenteNumeros(Valor(estado.ChaveReferenciada))) + ";";
    });
  }

  // The observation joins with "&", for which a Null is empty text.
  Tenta([&] {
    const Valor& obs = nota.Value("obsnf");
    std::string texto = (obs.ENulo() ? std::string() : CStr(obs)) + ";" + estado.ObservacaoEmissao;
    T += ValorCampo(nota, Valor(RemoveAcentos(Valor(texto))));
  });

  if (T == "") T = "-";

  Tenta([&] { v[InfAdic::infCpl] = ValorCampo(nota, Valor(RemoveAcentos(Valor(T)))); });

  if (Se([&] { return Igual(nota.Value("ufcli"), Valor("EX")); })) {
    Tenta([&] { v[InfAdic::UFSaidaPais] = ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "UnidadeFederada"); });
    Tenta([&] { v[InfAdic::xLocExporta] = conteudo::Elemento(ctx.vetores.gVetorEmitente, Emitente::xMun); });
  }
}

}  // namespace velant
