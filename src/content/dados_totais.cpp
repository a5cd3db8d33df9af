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
    Tenta([&] { v[0] = "0.00"; });
    Tenta([&] { v[1] = "0.00"; });
  } else {
    Tenta([&] { v[0] = Dec2De(nota, "TotalBCIcmsTot"); });
    Tenta([&] { v[1] = Dec2De(nota, "TotalICMStot"); });
  }

  Tenta([&] { v[2] = Dec2De(nota, "TotalBCIcmsSub"); });
  Tenta([&] { v[3] = Dec2De(nota, "TotalValorIcmsSub"); });
  Tenta([&] { v[5] = Dec2De(nota, "ValorFreteProd"); });
  Tenta([&] { v[6] = "0.00"; });

  // "TotalDescontoPe" is already off the products total, "TotalDescontoPd" is not.
  auto pe = [&] { return nota.Value("TotalDescontoPe"); };
  auto pd = [&] { return nota.Value("TotalDescontoPd"); };
  auto prod = [&] { return nota.Value("TotalProdtot"); };
  const Valor zero(int32_t{0});
  if (Se([&] { return Diferente(nota.Value("tpnf"), Valor(int32_t{1})); })) {
    if (Se([&] { return Maior(pe(), zero); })) {
      Tenta([&] { v[7] = FormataDecimal2(pe()); });
      Tenta([&] { v[4] = FormataDecimal2(prod()); });
    } else if (Se([&] { return Maior(pd(), zero); })) {
      Tenta([&] { v[7] = FormataDecimal2(pd()); });
      Tenta([&] { v[4] = FormataDecimal2(conteudo::Soma(prod(), pd())); });
    } else {
      Tenta([&] { v[7] = "0.00"; });
      Tenta([&] { v[4] = FormataDecimal2(prod()); });
    }
  } else {
    if (Se([&] { return Maior(pe(), zero); })) {
      Tenta([&] { v[7] = FormataDecimal2(pe()); });
      Tenta([&] { v[4] = FormataDecimal2(prod()); });
    } else {
      Tenta([&] { v[7] = FormataDecimal2(conteudo::Soma(pe(), pd())); });
      Tenta([&] { v[4] = FormataDecimal2(conteudo::Soma(conteudo::Soma(prod(), pe()), pd())); });
    }
  }

  Tenta([&] { v[8] = "0.00"; });
  Tenta([&] { v[9] = Dec2De(nota, "TotalIpitot"); });

  if (Se([&] { return conteudo::IgualAlgum(nota.Value("cfop"), {5929, 6929}); })) {
    Tenta([&] { v[10] = "0.00"; });
    Tenta([&] { v[11] = "0.00"; });
  } else {
    Tenta([&] { v[10] = Dec2De(nota, "TotalPISTot"); });
    Tenta([&] { v[11] = Dec2De(nota, "TotalCofinsTot"); });
  }

  Tenta([&] { v[12] = Dec2De(nota, "OutrosTot"); });
  Tenta([&] { v[13] = Dec2De(nota, "TotalNFTot"); });

  // Compared with the text "0": a numeric column holding 0 counts as equal.
  if (Se([&] { return Diferente(nota.Value("ValorServiTot"), Valor("0")); })) {
    Tenta([&] { v[14] = Dec2De(nota, "ValorServiTot"); });
    Tenta([&] { v[15] = Dec2De(nota, "BCISSTot"); });
    Tenta([&] { v[16] = Dec2De(nota, "ValorIssTot"); });
    Tenta([&] { v[17] = Dec2De(nota, "TotalPISTot"); });
    Tenta([&] { v[18] = Dec2De(nota, "TotalCofinsTot"); });
  }

  for (int i = 19; i <= 26; ++i) v[i] = "";
  Tenta([&] { v[27] = "0.00"; });
}

}  // namespace velant
