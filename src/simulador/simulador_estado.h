#pragma once
// What the authority simulator remembers between requests and runs, in a
// SQLite file: number sequences, batches with their invoice results,
// authorised and cancelled invoices, the other events registered (table
// evento: the correction letters and the EPEC), voided number ranges, and every call
// received (table chamada: caminho, servico, http, cStat, in order of id).
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace velant::autoridade {

class EstadoSimulador {
 public:
  // ":memory:" keeps nothing. Raises std::runtime_error when the file cannot be opened.
  explicit EstadoSimulador(const std::filesystem::path& banco);
  ~EstadoSimulador();
  EstadoSimulador(const EstadoSimulador&) = delete;
  EstadoSimulador& operator=(const EstadoSimulador&) = delete;

  // Next value of a named sequence, from 1.
  long long Proximo(const std::string& sequencia);

  struct Lote {
    std::string nRec;
    std::string cUF;
    int consultas = 0;
    std::vector<std::string> protocolos;   // protNFe elements, in batch order
  };
  void GravaLote(const Lote& lote);
  // Counts one more query of the batch and returns it after the count.
  std::optional<Lote> ConsultaLote(const std::string& nRec);

  struct Nota {
    std::string chave, cnpj;
    long long serie = 0, numero = 0;
    std::string nProt, nRec, protNFe;
    bool cancelada = false;
    std::string evento, retEvento, protocoloCancelamento;
  };
  void GravaNota(const Nota& nota);
  std::optional<Nota> NotaPorChave(const std::string& chave);
  std::optional<Nota> NotaPorNumero(const std::string& cnpj, long long serie, long long numero);
  // An invoice of the issuer's series whose number lies in the range.
  std::optional<Nota> NotaNaFaixa(const std::string& cnpj, long long serie, long long inicio, long long fim);
  void GravaCancelamento(const std::string& chave, const std::string& evento, const std::string& retEvento,
                         const std::string& nProt);
  // Other events registered (the correction letters, the EPEC), one per key, type and sequence.
  void GravaEvento(const std::string& chave, const std::string& tpEvento, long long sequencia,
                   const std::string& evento, const std::string& retEvento, const std::string& nProt);
  bool EventoRegistrado(const std::string& chave, const std::string& tpEvento, long long sequencia);
  // The event as it was received; nothing when none was registered.
  std::optional<std::string> Evento(const std::string& chave, const std::string& tpEvento, long long sequencia);

  // A request received: its path, the service it named ("" for none), the
  // HTTP status and the answer's first cStat ("" for none).
  struct Chamada {
    std::string caminho, servico;
    int http = 0;
    std::string cStat;
  };
  void GravaChamada(const Chamada& chamada);
  std::vector<Chamada> Chamadas();

  bool FaixaInutilizada(const std::string& cnpj, long long serie, long long inicio, long long fim);   // exactly
  bool FaixaSobreposta(const std::string& cnpj, long long serie, long long inicio, long long fim);    // in part
  void GravaInutilizacao(const std::string& cnpj, long long serie, const std::string& ano, long long inicio,
                         long long fim, const std::string& nProt);

 private:
  void Executa(const char* sql);
  void CriaTabelas();
  sqlite3* db_ = nullptr;
};

}  // namespace velant::autoridade
