#pragma once
// An in-memory request queue behind the request record's interface, with
// switches to make each database call fail, and a handler double that
// records its calls.
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/erro.h"
#include "data/conexao_nfe.h"
#include "data/solicitacao_funcao_nfe.h"
#include "manager/manipuladores_comando.h"

namespace velant::teste {

class ConexaoFalsa : public data::CConexaoNfe {
 public:
  explicit ConexaoFalsa(InterfaceOperador& ui) : data::CConexaoNfe(ui) {}
};

struct LinhaFalsa {
  std::string texto;
  std::string ip;
  DataHora analise, aprovacao, cancelamentoHost;
  std::string mensagem;
};

class FilaFalsa : public data::cSolicitacaoFuncaoNFe {
 public:
  FilaFalsa(data::CConexaoNfe& c, EstadoGlobal& e, InterfaceOperador& ui) : data::cSolicitacaoFuncaoNFe(c, e, ui) {}

  std::map<int32_t, LinhaFalsa> linhas;
  bool falhaBusca = false;         // LocalizarAnalise raises
  bool recusaAnalise = false;      // DefineHoraAnalise returns false
  bool recusaResposta = false;     // the answer stamps return false
  int buscas = 0;
  std::function<void()> durantePosse;   // runs inside DefineHoraAnalise

  int32_t Inclui(const std::string& texto, const std::string& ip = "10.0.0.5") {
    int32_t nsu = linhas.empty() ? 1 : linhas.rbegin()->first + 1;
    linhas[nsu] = LinhaFalsa{texto, ip, {}, {}, {}, {}};
    return nsu;
  }

  int32_t LocalizarAnalise(const std::string& pIP) override {
    ++buscas;
    if (falhaBusca) throw ErroExecucao(CodigoErro::ErroBanco, "database is locked");
    for (auto& [nsu, l] : linhas) {
      if (l.analise.Zero() && l.aprovacao.Zero() && l.cancelamentoHost.Zero() &&
          (pIP.empty() || pIP == "127.0.0.1" || pIP == l.ip)) {
        return nsu;
      }
    }
    return 0;
  }
  bool LocalizarCodigo(int32_t pNSU) override {
    auto it = linhas.find(pNSU);
    if (it == linhas.end()) return false;
    mNSU = pNSU;
    mTexto = it->second.texto;
    return true;
  }
  bool DefineMensagem(int32_t pNSU, const std::string& pMensagem) override {
    auto it = linhas.find(pNSU);
    if (it == linhas.end()) return false;
    it->second.mensagem = pMensagem;
    return true;
  }
  bool DefineHoraAnalise(int32_t pNSU, DataHora pHora) override {
    if (durantePosse) durantePosse();
    auto it = linhas.find(pNSU);
    if (recusaAnalise || it == linhas.end() || !it->second.analise.Zero()) return false;
    it->second.analise = pHora;
    mHoraAnalise = pHora;
    return true;
  }
  bool DefineHoraAprovacaoHost(int32_t pNSU, DataHora pHora, const std::string& pMensagem) override {
    auto it = linhas.find(pNSU);
    if (recusaResposta || it == linhas.end() || !it->second.aprovacao.Zero()) return false;
    it->second.aprovacao = pHora;
    it->second.mensagem = pMensagem;
    return true;
  }
  bool DefineHoraCancelamentoHost(int32_t pNSU, DataHora pHora, const std::string& pMensagem) override {
    auto it = linhas.find(pNSU);
    if (recusaResposta || it == linhas.end() || !it->second.cancelamentoHost.Zero()) return false;
    it->second.cancelamentoHost = pHora;
    it->second.mensagem = pMensagem.substr(0, 50);
    return true;
  }
};

// Records the calls; each handler returns `resultado` or raises when `erro` is set.
class ManipuladoresTeste : public ManipuladoresComando {
 public:
  bool resultado = true;
  std::optional<std::string> erro;
  std::function<void()> efeito;   // runs inside the handler
  std::vector<std::string> chamadas;   // "Rotina(arg|arg...)"

  bool CancelaNFe(const std::string& n, const std::string& c, const std::string& s, const std::string& p,
                  const std::string& j) override {
    return Chamada("CancelaNFe(" + n + "|" + c + "|" + s + "|" + p + "|" + j + ")");
  }
  bool ProcessaNFeAzure() override { return Chamada("ProcessaNFeAzure()"); }
  bool TestaServidores() override { return Chamada("TestaServidores()"); }
  bool ImprimirNFE(const std::string& c, const std::string& p, DataHora d) override {
    return Chamada("ImprimirNFE(" + c + "|" + p + "|" + std::to_string(d.Dia()) + "/" + std::to_string(d.Mes()) +
                   "/" + std::to_string(d.Ano()) + ")");
  }
  bool EnviaEmailNFe() override { return Chamada("EnviaEmailNFe()"); }
  bool EnviaEmailContador() override { return Chamada("EnviaEmailContador()"); }
  bool InutilizaNFe(const std::string& a, const std::string& i, const std::string& f, const std::string& j) override {
    return Chamada("InutilizaNFe(" + a + "|" + i + "|" + f + "|" + j + ")");
  }

 private:
  bool Chamada(std::string c) {
    chamadas.push_back(std::move(c));
    if (efeito) efeito();
    if (erro) throw ErroExecucao(CodigoErro::ErroComponente, *erro);
    return resultado;
  }
};

}  // namespace velant::teste
