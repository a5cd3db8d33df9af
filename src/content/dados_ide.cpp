// Identification group (gVetorIde). Each statement is guarded on its own: a
// failing one leaves its slot as the re-dimension made it.
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

// Slots 17 to 19: one entry per referenced receipt, each ended by ";".
void ListasCupons(Contexto& ctx, std::vector<std::string>& v) {
  conteudo::RotinaTolerante rotina(ctx.log, "ListasCupons");
  data::Recordset& cupons = ctx.tabelas.TabelaCupons;
  std::string tipos, ecfs, numeros;
  Tenta([&] { cupons.MoveFirst(); });
  // A failing end-of-records test stops the walk: resuming into the body
  // again could never end.
  auto continua = [&] {
    try {
      return !cupons.Eof();
    } catch (const ErroExecucao&) {
      return false;
    }
  };
  while (continua()) {
    Tenta([&] { tipos += CStr(cupons.Value("Tipo")) + ";"; });
    Tenta([&] { ecfs += CStr(cupons.Value("CodigoECF")) + ";"; });
    Tenta([&] { numeros += CStr(cupons.Value("NumeroCupom")) + ";"; });
    bool avancou = false;
    Tenta([&] {
      cupons.MoveNext();
      avancou = true;
    });
    if (!avancou) break;
  }
  v[17] = tipos;
  v[18] = ecfs;
  v[19] = numeros;
}

}  // namespace

void Gera_dados_ide(Contexto& ctx) {
  conteudo::RotinaTolerante rotina(ctx.log, "Gera_dados_ide");
  auto& v = ctx.vetores.gVetorIde;
  v.assign(kSlotsIde, std::string());
  const data::Recordset& nota = ctx.tabelas.TabelaNota;
  const SolicitacaoAtual& estado = ctx.atual;

  Tenta([&] { v[0] = conteudo::ValorDe(nota, "CodEstadoIde"); });
  Tenta([&] { v[1] = conteudo::ValorDe(nota, "NumeroNF"); });

  if (Se([&] { return conteudo::IgualAlgum(nota.Value("cfop"), {5929, 6929}); })) {
    Tenta([&] { v[2] = ValorCampo(nota, Valor(RemoveAcentos(Valor(UCase("VENDA TAMBEM REGISTRADA NO ECF"))))); });
  } else {
    Tenta([&] { v[2] = conteudo::LimpoDe(nota, "DescNaturezaOp"); });
  }

  // The form of payment is compared as a number: empty or any other text is "2".
  if (Se([&] { return Igual(Valor(conteudo::ValorDe(nota, "FormaPag")), Valor(int32_t{1})); })) {
    Tenta([&] { v[3] = "0"; });
  } else if (Se([&] { return Igual(Valor(conteudo::ValorDe(nota, "FormaPag")), Valor(int32_t{2})); })) {
    Tenta([&] { v[3] = "1"; });
  } else {
    Tenta([&] { v[3] = "2"; });
  }

  Tenta([&] { v[4] = "55"; });
  Tenta([&] { v[5] = conteudo::ValorDe(nota, "SerieNFEmp"); });
  Tenta([&] { v[6] = conteudo::ValorDe(nota, "NumeroNF"); });
  Tenta([&] { v[7] = conteudo::BrutoDe(nota, "DtEmissao"); });

  // Date of leaving or entering. The table has no "dtentrada": for an entry
  // the test fails into its first branch, whose assignment fails too.
  if (Se([&] { return Igual(nota.Value("tpnf"), Valor(int32_t{0})); })) {
    if (Se([&] { return !nota.Value("dtentrada").ENulo(); })) {
      Tenta([&] { v[8] = conteudo::BrutoDe(nota, "dtentrada"); });
    } else {
      Tenta([&] { v[8] = conteudo::BrutoDe(nota, "DtEmissao"); });
    }
  } else {
    if (Se([&] { return !nota.Value("DtSaida").ENulo(); })) {
      Tenta([&] { v[8] = conteudo::BrutoDe(nota, "DtSaida"); });
    } else {
      Tenta([&] { v[8] = ""; });
    }
  }

  Tenta([&] { v[9] = conteudo::ValorDe(nota, "tpnf"); });
  Tenta([&] { v[10] = conteudo::ValorDe(nota, "CodMunEmp"); });
  Tenta([&] { v[11] = std::to_string(ctx.vetores.gTipoEmissao); });
  Tenta([&] { v[12] = std::to_string(ctx.vetores.gFinalidadeNFe); });

  if (Se([&] { return estado.ChaveReferenciada != ""; })) {
    Tenta([&] { v[13] = SomenteNumeros(Valor(estado.ChaveReferenciada)); });
  } else {
    Tenta([&] { v[13] = ""; });
  }
  Tenta([&] { v[14] = std::to_string(estado.NumeroComplementarIde); });
  Tenta([&] { v[15] = ""; });
  Tenta([&] { v[16] = ""; });

  if (Se([&] { return ctx.vetores.gQtdCuponsRef < 1; })) {
    Tenta([&] { v[17] = v[18] = v[19] = ""; });
  } else {
    ListasCupons(ctx, v);
  }

  for (int i = 20; i <= 33; ++i) v[i] = "";

  // Destination of the operation by the first digit of the CFOP; any other
  // first character leaves the slot empty.
  auto primeiroDoCfop = [&] { return Left(conteudo::ValorDe(nota, "cfop"), 1); };
  if (Se([&] { auto p = primeiroDoCfop(); return p == "1" || p == "5"; })) {
    Tenta([&] { v[34] = "1"; });
  } else if (Se([&] { auto p = primeiroDoCfop(); return p == "2" || p == "6"; })) {
    Tenta([&] { v[34] = "2"; });
  } else if (Se([&] { auto p = primeiroDoCfop(); return p == "3" || p == "7"; })) {
    Tenta([&] { v[34] = "3"; });
  }
  Tenta([&] { v[35] = "1"; });
  Tenta([&] { v[36] = estado.TextoComplementarIde; });
}

}  // namespace velant
