#pragma once
// Record sets as the routines use them: a list of typed columns, a list of
// records and a cursor. Built in memory (the request tables) or filled from
// a query (client-side cursor: the whole result is read at once).
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/valor.h"

namespace velant::data {

// Column types, with the values of the data-type constants.
enum TipoCampo : int {
  adSmallInt = 2,
  adInteger = 3,
  adDouble = 5,
  adCurrency = 6,
  adDate = 7,
  adBoolean = 11,
  adVariant = 12,
  adBigInt = 20,
  adDBDate = 133,
  adDBTime = 134,
  adVarChar = 200,
};

enum EstadoRecordset : int { adStateClosed = 0, adStateOpen = 1 };

struct DefinicaoCampo {
  std::string nome;
  TipoCampo tipo = adVariant;
  int32_t tamanho = 0;   // characters, for adVarChar
};

class Recordset {
 public:
  Recordset() = default;

  // Column definition (closed record set only; appending to an open one
  // raises ChamadaInvalida). Fields().Append.
  void AppendCampo(const std::string& nome, TipoCampo tipo, int32_t tamanho = 0);
  void LimparCampos();   // drops the column definitions of a closed record set
  // Opens a fabricated record set with no source and no records.
  void Open();
  // Opens with a query's result. Values are stored as given.
  void AbrirComResultado(std::vector<DefinicaoCampo> campos, std::vector<std::vector<Valor>> linhas);
  void Close();          // drops the records, keeps the column definitions
  int State() const { return aberto_ ? adStateOpen : adStateClosed; }

  int32_t RecordCount() const;
  bool Eof() const;   // EOF is a macro of <cstdio>
  bool Bof() const;
  void MoveFirst();
  void MoveNext();
  void MoveLast();
  void MovePrevious();
  int32_t Posicao() const { return pos_; }   // 0-based current record; -1 before the first

  void AddNew();   // appends a record with every column Null and makes it current
  void Update();   // saves the current record (in memory nothing is pending)
  void Delete();   // deletes the current record; MoveNext then goes to the one that followed

  int32_t QuantidadeCampos() const { return static_cast<int32_t>(campos_.size()); }
  const DefinicaoCampo& Campo(int32_t indice) const;
  // Index of a column by name, case-insensitive; -1 when absent.
  int32_t IndiceCampo(std::string_view nome) const;
  bool TemCampo(std::string_view nome) const { return IndiceCampo(nome) >= 0; }

  // rs("nome").Value of the current record. An unknown column raises
  // ItemNaoEncontrado; no current record (BOF/EOF, or closed) raises FimDoRegistro
  // (ObjetoFechado when closed).
  const Valor& Value(std::string_view nome) const;
  const Valor& Value(int32_t indice) const;
  // rs("nome").Value = v. The value is converted to the column's type as the
  // record set does: texts of numeric columns are converted in the regional
  // settings (TiposIncompativeis when they do not convert, Estouro out of
  // range); a text longer than an adVarChar column raises an error naming it.
  void SetValue(std::string_view nome, const Valor& v);
  void SetValue(int32_t indice, const Valor& v);

 private:
  // Column names compared as IndiceCampo does: ASCII and Latin-1 letters folded.
  struct HashNome {
    using is_transparent = void;
    size_t operator()(std::string_view nome) const;
  };
  struct IgualNome {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  void IndexaCampos();
  void ExigeRegistroAtual() const;
  std::vector<DefinicaoCampo> campos_;
  // Every read of a value by name looks its column up: the first column of each name.
  std::unordered_map<std::string, int32_t, HashNome, IgualNome> indice_;
  std::vector<std::vector<Valor>> registros_;
  int32_t pos_ = -1;
  bool aberto_ = false;
  bool acabouDeExcluir_ = false;
};

}  // namespace velant::data
