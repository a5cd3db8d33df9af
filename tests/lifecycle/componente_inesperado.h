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
  std::string AssinaXml(const std::string&, const std::string&) override { Inesperada("AssinaXml"); }
  std::string GeraLote(const std::string&, int32_t) override { Inesperada("GeraLote"); }
  RespostaSituacao ConsultaSituacao(const std::string&) override { Inesperada("ConsultaSituacao"); }
  std::string ImprimeDanfe(const std::string&, const std::string&, int32_t, int32_t) override {
    Inesperada("ImprimeDanfe");
  }
  RespostaLote EnviaLote(const std::string&) override { Inesperada("EnviaLote"); }
  RespostaLote ConsultaLote(const std::string&) override { Inesperada("ConsultaLote"); }
  RespostaStatus StatusServico() override { Inesperada("StatusServico"); }
  RespostaRegistro InutilizaNumeracao(const std::string&, const std::string&, const std::string&,
                                 const std::string&) override {
    Inesperada("InutilizaNumeracao");
  }
  bool ValidaXml(const std::string&, const std::string&, bool) override { Inesperada("ValidaXml"); }
  std::string GeraDistribuicao(const std::string&) override { Inesperada("GeraDistribuicao"); }
  bool EnviaEmail(const std::string&, const std::string&, const std::string&, const std::string&) override {
    Inesperada("EnviaEmail");
  }
  RespostaRegistro EventoCancelamento(const std::string&, const std::string&, const std::string&, const std::string&,
                                 const std::string&) override {
    Inesperada("EventoCancelamento");
  }
  RespostaRegistro EventoCartaCorrecao(const std::string&, const std::string&, const std::string&) override {
    Inesperada("EventoCartaCorrecao");
  }
  std::string GeraChaveAcesso(const std::string&, const std::string&, const std::string&, int32_t, int32_t, int32_t,
                              int32_t, int32_t) override {
    Inesperada("GeraChaveAcesso");
  }

 private:
  [[noreturn]] static void Inesperada(const char* operacao) {
    throw std::logic_error(std::string("operação inesperada: ") + operacao);
  }
};

}  // namespace velant::teste
