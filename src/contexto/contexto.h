#pragma once
// Everything a routine of the Host may need, by reference. The manager owns
// the objects and builds one Contexto; tests build their own with fresh
// state and test doubles. The objects of the layers above (database, request
// tables, XML generator, component) are only named here; a routine includes
// the header of what it uses.
#include <cstdint>
#include <functional>

#include "base/caminhos.h"
#include "base/data_hora.h"
#include "contexto/configuracao_host.h"
#include "contexto/fabrica_servico.h"
#include "contexto/solicitacao_atual.h"
#include "contexto/vetores_nfe.h"
#include "plataforma/perfil_ini.h"
#include "plataforma/registro_eventos.h"
#include "plataforma/registro_windows.h"
#include "ui/interface_operador.h"

namespace velant {

namespace data {
class CConexaoNfe;
class cSolicitacaoFuncaoNFe;
}  // namespace data
class GeradorXmlNFe;
struct TabelasSolicitacao;

struct Contexto {
  InterfaceOperador& ui;
  const Relogio& relogio;
  const MapeadorCaminhos& caminhos;
  const PerfilIni& ini;
  const RegistroWindows& registro;
  RegistroEventos& log;
  // Built by start-up (which holds it writable), then only read.
  const ConfiguracaoHost& host;
  SolicitacaoAtual& atual;
  TabelasSolicitacao& tabelas;
  VetoresNFe& vetores;
  // Created on first use and kept for the run; may be null before that.
  data::CConexaoNfe* ConexaoBanco = nullptr;
  data::cSolicitacaoFuncaoNFe* Solicitacao = nullptr;
  GeradorXmlNFe* GeradorXml = nullptr;
  FabricaFiscalDocService CriaFiscalDocService;
  // The Host's heartbeat (set by the manager): the waits of a request call it,
  // so that other Hosts see this one alive while it is busy.
  std::function<void()> Batimento;
};

// Waits until n second boundaries have passed, processing window events and
// keeping the heartbeat going.
void AguardaSegundos(Contexto& ctx, int16_t n);

}  // namespace velant
