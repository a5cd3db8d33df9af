#pragma once
// The values of the request in hand. The parser resets them for every
// request (LimpaSolicitacao) and fills what the request carries; the poll
// loop and the handlers fill the rest.
#include <cstdint>
#include <string>

#include "base/data_hora.h"

namespace velant {

struct SolicitacaoAtual {
  // Set by the poll loop.
  int32_t NSUAtual = 0;
  std::string ComandoEmExecucao;
  std::string SerieAtual;
  int32_t NumeroAtual = 0;
  DataHora DataEmissaoAtual;
  std::string MensagemRetorno;
  bool NFeProcessada = false;
  // Why a command whose failure has a fixed answer text failed, when the
  // cause is one the front end can act on (a refused attachment, a copy of
  // the mail that did not go, the certificate): it replaces that text as the
  // row's message. Emptied before every handler.
  std::string MotivoFalha;
  // The answer of a command done in a way its fixed approval text does not
  // tell (an invoice issued in EPEC contingency): it replaces that text.
  // Emptied before every handler.
  std::string RespostaAprovada;

  // Request parameters (codes 0xx-000).
  int16_t CodigoEmpresa = 0;
  std::string RegimeTributario = "3";
  // Deliberately kept from one request to the next: the front end sends it
  // once and then omits it.
  std::string PastaBase = "C:\\Dunmor";
  std::string IndicadorDevolucao;
  std::string ChaveReferenciada;
  std::string ChaveAcessoSolicitada;
  std::string ProtocoloSolicitado;
  std::string JustificativaSolicitada;
  // The correction letter (053-000, 054-000) and the option of "ENVIA EMAIL"
  // to mail the last one with the invoice (055-000 "S").
  std::string SequenciaEventoSolicitada;
  std::string CorrecaoSolicitada;
  bool CartaCorrecaoNoEmail = false;
  std::string TextoComplementarIde;
  int16_t NumeroComplementarIde = 0;
  std::string NomeEmpresaEmissora;
  std::string EmailDestinatario;
  std::string EmailEmitente;
  std::string ArquivoAnexoEmail;
  std::string TextoAdicionalEmail;
  std::string gCodigoUfEmitente;
  // Layout of the invoice being issued: "4.00" for the command "NFE4.00";
  // empty for "NFE3.10", which the generation resolves from the registry
  // value "LeiauteNFe" ("3.10" when absent) and writes back here.
  std::string LeiauteNFe;
  // Payment of a layout 4.00 invoice (codes 400-000 to 407-000); empty when
  // the request does not carry them.
  struct Pagamento {
    std::string tPag, xPag, vTroco, tpIntegra, CNPJ, tBand, cAut, indIntermed;
  } PagamentoSolicitado;

  // Emission pipeline.
  std::string NumeroLote;
  std::string NumeroRecepcao;
  std::string RetornoServico;
  std::string ArquivoAtual;
  bool EmissaoConcluida = false;
  std::string ObservacaoEmissao;
  // The state's service is replaced by its SVC now (ContingenciaNFe): set
  // by the routine before it calls the component, which sends the events of
  // SVC invoices there.
  bool ContingenciaEmVigor = false;
  // Why the last send of the batch failed, for the contingency decision.
  enum class FalhaEnvio { Nenhuma, Paralisado, SvcDesabilitada, ConexaoRecusada, SemResposta } FalhaEnvioLote =
      FalhaEnvio::Nenhuma;
  std::string DetalheFalhaEnvio;
};

}  // namespace velant
