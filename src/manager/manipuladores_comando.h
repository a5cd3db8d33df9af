#pragma once
// The handlers the dispatch of the poll loop calls, one per command. The Host
// uses ManipuladoresLifecycle; tests give their own.
#include <string>

#include "base/data_hora.h"
#include "contexto/contexto.h"

namespace velant {

class ManipuladoresComando {
 public:
  virtual ~ManipuladoresComando() = default;

  // "CANCELAR NFE"
  virtual bool CancelaNFe(const std::string& numeroNF, const std::string& chaveAcesso, const std::string& sequencia,
                          const std::string& protocolo, const std::string& justificativa) = 0;
  // "NFE3.10": the invoice given by CodigoEmpresa, SerieAtual, NumeroAtual.
  virtual bool ProcessaNFeAzure() = 0;
  // "STATUS SERVICO"
  virtual bool TestaServidores() = 0;
  // "IMPRIMIR DANFE"
  virtual bool ImprimirNFE(const std::string& chaveAcesso, const std::string& protocolo, DataHora dataEmissao) = 0;
  // "ENVIA EMAIL"
  virtual bool EnviaEmailNFe() = 0;
  // "ENVIA NFE EMAIL CONT"
  virtual bool EnviaEmailContador() = 0;
  // "INUTILIZA NFE"
  virtual bool InutilizaNFe(const std::string& ano, const std::string& numeroInicial, const std::string& numeroFinal,
                            const std::string& justificativa) = 0;
  // "CARTA CORRECAO": sequence "" for the one after the last stored.
  virtual bool CartaCorrecao(const std::string& chaveAcesso, const std::string& sequencia,
                             const std::string& correcao) = 0;
};

// The lifecycle routines. A routine that this build does not have yet raises
// an error saying so; the poll loop answers the request with the failure.
class ManipuladoresLifecycle : public ManipuladoresComando {
 public:
  explicit ManipuladoresLifecycle(Contexto& ctx) : ctx_(ctx) {}

  bool CancelaNFe(const std::string& numeroNF, const std::string& chaveAcesso, const std::string& sequencia,
                  const std::string& protocolo, const std::string& justificativa) override;
  bool ProcessaNFeAzure() override;
  bool TestaServidores() override;
  bool ImprimirNFE(const std::string& chaveAcesso, const std::string& protocolo, DataHora dataEmissao) override;
  bool EnviaEmailNFe() override;
  bool EnviaEmailContador() override;
  bool InutilizaNFe(const std::string& ano, const std::string& numeroInicial, const std::string& numeroFinal,
                    const std::string& justificativa) override;
  bool CartaCorrecao(const std::string& chaveAcesso, const std::string& sequencia,
                     const std::string& correcao) override;

 private:
  Contexto& ctx_;
};

}  // namespace velant
