#pragma once
// Everything a routine of the Host may need, by reference. The manager owns
// the objects and builds one Contexto; tests build their own with fresh
// state and test doubles.
#include <cstdint>
#include <memory>

#include "base/caminhos.h"
#include "base/data_hora.h"
#include "component/fiscal_doc_service.h"
#include "content/vetores_nfe.h"
#include "manager/estado_global.h"
#include "manager/plataforma/perfil_ini.h"
#include "manager/plataforma/registro_eventos.h"
#include "manager/plataforma/registro_windows.h"
#include "manager/tabelas_solicitacao.h"
#include "ui/interface_operador.h"

namespace velant {

namespace data {
class CConexaoNfe;
class cSolicitacaoFuncaoNFe;
}  // namespace data
class GeradorXmlNFe;

struct Contexto {
  InterfaceOperador& ui;
  const Relogio& relogio;
  const MapeadorCaminhos& caminhos;
  const PerfilIni& ini;
  const RegistroWindows& registro;
  RegistroEventos& log;
  EstadoGlobal& estado;
  TabelasSolicitacao& tabelas;
  VetoresNFe& vetores;
  // Created on first use and kept for the run; may be null before that.
  data::CConexaoNfe* ConexaoBanco = nullptr;
  data::cSolicitacaoFuncaoNFe* Solicitacao = nullptr;
  GeradorXmlNFe* GeradorXml = nullptr;
  FabricaFiscalDocService CriaFiscalDocService;
};

// Waits until n second boundaries have passed, processing window events.
void AguardaSegundos(Contexto& ctx, int16_t n);

}  // namespace velant
