#include "lifecycle/politica_contingencia.h"

#include <gtest/gtest.h>

namespace velant {
namespace {

using P = PoliticaContingencia;
using S = SinalServico;
using A = AcaoContingencia;

TEST(PoliticaContingencia, ValoresDoRegistro) {
  const struct {
    const char* valor;
    std::optional<P> politica;
  } casos[] = {{"", P::Manual}, {" MANUAL ", P::Manual}, {"svc", P::Svc}, {"SVC+EPEC", P::SvcEpec},
               {"svc+epec", P::SvcEpec}, {"EPEC", std::nullopt}, {"sim", std::nullopt}};
  for (const auto& c : casos) EXPECT_EQ(LePoliticaContingencia(c.valor), c.politica) << c.valor;
}

// Enter on a paused service or on N transport failures in a row, only under
// a policy or when forced; leave only when the status answers 107, and not
// while forced.
TEST(PoliticaContingencia, EntradaESaida) {
  const struct { const char* nome; SituacaoContingencia situacao; S sinal; A acao; } casos[] = {
      {"manual paralisado", {P::Manual, false, false, 0, 3}, S::Paralisado, A::Nenhuma},
      {"manual sem resposta", {P::Manual, false, false, 9, 3}, S::FalhaTransporte, A::Nenhuma},
      {"SVC paralisado", {P::Svc, false, false, 0, 3}, S::Paralisado, A::Entra},
      {"SVC+EPEC paralisado", {P::SvcEpec, false, false, 0, 3}, S::Paralisado, A::Entra},
      {"SVC falhas abaixo de N", {P::Svc, false, false, 2, 3}, S::FalhaTransporte, A::Nenhuma},
      {"SVC N falhas", {P::Svc, false, false, 3, 3}, S::FalhaTransporte, A::Entra},
      {"SVC rejeição qualquer", {P::Svc, false, false, 5, 3}, S::Outro, A::Nenhuma},
      {"SVC em operação", {P::Svc, false, false, 0, 3}, S::EmOperacao, A::Nenhuma},
      {"forçada entra", {P::Manual, true, false, 0, 3}, S::Outro, A::Entra},
      {"forçada não sai", {P::Svc, true, true, 0, 3}, S::EmOperacao, A::Nenhuma},
      {"em contingência volta 107", {P::Svc, false, true, 0, 3}, S::EmOperacao, A::Sai},
      {"manual em contingência volta 107", {P::Manual, false, true, 0, 3}, S::EmOperacao, A::Sai},
      {"em contingência ainda 109", {P::Svc, false, true, 0, 3}, S::Paralisado, A::Nenhuma},
      {"em contingência sem resposta", {P::Svc, false, true, 0, 3}, S::FalhaTransporte, A::Nenhuma},
  };
  for (const auto& c : casos) {
    const DecisaoContingencia d = DecideContingencia(c.situacao, c.sinal, "109 - Serviço Paralisado sem Previsão");
    EXPECT_EQ(d.acao, c.acao) << c.nome;
    EXPECT_EQ(d.motivo.empty(), c.acao == A::Nenhuma) << c.nome << ": " << d.motivo;
  }
}

// SVC failed an invoice: only SVC+EPEC goes on to EPEC, and only when SVC surely did not take it.
TEST(Epec, SoSvcMaisEpecComSvcFora) {
  const struct { P politica; S sinalSvc; bool epec; } casos[] = {
      {P::SvcEpec, S::Paralisado, true}, {P::SvcEpec, S::FalhaTransporte, true}, {P::SvcEpec, S::Outro, false},
      {P::SvcEpec, S::EmOperacao, false}, {P::Svc, S::Paralisado, false}, {P::Manual, S::FalhaTransporte, false}};
  for (const auto& c : casos)
    EXPECT_EQ(VaiParaEpec(c.politica, c.sinalSvc), c.epec) << static_cast<int>(c.politica) << "/" << static_cast<int>(c.sinalSvc);
}

TEST(Epec, TipoEmissaoDoPeriodo) {
  for (const auto& [modo, tipo] : std::vector<std::pair<std::string, int>>{{"EPEC", 4}, {"SVC-AN", 6}, {"SVC-RS", 7}, {"epec", 0}})
    EXPECT_EQ(TipoEmissaoDoPeriodo(modo), tipo) << modo;
}

// 168 hours from dhEmi; the last 24 are announced.
TEST(Epec, PrazoDeSeteDias) {
  constexpr int64_t emissao = 1'800'000'000, hora = 3600;
  const struct { int64_t depois; PrazoEpec prazo; } casos[] = {
      {144 * hora - 1, PrazoEpec::NoPrazo}, {144 * hora, PrazoEpec::UltimoDia}, {168 * hora - 1, PrazoEpec::UltimoDia}, {168 * hora, PrazoEpec::Vencido}};
  for (const auto& c : casos) EXPECT_EQ(SituacaoPrazoEpec(emissao, emissao + c.depois), c.prazo) << c.depois;
}

}  // namespace
}  // namespace velant
