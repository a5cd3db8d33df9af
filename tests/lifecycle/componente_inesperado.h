#pragma once
// A stand-in fiscal component on which every operation is a fault of the
// routine under test: the stand-ins of the tests override only the
// operations their routine may call.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "component/fiscal_doc_service.h"

namespace velant::teste {

class ComponenteInesperado : public FiscalDocService {
 public:
  using S = const std::string&;
  std::string AssinaXml(S, S) override { Inesperada("AssinaXml"); }
  std::string GeraLote(S, int32_t) override { Inesperada("GeraLote"); }
  RespostaSituacao ConsultaSituacao(S) override { Inesperada("ConsultaSituacao"); }
  std::string ImprimeDanfe(S, S, int32_t, int32_t) override { Inesperada("ImprimeDanfe"); }
  RespostaLote EnviaLote(S) override { Inesperada("EnviaLote"); }
  RespostaLote ConsultaLote(S) override { Inesperada("ConsultaLote"); }
  RespostaStatus StatusServico() override { Inesperada("StatusServico"); }
  RespostaRegistro InutilizaNumeracao(S, S, S, S) override { Inesperada("InutilizaNumeracao"); }
  bool ValidaXml(S, S, bool) override { Inesperada("ValidaXml"); }
  std::string GeraDistribuicao(S) override { Inesperada("GeraDistribuicao"); }
  bool EnviaEmail(S, S, S, S) override { Inesperada("EnviaEmail"); }
  RespostaRegistro EventoCancelamento(S, S, S, S, S) override { Inesperada("EventoCancelamento"); }
  RespostaRegistro EventoCartaCorrecao(S, S, S) override { Inesperada("EventoCartaCorrecao"); }
  std::string GeraChaveAcesso(S, S, S, int32_t, int32_t, int32_t, int32_t, int32_t) override {
    Inesperada("GeraChaveAcesso");
  }

 private:
  [[noreturn]] static void Inesperada(const char* operacao) {
    throw std::logic_error(std::string("operação inesperada: ") + operacao);
  }
};

}  // namespace velant::teste
