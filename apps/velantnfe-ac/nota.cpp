// consultar: an invoice's row of MovimentoNFe, whole or one value for scripts.
#include "nota.h"

#include <cstdio>
#include <stdexcept>

#include "base/regional.h"
#include "base/texto.h"

namespace velant::ac {

namespace {

std::string Aspas(const std::string& texto) { return "'" + Replace(texto, "'", "''") + "'"; }

int64_t Inteiro(const Valor& v) { return v.ENulo() || v.EVazio() ? 0 : CLngLng(v); }

int64_t ProtocoloCancelamento(FilaAC& fila, const NotaRegistrada& n) {
  if (n.chave.empty()) return 0;
  auto rs = fila.Conexao().RsConexao(
      "SELECT [Numero do Protocolo] FROM MovimentoNFeSaidaCancelada WHERE Empresa = " + std::to_string(n.empresa) +
      " AND Serie = " + Aspas(n.serie) + " AND [Numero da NFe] = " + Aspas(n.chave));
  if (rs->State() != data::adStateOpen || rs->Eof()) return 0;
  return Inteiro(rs->Value(0));
}

// The one row a value is read from; why not, on stderr.
const NotaRegistrada* Unica(const std::vector<NotaRegistrada>& notas, const OpcoesAC& o, int32_t numero) {
  if (notas.size() == 1) return &notas[0];
  if (notas.empty()) {
    std::fprintf(stderr, "velantnfe-ac: nota %d da série %s não está em MovimentoNFe%s\n", numero, o.serie.c_str(),
                 o.empresa >= 0 ? (" da empresa " + std::to_string(o.empresa)).c_str() : "");
  } else {
    std::fprintf(stderr, "velantnfe-ac: nota %d da série %s está em %zu empresas; escolha uma com --empresa\n", numero,
                 o.serie.c_str(), notas.size());
  }
  return nullptr;
}

}  // namespace

const char* SignificadoEtapa(int etapa) {
  switch (etapa) {
    case 0: return "gerada, assinada e validada";
    case 1: return "lote enviado";
    case 2: return "lote processado";
    case 3: return "autorizada: protocolo e arquivo de distribuição gravados";
    default: return "etapa desconhecida";
  }
}

std::vector<NotaRegistrada> LocalizaNotas(FilaAC& fila, const std::string& serie, int32_t numero, int empresa) {
  std::string sql =
      "SELECT Empresa, Serie, Numero, [Numero da NFe], [Numero do Protocolo], [Etapa Concluida], Data"
      " FROM MovimentoNFe WHERE Serie = " + Aspas(serie) + " AND Numero = " + std::to_string(numero);
  if (empresa >= 0) sql += " AND Empresa = " + std::to_string(empresa);
  sql += " ORDER BY Empresa";
  auto rs = fila.Conexao().RsConexao(sql);
  if (rs->State() != data::adStateOpen) throw std::runtime_error("a consulta de MovimentoNFe falhou");
  std::vector<NotaRegistrada> notas;
  for (; !rs->Eof(); rs->MoveNext()) {
    NotaRegistrada n;
    n.empresa = static_cast<int32_t>(Inteiro(rs->Value(0)));
    n.serie = TextoColuna(rs->Value(1));
    n.numero = static_cast<int32_t>(Inteiro(rs->Value(2)));
    n.chave = TextoColuna(rs->Value(3));
    n.protocolo = Inteiro(rs->Value(4));
    n.etapa = static_cast<int>(Inteiro(rs->Value(5)));
    n.data = TextoColuna(rs->Value(6));
    notas.push_back(std::move(n));
  }
  for (NotaRegistrada& n : notas) n.protocoloCancelamento = ProtocoloCancelamento(fila, n);
  return notas;
}

int Consultar(FilaAC& fila, const OpcoesAC& o, int32_t numero) {
  const std::vector<NotaRegistrada> notas = LocalizaNotas(fila, o.serie, numero, o.empresa);
  if (!o.valor.empty()) {
    const NotaRegistrada* n = Unica(notas, o, numero);
    if (n == nullptr) return 1;
    if (o.valor == "chave") {
      if (n->chave.empty()) {
        std::fprintf(stderr, "velantnfe-ac: nota %d da série %s ainda sem chave de acesso\n", numero, o.serie.c_str());
        return 1;
      }
      std::printf("%s\n", n->chave.c_str());
    } else if (o.valor == "protocolo") {
      if (n->protocolo <= 0) {
        std::fprintf(stderr, "velantnfe-ac: nota %d da série %s sem protocolo de autorização (etapa %d: %s)\n", numero,
                     o.serie.c_str(), n->etapa, SignificadoEtapa(n->etapa));
        return 1;
      }
      std::printf("%lld\n", static_cast<long long>(n->protocolo));
    } else {
      std::printf("%d\n", n->etapa);
    }
    return 0;
  }
  if (notas.empty()) {
    Unica(notas, o, numero);
    return 1;
  }
  for (const NotaRegistrada& n : notas) {
    std::printf("Empresa:                 %d\n", n.empresa);
    std::printf("Serie:                   %s\n", n.serie.c_str());
    std::printf("Numero:                  %d\n", n.numero);
    std::printf("Chave de acesso:         %s\n", n.chave.empty() ? "-" : n.chave.c_str());
    std::printf("Protocolo:               %s\n", n.protocolo > 0 ? std::to_string(n.protocolo).c_str() : "-");
    std::printf("Etapa concluida:         %d (%s)\n", n.etapa, SignificadoEtapa(n.etapa));
    std::printf("Data:                    %s\n", n.data.empty() ? "-" : n.data.c_str());
    if (n.protocoloCancelamento > 0) {
      std::printf("Protocolo cancelamento:  %lld\n", static_cast<long long>(n.protocoloCancelamento));
    }
    if (&n != &notas.back()) std::printf("\n");
  }
  return 0;
}

}  // namespace velant::ac
