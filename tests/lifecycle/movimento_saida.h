#pragma once
// For the event and voiding routines: a component that answers the
// three operations with a given answer and records their arguments, and a Host
// context on the root's SQLite database where the front end's rows are made.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lifecycle/apoio_emissao.h"

namespace velant::teste {

// An event or voiding answer as the component reads it.
inline RespostaRegistro Retorno(const std::string& cStat, const std::string& xMotivo, const std::string& nProt = "") {
  return {.cStat = cStat, .xMotivo = xMotivo, .nProt = nProt};
}

// Answers the three operations with the test's answer, for the key it was
// asked about unless the answer names another, and records their arguments.
class ComponenteResposta : public ComponenteInesperado {
 public:
  ComponenteResposta(RespostaRegistro resposta, std::vector<std::string>& chamadas)
      : resposta_(std::move(resposta)), chamadas_(chamadas) {}
  RespostaRegistro EventoCancelamento(const std::string& numero, const std::string& chave, const std::string& sequencia,
                                      const std::string& protocolo, const std::string& justificativa) override {
    return Registra("EventoCancelamento", {numero, chave, sequencia, protocolo, justificativa}, chave);
  }
  RespostaRegistro EventoCartaCorrecao(const std::string& chave, const std::string& sequencia,
                                       const std::string& correcao) override {
    return Registra("EventoCartaCorrecao", {chave, sequencia, correcao}, chave);
  }
  RespostaRegistro InutilizaNumeracao(const std::string& ano, const std::string& inicial, const std::string& final_,
                                      const std::string& justificativa) override {
    return Registra("InutilizaNumeracao", {ano, inicial, final_, justificativa}, "");
  }

 private:
  RespostaRegistro Registra(const std::string& operacao, const std::vector<std::string>& args, const std::string& chave) {
    std::string chamada = operacao + "(";
    for (size_t i = 0; i < args.size(); ++i) chamada += (i ? "|" : "") + args[i];
    chamadas_.push_back(chamada + ")");
    RespostaRegistro r = resposta_;
    if (r.chNFe.empty()) r.chNFe = chave;
    return r;
  }
  RespostaRegistro resposta_;
  std::vector<std::string>& chamadas_;
};

// The emission tests' context, with the front end's company and series and a
// component that gives the test's answer.
class MovimentoSaida : public AmbienteEmissao {
 protected:
  MovimentoSaida() {
    a.ctx.CriaFiscalDocService = [this] { return std::make_unique<ComponenteResposta>(resposta, chamadas); };
    a.atual.CodigoEmpresa = 1;
    a.atual.SerieAtual = "1";
  }
  // The integer columns of every row the query selects, in order.
  std::vector<std::vector<int64_t>> Linhas(const std::string& sql) {
    auto rs = conexao->RsConexao(sql);
    std::vector<std::vector<int64_t>> r;
    for (; !rs->Eof(); rs->MoveNext()) {
      r.emplace_back();
      for (int32_t i = 0; i < rs->QuantidadeCampos(); ++i) r.back().push_back(CLngLng(rs->Value(i)));
    }
    return r;
  }
  // The boxes shown, from the n-th on.
  std::vector<std::string> Caixas(size_t n = 0) const {
    std::vector<std::string> r;
    for (size_t i = n; i < a.ui.Caixas().size(); ++i) r.push_back(a.ui.Caixas()[i].prompt);
    return r;
  }

  RespostaRegistro resposta;
  std::vector<std::string> chamadas;
};

}  // namespace velant::teste
