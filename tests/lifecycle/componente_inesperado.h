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
  std::string ConsultaSituacao(const std::string&) override { Inesperada("ConsultaSituacao"); }
  std::string ImprimeDanfe(const std::string&, const std::string&, int32_t, int32_t) override {
    Inesperada("ImprimeDanfe");
  }
  std::string EnviaLote(const std::string&) override { Inesperada("EnviaLote"); }
  std::string ConsultaLote(const std::string&) override { Inesperada("ConsultaLote"); }
  std::string StatusServico() override { Inesperada("StatusServico"); }
  std::string InutilizaNumeracao(const std::string&, const std::string&, const std::string&,
                                 const std::string&) override {
    Inesperada("InutilizaNumeracao");
  }
  bool ValidaXml(const std::string&, const std::string&, bool) override { Inesperada("ValidaXml"); }
  std::string GeraDistribuicao(const std::string&) override { Inesperada("GeraDistribuicao"); }
  bool EnviaEmail(const std::string&, const std::string&, const std::string&, const std::string&) override {
    Inesperada("EnviaEmail");
  }
  std::string EventoCancelamento(const std::string&, const std::string&, const std::string&, const std::string&,
                                 const std::string&) override {
    Inesperada("EventoCancelamento");
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
