// Identification group (gVetorIde). Each statement that can fail is guarded
// on its own: a failing one leaves its slot as the re-dimension made it.
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

// The referenced receipts' lists: one entry per receipt, each ended by ";".
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
  v[Ide::modECF] = tipos;
  v[Ide::nECF] = ecfs;
  v[Ide::nCOO] = numeros;
}

}  // namespace

void TipoEmissaoNaIde(Contexto& ctx) {
  VetoresNFe& vetores = ctx.vetores;
  std::vector<std::string>& v = vetores.gVetorIde;
  if (v.size() < static_cast<size_t>(kSlotsIde)) v.resize(kSlotsIde);
  v[Ide::tpEmis] = std::to_string(vetores.gTipoEmissao);
  if (vetores.gInicioContingencia.empty()) return;
  v[Ide::dhCont] = vetores.gInicioContingencia;
  v[Ide::xJust] = vetores.gJustificativaContingencia;
}

void Gera_dados_ide(Contexto& ctx) {
  conteudo::RotinaTolerante rotina(ctx.log, "Gera_dados_ide");
  auto& v = ctx.vetores.gVetorIde;
  v.assign(kSlotsIde, std::string());
  const data::Recordset& nota = ctx.tabelas.TabelaNota;
  const SolicitacaoAtual& estado = ctx.atual;

  Tenta([&] { v[Ide::cUF] = conteudo::ValorDe(nota, "CodEstadoIde"); });
  Tenta([&] { v[Ide::cNF] = conteudo::ValorDe(nota, "NumeroNF"); });

  if (Se([&] { return conteudo::IgualAlgum(nota.Value("cfop"), {5929, 6929}); })) {
    Tenta([&] {
      v[Ide::natOp] = ValorCampo(nota, Valor(RemoveAcentos(Valor(UCase("VENDA TAMBEM REGISTRADA NO ECF")))));
    });
  } else {
    Tenta([&] { v[Ide::natOp] = conteudo::LimpoDe(nota, "DescNaturezaOp"); });
  }

  // The form of payment is compared as a number: empty or any other text is "2".
  if (Se([&] { return Igual(Valor(conteudo::ValorDe(nota, "FormaPag")), Valor(int32_t{1})); })) {
    v[Ide::indPag] = "0";
  } else if (Se([&] { return Igual(Valor(conteudo::ValorDe(nota, "FormaPag")), Valor(int32_t{2})); })) {
    v[Ide::indPag] = "1";
  } else {
    v[Ide::indPag] = "2";
  }

  v[Ide::mod] = "55";
  Tenta([&] { v[Ide::serie] = conteudo::ValorDe(nota, "SerieNFEmp"); });
  Tenta([&] { v[Ide::nNF] = conteudo::ValorDe(nota, "NumeroNF"); });
  Tenta([&] { v[Ide::dhEmi] = conteudo::BrutoDe(nota, "DtEmissao"); });

  // Date of leaving or entering. The table has no "dtentrada" column, so an
  // entry gets no date; a missing optional column is no error to log.
  if (Se([&] { return Igual(nota.Value("tpnf"), Valor(int32_t{0})); })) {
    if (nota.TemCampo("dtentrada")) {
      if (Se([&] { return !nota.Value("dtentrada").ENulo(); })) {
        Tenta([&] { v[Ide::dhSaiEnt] = conteudo::BrutoDe(nota, "dtentrada"); });
      } else {
        Tenta([&] { v[Ide::dhSaiEnt] = conteudo::BrutoDe(nota, "DtEmissao"); });
      }
    }
  } else {
    if (Se([&] { return !nota.Value("DtSaida").ENulo(); })) {
      Tenta([&] { v[Ide::dhSaiEnt] = conteudo::BrutoDe(nota, "DtSaida"); });
    }
  }

  Tenta([&] { v[Ide::tpNF] = conteudo::ValorDe(nota, "tpnf"); });
  Tenta([&] { v[Ide::cMunFG] = conteudo::ValorDe(nota, "CodMunEmp"); });
  v[Ide::finNFe] = std::to_string(ctx.vetores.gFinalidadeNFe);

  if (estado.ChaveReferenciada != "") {
    Tenta([&] { v[Ide::refNFe] = SomenteNumeros(Valor(estado.ChaveReferenciada)); });
    // A 4.00 key keeps the letters of an alphanumeric CNPJ (raised to capitals).
    if (LeiauteQuatro(ctx)) {
      std::string chave;
      for (char c : estado.ChaveReferenciada)
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) chave += c;
        else if (c >= 'a' && c <= 'z') chave += static_cast<char>(c - 'a' + 'A');
      v[Ide::refNFe] = chave;
    }
  }
  v[Ide::indFinal] = std::to_string(estado.NumeroComplementarIde);

  // With no referenced receipt the three lists stay empty, not ";".
  if (ctx.vetores.gQtdCuponsRef >= 1) ListasCupons(ctx, v);

  // Destination of the operation by the first digit of the CFOP; any other
  // first character leaves the slot empty.
  auto primeiroDoCfop = [&] { return Left(conteudo::ValorDe(nota, "cfop"), 1); };
  if (Se([&] { auto p = primeiroDoCfop(); return p == "1" || p == "5"; })) {
    v[Ide::idDest] = "1";
  } else if (Se([&] { auto p = primeiroDoCfop(); return p == "2" || p == "6"; })) {
    v[Ide::idDest] = "2";
  } else if (Se([&] { auto p = primeiroDoCfop(); return p == "3" || p == "7"; })) {
    v[Ide::idDest] = "3";
  }
  v[Ide::indPres] = "1";
  v[Ide::xJust] = estado.TextoComplementarIde;
  TipoEmissaoNaIde(ctx);
}

}  // namespace velant
