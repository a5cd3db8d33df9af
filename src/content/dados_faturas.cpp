// Billing (gVetorFaturas, gQtdFaturas) and authorised readers (gVetorAutXML).
// Both catch their own errors: one log line, and the rows written so far stay.
#include <exception>
#include <limits>
#include <string>

#include "base/erro.h"
#include "base/regional.h"
#include "content/execucao_tolerante.h"
#include "content/formas_valor.h"
#include "content/formatacao_numeros.h"
#include "content/preenche_vetores.h"
#include "data/tabelas_solicitacao.h"

namespace velant {

void Gera_dados_faturas(Contexto& ctx) {
  try {
    VetoresNFe& vet = ctx.vetores;
    data::Recordset& duplicatas = ctx.tabelas.TabelaDuplicatas;
    ctx.log.RegistraEvento("        Gerando vetor Faturas...", true, false);

    if (vet.gQtdDuplicatas < 0) Levanta(CodigoErro::IndiceForaDoIntervalo);
    vet.gVetorFaturas.assign(static_cast<size_t>(vet.gQtdDuplicatas) + 1,
                             std::vector<std::string>(kSlotsFatura));
    if (vet.gQtdDuplicatas - 1 > std::numeric_limits<int16_t>::max()) Levanta(CodigoErro::Estouro);
    vet.gQtdFaturas = static_cast<int16_t>(vet.gQtdDuplicatas - 1);

    auto& fatura = vet.gVetorFaturas[Fatura::kLinhaFatura];
    fatura[Fatura::nFat] = conteudo::Elemento(vet.gVetorIde, Ide::nNF);
    fatura[Fatura::vOrig] = conteudo::Elemento(vet.gVetorTotais, Totais::vNF);
    fatura[Fatura::vLiq] = conteudo::Elemento(vet.gVetorTotais, Totais::vNF);

    // With no instalment counted the walk has nothing to write and must not
    // wait for an end it never moves to.
    while (!duplicatas.Eof() && vet.gQtdDuplicatas > 0) {
      for (int32_t r = 0; r < vet.gQtdDuplicatas; ++r) {
        if (r > std::numeric_limits<int16_t>::max()) Levanta(CodigoErro::Estouro);
        vet.gLinhaVetor = static_cast<int16_t>(r);
        auto& linha = vet.gVetorFaturas[static_cast<size_t>(r)];
        linha[Fatura::nDup] = CStr(duplicatas.Value("NumDupl"));
        const Valor& vencimento = duplicatas.Value("DtVenc");
        if (vencimento.ENulo()) Levanta(CodigoErro::UsoInvalidoDeNull);
        linha[Fatura::dVenc] = Format(vencimento, "yyyy-mm-dd");
        linha[Fatura::vDup] = FormataDecimal2(duplicatas.Value("ValorVenc"));
        duplicatas.MoveNext();
      }
    }
    duplicatas.Close();
    ctx.log.RegistraEvento("        Gerado vetor Fatura!", true, false);
  } catch (const std::exception& erro) {
    ctx.log.RegistraEvento("     ** Erro na Rotina: Gera_dados_faturas - " + conteudo::DescricaoErro(erro), true,
                           false);
  }
}

void Gera_dados_autXML(Contexto& ctx) {
  try {
    ctx.log.RegistraEvento("        Gerando vetor autXML...", true, false);
    // No reader is authorised: every slot stays empty.
    ctx.vetores.gVetorAutXML.assign(kSlotsAutXML, std::string());
    ctx.log.RegistraEvento("        Gerado vetor autXML!", true, false);
  } catch (const std::exception& erro) {
    ctx.log.RegistraEvento("     ** Erro na Rotina: Gera_dados_autXML - " + conteudo::DescricaoErro(erro), true,
                           false);
  }
}

}  // namespace velant
