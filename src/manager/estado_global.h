#pragma once
// Process-wide request values and switches (module mRotinasGerais). One
// instance lives for the whole run, owned by the manager; every request
// overwrites what it carries. Tests build a fresh one.
#include <cstdint>
#include <string>

#include "base/data_hora.h"

namespace velant {

struct EstadoGlobal {
  // Start-up and configuration.
  std::string VersaoSistema = "6.07.01.1";
  std::string CaminhoIni = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini";
  std::string IPProcessamento;
  std::string PastaBase = "C:\\Dunmor";
  // Dialect switches of the SQL value formatting.
  bool BancoAccess = false;
  bool BancoSqlServer = true;
  bool BancoMySql = false;
  bool BancoOracle = false;
  bool BancoSqlite = false;
  bool BancoPostgreSql = false;

  // The request being served.
  int32_t NSUAtual = 0;
  std::string ComandoEmExecucao;
  std::string SerieAtual;
  int32_t NumeroAtual = 0;
  DataHora DataEmissaoAtual;
  std::string MensagemRetorno;
  bool NFeProcessada = false;

  // Request parameters (codes 0xx-000).
  int16_t CodigoEmpresa = 0;
  std::string RegimeTributario = "3";
  std::string IndicadorDevolucao;
  std::string ChaveReferenciada;
  std::string ChaveAcessoSolicitada;
  std::string ProtocoloSolicitado;
  std::string JustificativaSolicitada;
  std::string TextoComplementarIde;
  int16_t NumeroComplementarIde = 0;
  std::string NomeEmpresaEmissora;
  std::string EmailDestinatario;
  std::string EmailEmitente;
  std::string ArquivoAnexoEmail;
  std::string TextoAdicionalEmail;
  std::string gCodigoUfEmitente;

  // Emission pipeline.
  std::string NumeroLote;
  std::string NumeroRecepcao;
  std::string RetornoServico;
  std::string ArquivoAtual;
  bool EmissaoConcluida = false;
  std::string ObservacaoEmissao;
};

}  // namespace velant
