#pragma once
// A fresh context for the content routines: temporary root, headless
// interface, registry file written by the test, request tables built by the
// real builders and filled record by record.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/caminhos.h"
#include "base/currency.h"
#include "base/data_hora.h"
#include "base/regional.h"
#include "base/valor.h"
#include "content/preenche_vetores.h"
#include "content/vetores_nfe.h"
#include "manager/contexto.h"
#include "manager/estado_global.h"
#include "manager/plataforma/perfil_ini.h"
#include "manager/plataforma/registro_eventos.h"
#include "manager/plataforma/registro_windows.h"
#include "manager/tabelas_solicitacao.h"
#include "ui/interface_headless.h"

namespace velant::teste_conteudo {

inline Valor Moeda(const char* texto) { return Valor(Currency::DeTextoInvariante(texto)); }

class RelogioParado : public Relogio {
 public:
  DataHora Agora() const override { return DataHora::De(2015, 3, 5, 10, 30, 0); }
};

inline std::filesystem::path PastaTemporaria() {
  std::string modelo = (std::filesystem::temp_directory_path() / "conteudo-XXXXXX").string();
  if (mkdtemp(modelo.data()) == nullptr) throw std::runtime_error("mkdtemp");
  return modelo;
}

using Colunas = std::vector<std::pair<const char*, Valor>>;

struct AmbienteConteudo {
  std::filesystem::path raiz = PastaTemporaria();
  InterfaceHeadless ui{true};
  RelogioParado relogio;
  MapeadorCaminhos caminhos{raiz};
  PerfilIni ini{caminhos};
  RegistroWindows registro{raiz / "registro.reg"};
  RegistroEventos log{ui, caminhos, relogio};
  EstadoGlobal estado;
  TabelasSolicitacao tabelas;
  VetoresNFe vetores;
  Contexto ctx{ui, relogio, caminhos, ini, registro, log, estado, tabelas, vetores, nullptr, nullptr, nullptr, {}};

  AmbienteConteudo() {
    DefinirRegional(RegionalPtBR());
    CriaTabelaNota(tabelas);
    CriaTabelaDuplicatas(tabelas);
    CriaTabelaCupons(tabelas);
    Registro({});
  }
  ~AmbienteConteudo() {
    std::error_code erro;
    std::filesystem::remove_all(raiz, erro);
  }

  // Writes the values under HKEY_CURRENT_USER\nfe.
  void Registro(const std::map<std::string, std::string>& valores) {
    std::ofstream f(raiz / "registro.reg", std::ios::binary | std::ios::trunc);
    f << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n";
    for (const auto& [nome, valor] : valores) f << "\"" << nome << "\"=\"" << valor << "\"\r\n";
  }

  // An item record of a plain domestic sale: the defaults of the first item,
  // a complete header and one product; `colunas` then overwrite.
  void Item(Colunas colunas = {}) {
    data::Recordset& nota = tabelas.TabelaNota;
    nota.AddNew();
    PreparaRegistroNota(tabelas);
    const std::pair<const char*, Valor> padrao[] = {
        {"CgcCli", Valor("12345678000195")}, {"RazaoSocialCli", Valor("CLIENTE LTDA")},
        {"LogradouroCli", Valor("RUA A")},   {"BairroCli", Valor("CENTRO")},
        {"CodMunCli", Valor("3550308")},     {"CodPaisCli", Valor("1058")},
        {"NomeMunCli", Valor("SAO PAULO")},  {"UFCli", Valor("SP")},
        {"CEPCli", Valor("01001000")},       {"NomePaisCli", Valor("BRASIL")},
        {"TelefoneCli", Valor("(1133334444")}, {"IECli", Valor("111.222.333.444")},
        {"NomeMunEmp", Valor("CAMPINAS")},   {"CodMunEmp", Valor("3509502")},
        {"RazaoSocialEmp", Valor("EMITENTE SA")}, {"NumeroNF", Valor("1234")},
        {"SerieNFEmp", Valor("1")},          {"FormaPag", Valor("1")},
        {"DtEmissao", Valor("2015-03-05T10:00:00-03:00")}, {"DtSaida", Valor("")},
        {"CFOP", Valor("5102")},             {"DescNaturezaOp", Valor("VENDA")},
        {"CodEstadoIde", Valor(int64_t{35})}, {"tpNF", Moeda("1")},
        {"CodProduto", Valor("P1")},         {"NomeProd", Valor("PRODUTO")},
        {"NCMProd", Valor("12345678")},      {"UnidadeProd", Valor("UN")},
        {"QntProd", Moeda("1")},             {"ValorUnitProd", Moeda("10")},
        {"TotalProdServ", Moeda("10")},      {"TotalProdTot", Moeda("10")},
        {"TotalNFTot", Moeda("10")},         {"CodSitTrib", Valor("000")},
        {"ServProd", Valor("P")},            {"CSTPis", Valor("01")},
        {"CSTCofins", Valor("01")},
    };
    for (const auto& [nome, valor] : padrao) nota.SetValue(nome, valor);
    for (const auto& [nome, valor] : colunas) nota.SetValue(nome, valor);
    nota.Update();
  }

  void Duplicata(const char* numero, DataHora vencimento, const char* valor) {
    data::Recordset& d = tabelas.TabelaDuplicatas;
    d.AddNew();
    d.SetValue("NumDupl", Valor(numero));
    d.SetValue("DtVenc", Valor(vencimento));
    d.SetValue("ValorVenc", Moeda(valor));
    d.Update();
  }

  void Cupom(const char* tipo, int16_t ecf, int64_t numero) {
    data::Recordset& c = tabelas.TabelaCupons;
    c.AddNew();
    c.SetValue("Tipo", Valor(tipo));
    c.SetValue("CodigoECF", Valor(ecf));
    c.SetValue("NumeroCupom", Valor(numero));
    c.Update();
  }

  // Where the parser leaves the tables, and the counts the emission takes.
  void Pronto() {
    if (tabelas.TabelaNota.RecordCount() > 0) tabelas.TabelaNota.MoveFirst();
    if (tabelas.TabelaDuplicatas.RecordCount() > 0) tabelas.TabelaDuplicatas.MoveFirst();
    ParametrosEmissaoFila(ctx);
  }

  bool Registrado(const std::string& linha) const {
    for (const auto& e : ui.Eventos()) {
      if (e == linha) return true;
    }
    return false;
  }
};

}  // namespace velant::teste_conteudo

#include <memory>
#include <vector>

#include "data/conexao_nfe.h"

namespace velant::teste_conteudo {

// natureza_operacao in memory: CFOP code -> situacao_tributaria.
class ConexaoFalsa : public data::CConexaoNfe {
 public:
  explicit ConexaoFalsa(InterfaceOperador& ui) : data::CConexaoNfe(ui) {}

  std::map<std::string, std::string> situacoes;
  bool ativa = true;
  std::vector<std::string> consultas;

  std::unique_ptr<data::Recordset> RsConexao(const std::string& pSQL) override {
    consultas.push_back(pSQL);
    std::vector<std::vector<Valor>> linhas;
    for (const auto& [codigo, situacao] : situacoes) {
      if (pSQL == "SELECT situacao_tributaria FROM natureza_operacao WHERE codigo = '" + codigo + "'") {
        linhas.push_back({Valor(situacao)});
      }
    }
    auto rs = std::make_unique<data::Recordset>();
    rs->AbrirComResultado({data::DefinicaoCampo{"situacao_tributaria", data::adVarChar, 3}}, std::move(linhas));
    return rs;
  }
  int32_t ExecutaSql(const std::string&) override { return 0; }
  bool ConexaoAtiva() override { return ativa; }
};

// TabelaNota rebuilt with one column less or one more, same records.
inline void RefazTabelaNota(TabelasSolicitacao& tabelas, const std::string& sem, const std::string& com = "") {
  data::Recordset& antiga = tabelas.TabelaNota;
  data::Recordset nova;
  std::vector<int32_t> indices;
  for (int32_t i = 0; i < antiga.QuantidadeCampos(); ++i) {
    const auto& c = antiga.Campo(i);
    if (c.nome == sem) continue;
    nova.AppendCampo(c.nome, c.tipo, c.tamanho);
    indices.push_back(i);
  }
  if (!com.empty()) nova.AppendCampo(com, data::adVarChar, 60);
  nova.Open();
  if (antiga.RecordCount() > 0) {
    for (antiga.MoveFirst(); !antiga.Eof(); antiga.MoveNext()) {
      nova.AddNew();
      for (size_t j = 0; j < indices.size(); ++j) nova.SetValue(static_cast<int32_t>(j), antiga.Value(indices[j]));
      nova.Update();
    }
  }
  tabelas.TabelaNota = std::move(nova);
}

}  // namespace velant::teste_conteudo
