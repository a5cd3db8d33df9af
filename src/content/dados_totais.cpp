// Totals group (gVetorTotais), statement by statement like the other header
// groups; also looks up the tax situation of the operation.
#include <memory>
#include <string>

#include "base/regional.h"
#include "base/texto.h"
#include "content/execucao_tolerante.h"
#include "content/formas_valor.h"
#include "content/formatacao_numeros.h"
#include "content/preenche_vetores.h"
#include "data/conexao_nfe.h"
#include "data/tabelas_solicitacao.h"

namespace velant {

using conteudo::Se;
using conteudo::Tenta;

namespace {

constexpr const char* kSemSituacao = "000";

// The situation of the operation's CFOP in natureza_operacao; "000" when no
// row has it or when the query cannot run at all.
std::string SituacaoDaOperacao(Contexto& ctx, const std::string& cfop) {
  data::CConexaoNfe* conexao = ctx.ConexaoBanco;
  if (conexao == nullptr || !conexao->ConexaoAtiva()) {
    ctx.log.RegistraEvento("        natureza_operacao não consultada (sem conexão): situação " +
                               std::string(kSemSituacao),
                           true, false);
    return kSemSituacao;
  }
  std::unique_ptr<data::Recordset> rs = conexao->RsConexao(
      "SELECT situacao_tributaria FROM natureza_operacao WHERE codigo = '" + Replace(cfop, "'", "''") + "'");
  if (rs == nullptr || rs->State() != data::adStateOpen) {
    ctx.log.RegistraEvento("        natureza_operacao não consultada: situação " + std::string(kSemSituacao), true,
                           false);
    return kSemSituacao;
  }
  std::string situacao = kSemSituacao;
  if (!rs->Eof()) {
    const Valor& lida = rs->Value("situacao_tributaria");
    if (!lida.ENulo()) situacao = CStr(lida);
  }
  rs->Close();
  return situacao;
}

std::string Dec2De(const data::Recordset& nota, const char* coluna) {
  return FormataDecimal2(nota.Value(coluna));
}

}  // namespace

void Gera_dados_totais(Contexto& ctx) {
  conteudo::RotinaTolerante rotina(ctx.log, "Gera_dados_totais");
  auto& v = ctx.vetores.gVetorTotais;
  v.assign(kSlotsTotais, std::string());
  const data::Recordset& nota = ctx.tabelas.TabelaNota;
  std::string& S = ctx.vetores.gSituacaoTributaria;

  // A failure of the lookup must not leave the previous invoice's situation.
  S = kSemSituacao;
  Tenta([&] {
    const Valor& cfop = nota.Value("cfop");   // a Null joins the statement as ""
    S = SituacaoDaOperacao(ctx, cfop.ENulo() ? std::string() : CStr(cfop));
  });

  // Under Simples Nacional only an operation of situation 900 carries ICMS.
  if (Se([&] {
        bool operacaoEcf = conteudo::IgualAlgum(nota.Value("cfop"), {5929, 6929});
        bool simplesSem900 = CInt(Valor(ctx.atual.RegimeTributario)) == 1 && S != "900";
        return operacaoEcf || simplesSem900;
      })) {
    v[Totais::vBC] = "0.00";
    v[Totais::vICMS] = "0.00";
  } else {
    Tenta([&] { v[Totais::vBC] = Dec2De(nota, "TotalBCIcmsTot"); });
    Tenta([&] { v[Totais::vICMS] = Dec2De(nota, "TotalICMStot"); });
  }

  Tenta([&] { v[Totais::vBCST] = Dec2De(nota, "TotalBCIcmsSub"); });
  Tenta([&] { v[Totais::vST] = Dec2De(nota, "TotalValorIcmsSub"); });
  Tenta([&] { v[Totais::vFrete] = Dec2De(nota, "ValorFreteProd"); });
  v[Totais::vSeg] = "0.00";

  // "TotalDescontoPe" is already off the products total, "TotalDescontoPd" is not.
  auto pe = [&] { return nota.Value("TotalDescontoPe"); };
  auto pd = [&] { return nota.Value("TotalDescontoPd"); };
  auto prod = [&] { return nota.Value("TotalProdtot"); };
  const Valor zero(int32_t{0});
  if (Se([&] { return Diferente(nota.Value("tpnf"), Valor(int32_t{1})); })) {
    if (Se([&] { return Maior(pe(), zero); })) {
      Tenta([&] { v[Totais::vDesc] = FormataDecimal2(pe()); });
      Tenta([&] { v[Totais::vProd] = FormataDecimal2(prod()); });
    } else if (Se([&] { return Maior(pd(), zero); })) {
      Tenta([&] { v[Totais::vDesc] = FormataDecimal2(pd()); });
      Tenta([&] { v[Totais::vProd] = FormataDecimal2(conteudo::Soma(prod(), pd())); });
    } else {
      v[Totais::vDesc] = "0.00";
      Tenta([&] { v[Totais::vProd] = FormataDecimal2(prod()); });
    }
  } else {
    if (Se([&] { return Maior(pe(), zero); })) {
      Tenta([&] { v[Totais::vDesc] = FormataDecimal2(pe()); });
      Tenta([&] { v[Totais::vProd] = FormataDecimal2(prod()); });
    } else {
      Tenta([&] { v[Totais::vDesc] = FormataDecimal2(conteudo::Soma(pe(), pd())); });
      Tenta([&] { v[Totais::vProd] = FormataDecimal2(conteudo::Soma(conteudo::Soma(prod(), pe()), pd())); });
    }
  }

  v[Totais::vII] = "0.00";
  Tenta([&] { v[Totais::vIPI] = Dec2De(nota, "TotalIpitot"); });

  if (Se([&] { return conteudo::IgualAlgum(nota.Value("cfop"), {5929, 6929}); })) {
    v[Totais::vPIS] = "0.00";
    v[Totais::vCOFINS] = "0.00";
  } else {
    Tenta([&] { v[Totais::vPIS] = Dec2De(nota, "TotalPISTot"); });
    Tenta([&] { v[Totais::vCOFINS] = Dec2De(nota, "TotalCofinsTot"); });
  }

  Tenta([&] { v[Totais::vOutro] = Dec2De(nota, "OutrosTot"); });
  Tenta([&] { v[Totais::vNF] = Dec2De(nota, "TotalNFTot"); });

  // Compared with the text "0": a numeric column holding 0 counts as equal.
  if (Se([&] { return Diferente(nota.Value("ValorServiTot"), Valor("0")); })) {
    Tenta([&] { v[Totais::vServ] = Dec2De(nota, "ValorServiTot"); });
    Tenta([&] { v[Totais::vBC_ISS] = Dec2De(nota, "BCISSTot"); });
    Tenta([&] { v[Totais::vISS] = Dec2De(nota, "ValorIssTot"); });
    Tenta([&] { v[Totais::vPIS_ISS] = Dec2De(nota, "TotalPISTot"); });
    Tenta([&] { v[Totais::vCOFINS_ISS] = Dec2De(nota, "TotalCofinsTot"); });
  }

  v[Totais::vICMSDeson] = "0.00";
}

}  // namespace velant
