#pragma once
// A fresh Host context on a temporary root, with a headless operator
// interface and a clock the test sets; a handler double that records its calls.
// (Tests of other folders include it too: what it includes, they may rely on.)
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/tabela_tsv_teste.h"
#include "apoio/arquivos_teste.h"
#include "base/caminhos.h"
#include "base/data_hora.h"
#include "base/erro.h"
#include "contexto/vetores_nfe.h"
#include "contexto/contexto.h"
#include "manager/estado_gerenciador.h"
#include "manager/manipuladores_comando.h"
#include "contexto/configuracao_host.h"
#include "contexto/solicitacao_atual.h"
#include "plataforma/perfil_ini.h"
#include "plataforma/registro_eventos.h"
#include "plataforma/registro_windows.h"
#include "data/apoio_dados.h"
#include "data/configuracao_banco.h"
#include "data/solicitacao_funcao_nfe.h"
#include "data/tabelas_solicitacao.h"
#include "ui/interface_headless.h"

namespace velant::teste {

class RelogioTeste : public Relogio {
 public:
  mutable DataHora agora = DataHora::De(2026, 12, 5, 9, 5, 7);
  // Seconds added at every reading; lets a wait come to its end.
  double passoSegundos = 0;
  DataHora Agora() const override {
    DataHora r = agora;
    if (passoSegundos != 0) agora = DataHora(agora.Serial() + passoSegundos / 86400.0);
    return r;
  }
};

struct AmbienteTeste {
  PastaTemporaria pasta;
  std::filesystem::path raiz = pasta.Caminho();
  InterfaceHeadless ui{true};
  RelogioTeste relogio;
  MapeadorCaminhos caminhos{raiz};
  PerfilIni ini{caminhos};
  RegistroWindows registro{raiz / "registro.reg"};
  RegistroEventos log{ui, caminhos, relogio};
  ConfiguracaoHost host;
  SolicitacaoAtual atual;
  TabelasSolicitacao tabelas;
  VetoresNFe vetores;
  Contexto ctx{ui, relogio, caminhos, ini, registro, log, host, atual, tabelas, vetores, nullptr, nullptr, nullptr, {}, {}};
  EstadoGerenciador janela;

  // The daily log file of the clock's day, whole.
  std::string ArquivoLog() const { return LerTudo(caminhos.Mapear(RegistroEventos::NomeArquivoLog(relogio.agora))); }
  bool NaLista(const std::string& linha) const { return std::ranges::count(ui.Eventos(), linha) > 0; }
};

// A whole request: the command, control number 1, the fields, the terminator.
inline std::string Pedido(const std::string& comando, const std::vector<std::string>& campos = {}) {
  std::string texto = "000-000 - " + comando + "\r\n001-000 - 1\r\n";
  for (const auto& c : campos) texto += c + "\r\n";
  return texto + "999-999 - \r\n";
}

// An open request of the front end, written through the request record.
inline bool IncluiPedido(data::CConexaoNfe& conexao, AmbienteTeste& a, int32_t nsu, const std::string& texto,
                         const std::string& ip = "10.0.0.5") {
  data::cSolicitacaoFuncaoNFe ac(conexao, a.host, a.ui);
  ac.NSU(nsu);
  ac.IPComputadorAC(ip);
  ac.Texto(texto);
  return ac.Incluir();
}

// Records the calls as "Rotina(arg|arg...)"; each handler returns `resultado`
// or raises when `erro` is set.
class ManipuladoresTeste : public ManipuladoresComando {
 public:
  bool resultado = true;
  std::optional<std::string> erro;
  std::function<void()> efeito;   // runs inside the handler
  std::vector<std::string> chamadas;

  bool CancelaNFe(const std::string& n, const std::string& c, const std::string& s, const std::string& p,
                  const std::string& j) override {
    return Chamada("CancelaNFe", {n, c, s, p, j});
  }
  bool ProcessaNFeAzure() override { return Chamada("ProcessaNFeAzure", {}); }
  bool TestaServidores() override { return Chamada("TestaServidores", {}); }
  bool ImprimirNFE(const std::string& c, const std::string& p, DataHora d) override {
    return Chamada("ImprimirNFE", {c, p, std::to_string(d.Dia()) + "/" + std::to_string(d.Mes()) + "/" + std::to_string(d.Ano())});
  }
  bool EnviaEmailNFe() override { return Chamada("EnviaEmailNFe", {}); }
  bool EnviaEmailContador() override { return Chamada("EnviaEmailContador", {}); }
  bool InutilizaNFe(const std::string& a, const std::string& i, const std::string& f, const std::string& j) override {
    return Chamada("InutilizaNFe", {a, i, f, j});
  }
  bool CartaCorrecao(const std::string& c, const std::string& s, const std::string& t) override {
    return Chamada("CartaCorrecao", {c, s, t});
  }

 private:
  bool Chamada(const std::string& rotina, std::initializer_list<std::string> argumentos) {
    std::string c = rotina + "(";
    for (const auto& a : argumentos) c += (&a == argumentos.begin() ? "" : "|") + a;
    chamadas.push_back(c + ")");
    if (efeito) efeito();
    if (erro) throw ErroExecucao(CodigoErro::ErroComponente, *erro);
    return resultado;
  }
};

}  // namespace velant::teste
