#include "data/recordset.h"

#include <utility>

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"

namespace velant::data {

namespace {

// Lower-case fold of ASCII and of the Latin-1 letters written as C3 xx in UTF-8,
// enough for column names ("Descrição" matches "DESCRIÇÃO"), one byte at a
// time from the start of the name. Only the second byte of a C3 pair is
// folded: a C3 that is itself a second byte starts nothing.
class Dobra {
 public:
  unsigned char operator()(unsigned char c) {
    const bool segundo = depoisDeC3_;
    depoisDeC3_ = !segundo && c == 0xC3;
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (segundo && c >= 0x80 && c <= 0x9E && c != 0x97) return static_cast<unsigned char>(c + 0x20);
    return c;
  }

 private:
  bool depoisDeC3_ = false;
};

// The error the record set gives when a value does not fit its column.
constexpr int kErroValorNaoCabe = -2147217887;

Valor Converte(const DefinicaoCampo& campo, const Valor& v) {
  if (v.ENulo() || v.EVazio()) return Valor::Nulo();
  switch (campo.tipo) {
    case adVarChar: {
      std::string texto = v.ETexto() ? v.ComoTexto() : CStr(v);
      if (campo.tamanho > 0 && Len(texto) > campo.tamanho) {
        throw ErroExecucao(kErroValorNaoCabe,
                           "O valor de " + std::to_string(Len(texto)) + " caracteres não cabe na coluna " +
                               campo.nome + " (tamanho " + std::to_string(campo.tamanho) + ")");
      }
      return Valor(std::move(texto));
    }
    case adCurrency: return Valor(CCur(v));
    case adBigInt: return Valor(CLngLng(v));
    case adSmallInt: return Valor(CInt(v));
    case adInteger: return Valor(CLng(v));
    case adDouble: return Valor(CDbl(v));
    case adDate: return Valor(CDate(v));
    case adDBDate: return Valor(CDate(v).SoData());
    case adDBTime: return Valor(CDate(v).SoHora());
    case adBoolean: return Valor(CBool(v));
    case adVariant: return v;
  }
  return v;
}

}  // namespace

void Recordset::AppendCampo(const std::string& nome, TipoCampo tipo, int32_t tamanho) {
  if (aberto_) Levanta(CodigoErro::ChamadaInvalida, "Não é possível acrescentar a coluna " + nome + " a um conjunto aberto");
  if (IndiceCampo(nome) >= 0) Levanta(CodigoErro::ChamadaInvalida, "A coluna " + nome + " já existe");
  campos_.push_back(DefinicaoCampo{nome, tipo, tamanho});
  indice_.emplace(nome, static_cast<int32_t>(campos_.size() - 1));
}

void Recordset::LimparCampos() {
  if (aberto_) Levanta(CodigoErro::ChamadaInvalida, "Não é possível apagar as colunas de um conjunto aberto");
  campos_.clear();
  indice_.clear();
}

void Recordset::Open() {
  if (aberto_) Levanta(CodigoErro::ChamadaInvalida, "O conjunto de registros já está aberto");
  registros_.clear();
  pos_ = 0;
  acabouDeExcluir_ = false;
  aberto_ = true;
}

void Recordset::AbrirComResultado(std::vector<DefinicaoCampo> campos, std::vector<std::vector<Valor>> linhas) {
  campos_ = std::move(campos);
  IndexaCampos();
  registros_ = std::move(linhas);
  for (auto& r : registros_) r.resize(campos_.size(), Valor::Nulo());
  pos_ = 0;
  acabouDeExcluir_ = false;
  aberto_ = true;
}

void Recordset::Close() {
  if (!aberto_) Levanta(CodigoErro::ObjetoFechado);
  registros_.clear();
  pos_ = -1;
  acabouDeExcluir_ = false;
  aberto_ = false;
}

static void ExigeAberto(bool aberto) {
  if (!aberto) Levanta(CodigoErro::ObjetoFechado);
}

int32_t Recordset::RecordCount() const {
  ExigeAberto(aberto_);
  return static_cast<int32_t>(registros_.size());
}

// Right after Delete the cursor still stands on the deleted record: neither
// end is reached until the next move.
bool Recordset::Eof() const {
  ExigeAberto(aberto_);
  if (acabouDeExcluir_) return false;
  return registros_.empty() || pos_ >= static_cast<int32_t>(registros_.size());
}

bool Recordset::Bof() const {
  ExigeAberto(aberto_);
  if (acabouDeExcluir_) return false;
  return registros_.empty() || pos_ < 0;
}

void Recordset::MoveFirst() {
  ExigeAberto(aberto_);
  if (registros_.empty()) Levanta(CodigoErro::FimDoRegistro);
  pos_ = 0;
  acabouDeExcluir_ = false;
}

void Recordset::MoveLast() {
  ExigeAberto(aberto_);
  if (registros_.empty()) Levanta(CodigoErro::FimDoRegistro);
  pos_ = static_cast<int32_t>(registros_.size()) - 1;
  acabouDeExcluir_ = false;
}

void Recordset::MoveNext() {
  ExigeAberto(aberto_);
  if (acabouDeExcluir_) {   // the record that followed the deleted one took its place
    acabouDeExcluir_ = false;
    return;
  }
  if (Eof()) Levanta(CodigoErro::FimDoRegistro);
  ++pos_;
}

void Recordset::MovePrevious() {
  ExigeAberto(aberto_);
  if (acabouDeExcluir_) {
    acabouDeExcluir_ = false;
    --pos_;
    return;
  }
  if (Bof()) Levanta(CodigoErro::FimDoRegistro);
  --pos_;
}

void Recordset::AddNew() {
  ExigeAberto(aberto_);
  registros_.emplace_back(campos_.size(), Valor::Nulo());
  pos_ = static_cast<int32_t>(registros_.size()) - 1;
  acabouDeExcluir_ = false;
}

void Recordset::Update() {
  ExigeAberto(aberto_);
  ExigeRegistroAtual();
}

void Recordset::Delete() {
  ExigeAberto(aberto_);
  ExigeRegistroAtual();
  registros_.erase(registros_.begin() + pos_);
  acabouDeExcluir_ = true;
}

const DefinicaoCampo& Recordset::Campo(int32_t indice) const {
  if (indice < 0 || indice >= QuantidadeCampos()) Levanta(CodigoErro::ItemNaoEncontrado);
  return campos_[static_cast<size_t>(indice)];
}

// Every value read by name hashes its name: ASCII, by far the usual, folds by
// itself; the first other byte hands the rest to Dobra.
size_t Recordset::HashNome::operator()(std::string_view nome) const {
  size_t h = 14695981039346656037ull;
  size_t i = 0;
  for (; i < nome.size(); ++i) {
    auto c = static_cast<unsigned char>(nome[i]);
    if (c >= 0x80) break;
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
    h = (h ^ c) * 1099511628211ull;
  }
  Dobra dobra;
  for (; i < nome.size(); ++i) h = (h ^ dobra(static_cast<unsigned char>(nome[i]))) * 1099511628211ull;
  return h;
}

bool Recordset::IgualNome::operator()(std::string_view a, std::string_view b) const {
  if (a.size() != b.size()) return false;
  if (a == b) return true;
  Dobra da, db;
  for (size_t i = 0; i < a.size(); ++i)
    if (da(static_cast<unsigned char>(a[i])) != db(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

void Recordset::IndexaCampos() {
  indice_.clear();
  for (size_t i = 0; i < campos_.size(); ++i) indice_.emplace(campos_[i].nome, static_cast<int32_t>(i));
}

int32_t Recordset::IndiceCampo(std::string_view nome) const {
  auto it = indice_.find(nome);
  return it == indice_.end() ? -1 : it->second;
}

void Recordset::ExigeRegistroAtual() const {
  ExigeAberto(aberto_);
  if (acabouDeExcluir_) Levanta(CodigoErro::FimDoRegistro, "O registro atual foi excluído");
  if (registros_.empty() || pos_ < 0 || pos_ >= static_cast<int32_t>(registros_.size())) {
    Levanta(CodigoErro::FimDoRegistro);
  }
}

static int32_t IndiceOuErro(const Recordset& rs, std::string_view nome) {
  int32_t i = rs.IndiceCampo(nome);
  if (i < 0) Levanta(CodigoErro::ItemNaoEncontrado, "Item não encontrado na coleção: " + std::string(nome));
  return i;
}

const Valor& Recordset::Value(std::string_view nome) const {
  ExigeAberto(aberto_);
  return Value(IndiceOuErro(*this, nome));
}

const Valor& Recordset::Value(int32_t indice) const {
  ExigeAberto(aberto_);
  if (indice < 0 || indice >= QuantidadeCampos()) Levanta(CodigoErro::ItemNaoEncontrado);
  ExigeRegistroAtual();
  return registros_[static_cast<size_t>(pos_)][static_cast<size_t>(indice)];
}

void Recordset::SetValue(std::string_view nome, const Valor& v) {
  ExigeAberto(aberto_);
  SetValue(IndiceOuErro(*this, nome), v);
}

void Recordset::SetValue(int32_t indice, const Valor& v) {
  ExigeAberto(aberto_);
  if (indice < 0 || indice >= QuantidadeCampos()) Levanta(CodigoErro::ItemNaoEncontrado);
  ExigeRegistroAtual();
  Valor convertido = Converte(campos_[static_cast<size_t>(indice)], v);
  registros_[static_cast<size_t>(pos_)][static_cast<size_t>(indice)] = std::move(convertido);
}

}  // namespace velant::data
