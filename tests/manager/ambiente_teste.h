#pragma once
// A fresh Host context on a temporary root, with a headless operator
// interface and a clock the test sets.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "base/tabela_tsv_teste.h"
#include "apoio/arquivos_teste.h"
#include "base/caminhos.h"
#include "base/data_hora.h"
#include "contexto/vetores_nfe.h"
#include "contexto/contexto.h"
#include "manager/estado_gerenciador.h"
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

// The rows of the case table tests/manager/<nome>: tab-separated cells under a
// line naming the columns; lines starting with # are comments; \r, \n and
// \xNN in a cell stand for those bytes.
using Caso = CasoTsv;
inline std::vector<Caso> LeCasos(const std::string& nome) { return LerCasosTsv("manager/" + nome); }

// A request text: every line ended by CR LF.
inline std::string Solicitacao(std::initializer_list<std::string> linhas) {
  std::string texto;
  for (const auto& l : linhas) texto += l + "\r\n";
  return texto;
}

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

// The INI's database section naming the test PostgreSQL server's database.
inline void ConfiguraPostgreSql(AmbienteTeste& a, const data::teste::BancoPostgreSqlTeste& pg) {
  const auto grava = [&](const char* chave, const std::string& valor) {
    a.ini.GravarIni(data::kSecaoBanco, chave, valor, data::kCaminhoIni);
  };
  grava(data::kChaveTipoBanco, "POSTGRESQL");
  grava(data::kChaveIPBanco, "127.0.0.1");
  grava(data::kChavePortaBanco, data::teste::PortaPostgreSqlTeste());
  grava(data::kChaveNomeInterno, pg.sufixo);
  grava(data::kChaveUsuarioBanco, "postgres");
}

}  // namespace velant::teste
