#pragma once
// The front end's side of the request queue: the configuration of a root
// folder, the database it names and the request record.
#include <memory>
#include <string>
#include <vector>

#include "base/caminhos.h"
#include "base/data_hora.h"
#include "data/conexao_nfe.h"
#include "data/solicitacao_funcao_nfe.h"
#include "contexto/configuracao_host.h"
#include "contexto/solicitacao_atual.h"
#include "plataforma/perfil_ini.h"
#include "ui/interface_headless.h"

namespace velant::ac {

struct OpcoesAC {
  std::string raiz;
  std::string ip;
  int esperaSegundos = 60;
  bool confirmar = false;
  std::vector<std::string> resto;
  std::vector<std::string> campos;   // enviar --campo: "CODIGO=VALOR"
  std::string serie = "1";           // consultar --serie
  int empresa = -1;                  // consultar --empresa (-1: any)
  std::string valor;                 // consultar --valor
};

// What the command does with the queue. No command creates a root or an INI
// file: a root is one a Host has used. A command that only reads does not
// create the database either: it says what is missing.
enum class UsoFila { Gravacao, Leitura };

class FilaAC {
 public:
  // Raises std::runtime_error naming what is missing or refused (and, for
  // Leitura, why the database did not open).
  explicit FilaAC(const OpcoesAC& opcoes, UsoFila uso = UsoFila::Gravacao);

  bool Conectada() { return conexao_->ConexaoAtiva(); }
  data::CConexaoNfe& Conexao() { return *conexao_; }
  data::cSolicitacaoFuncaoNFe& Solicitacao() { return *solicitacao_; }
  const RelogioSistema& Relogio() const { return relogio_; }
  const std::filesystem::path& Raiz() const { return caminhos_.Raiz(); }
  // The Host this front end writes to: --ip, else the INI's, else this computer's.
  std::string IPDoHost(const std::string& opcao);
  // The IP the INI file of this root serves ("" when the key is empty).
  std::string IPDoIni() const;

 private:
  InterfaceHeadless ui_;   // the data layer's message boxes go to stderr
  RelogioSistema relogio_;
  MapeadorCaminhos caminhos_;
  PerfilIni ini_;
  ConfiguracaoHost host_;
  SolicitacaoAtual atual_;
  std::unique_ptr<data::CConexaoNfe> conexao_;
  std::unique_ptr<data::cSolicitacaoFuncaoNFe> solicitacao_;
};

int Enviar(FilaAC& fila, const OpcoesAC& opcoes, const std::string& arquivo);
int Consultar(FilaAC& fila, const OpcoesAC& opcoes, int32_t numero);
int Listar(FilaAC& fila);
int Mostrar(FilaAC& fila, int32_t nsu);

// "HH:mm:ss", or "-" for the zero date-time.
std::string Hora(DataHora d);
// A column's value as text; "" for Null and Empty.
std::string TextoColuna(const Valor& v);

}  // namespace velant::ac
