// When an invoice goes in EPEC, and how its deadline is watched.
#include <gtest/gtest.h>

#include "lifecycle/politica_contingencia.h"

namespace velant {
namespace {

using P = PoliticaContingencia;
using S = SinalServico;

// SVC failed an invoice: only SVC+EPEC goes on to EPEC, and only when SVC
// surely did not take it.
TEST(Epec, SoSvcMaisEpecComSvcFora) {
  struct Caso { P politica; S sinalSvc; bool epec; } casos[] = {
      {P::SvcEpec, S::Paralisado, true},       {P::SvcEpec, S::FalhaTransporte, true},
      {P::SvcEpec, S::Outro, false},           {P::SvcEpec, S::EmOperacao, false},
      {P::Svc, S::Paralisado, false},          {P::Svc, S::FalhaTransporte, false},
      {P::Manual, S::Paralisado, false},       {P::Manual, S::FalhaTransporte, false},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(static_cast<int>(c.politica) * 10 + static_cast<int>(c.sinalSvc));
    EXPECT_EQ(VaiParaEpec(c.politica, c.sinalSvc), c.epec);
  }
}

TEST(Epec, TipoEmissaoDoPeriodo) {
  EXPECT_EQ(TipoEmissaoDoPeriodo("EPEC"), 4);
  EXPECT_EQ(TipoEmissaoDoPeriodo("SVC-AN"), 6);
  EXPECT_EQ(TipoEmissaoDoPeriodo("SVC-RS"), 7);
  EXPECT_EQ(TipoEmissaoDoPeriodo("epec"), 0);
}

// 168 hours from dhEmi; the last 24 are announced.
TEST(Epec, PrazoDeSeteDias) {
  constexpr int64_t emissao = 1'800'000'000, hora = 3600;
  struct Caso { int64_t depois; PrazoEpec prazo; } casos[] = {
      {0, PrazoEpec::NoPrazo},
      {144 * hora - 1, PrazoEpec::NoPrazo},
      {144 * hora, PrazoEpec::UltimoDia},
      {168 * hora - 1, PrazoEpec::UltimoDia},
      {168 * hora, PrazoEpec::Vencido},
      {400 * hora, PrazoEpec::Vencido},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.depois);
    EXPECT_EQ(SituacaoPrazoEpec(emissao, emissao + c.depois), c.prazo);
  }
}

}  // namespace
}  // namespace velant
