#pragma once
// FiscalDocService: the fiscal document component the lifecycle routines
// call. Each routine creates a fresh instance through the factory and drops
// it on return. A failing operation raises ErroExecucao (ErroComponente),
// which the calling routine's handler logs. The operations that ask the
// tax authority return what it answered, read (resposta_autoridade.h); the
// texts for the front end and the log are textos_resposta.h's.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/erro.h"
#include "component/resposta_autoridade.h"
#include "contexto/fabrica_servico.h"

namespace velant {

class FiscalDocService {
 public:
  virtual ~FiscalDocService() = default;

  virtual std::string AssinaXml(const std::string& arquivo, const std::string& tag) = 0;
  virtual std::string GeraLote(const std::string& arquivoAssinado, int32_t numeroLote) = 0;
  virtual RespostaSituacao ConsultaSituacao(const std::string& chave) = 0;
  virtual std::string ImprimeDanfe(const std::string& arquivoDistribuicao, const std::string& arquivoPdf,
                                   int32_t modo, int32_t reservado) = 0;
  virtual RespostaLote EnviaLote(const std::string& arquivoLote) = 0;
  virtual RespostaLote ConsultaLote(const std::string& numeroRecepcao) = 0;
  virtual RespostaStatus StatusServico() = 0;
  virtual RespostaRegistro InutilizaNumeracao(const std::string& ano, const std::string& numeroInicial,
                                              const std::string& numeroFinal, const std::string& justificativa) = 0;
  virtual bool ValidaXml(const std::string& arquivo, const std::string& esquema, bool mostrarErro) = 0;
  virtual std::string GeraDistribuicao(const std::string& chave) = 0;
  virtual bool EnviaEmail(const std::string& destinatario, const std::string& assunto, const std::string& corpo,
                          const std::string& anexo) = 0;
  virtual RespostaRegistro EventoCancelamento(const std::string& numeroNF7, const std::string& chave,
                                              const std::string& sequencia, const std::string& protocolo,
                                              const std::string& justificativa) = 0;
  // The correction letter (event 110110) of the key with sequence 1 to 20
  // and the text it carries (every correction so far).
  virtual RespostaRegistro EventoCartaCorrecao(const std::string& chave, const std::string& sequencia,
                                               const std::string& correcao) = 0;
  // The EPEC (event 110140) of the invoice of the key, issued with tpEmis 4
  // and signed here, to the national environment. 136 with distribuicao
  // (its procEventoNFe) when registered and believed.
  virtual RespostaRegistro EventoEpec(const std::string& chave) {
    throw ErroExecucao(CodigoErro::ErroComponente, "EPEC não disponível neste componente: " + chave);
  }
  virtual std::string GeraChaveAcesso(const std::string& codigoUF, const std::string& dataEmissao,
                                      const std::string& cnpj, int32_t modelo, int32_t serie, int32_t numero,
                                      int32_t tipoEmissao, int32_t codigoNumerico) = 0;
};

}  // namespace velant
