#include "manager/converte_cidade.h"

#include <set>
#include <string>

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "content/normalizacao_texto.h"
#include "data/conexao_nfe.h"

namespace velant {

namespace {

// RetiraAcentos already turns the apostrophe of a name into an accent; a
// quote that reaches a value some other way must not end the SQL text.
std::string Aspas(const std::string& valor) { return Replace(valor, "'", "''"); }

// The codes already copied: pressing the button again must neither double
// the table nor, where the code is a key, show one error box per city.
std::set<std::string> CodigosCopiados(data::CConexaoNfe& conexao) {
  std::set<std::string> codigos;
  auto rs = conexao.RsConexao("SELECT Codigo FROM CidadeIBGE");
  for (; !rs->Eof(); rs->MoveNext()) codigos.insert(CStr(rs->Value("Codigo")));
  rs->Close();
  return codigos;
}

void CaixaDeErro(Contexto& ctx, const std::string& descricao, int numero) {
  ctx.ui.MsgBox("ERrO não identificado!" + std::string(vbCrLf) + descricao + vbCrLf + std::to_string(numero),
                vbInformation, "Rotina: ConverteCidade1");
}

}  // namespace

ResultadoConverteCidade ConverteCidade1(Contexto& ctx) {
  ResultadoConverteCidade r;
  try {
    if (ctx.ConexaoBanco == nullptr) Levanta(CodigoErro::ObjetoNaoDefinido);
    data::CConexaoNfe& conexao = *ctx.ConexaoBanco;
    auto rs = conexao.RsConexao(std::string("SELECT UF, CMUN, XMUN") + "  FROM Municipios" + " ORDER BY UF, XMUN");
    if (rs->RecordCount() > 0) {
      std::set<std::string> copiados = CodigosCopiados(conexao);
      while (!rs->Eof()) {
        const std::string codigo = CStr(rs->Value("CMUN"));
        if (copiados.insert(codigo).second) {
          const std::string nome = RetiraAcentos(Valor(UCase(CStr(rs->Value("XMUN")))));
          conexao.ExecutaSql(std::string("INSERT INTO CidadeIBGE ( Codigo, Nome, UF ) Values ( ") + "'" + Aspas(codigo) +
                             "'" + ", '" + Aspas(nome) + "'" + ", '" + Aspas(CStr(rs->Value("UF"))) + "' )");
          ++r.inseridos;
        } else {
          ++r.jaCopiados;
        }
        rs->MoveNext();
      }
    }
    rs->Close();
  } catch (const ErroExecucao& e) {
    r.erro = true;
    CaixaDeErro(ctx, e.Descricao(), e.Numero());
  } catch (const std::exception& e) {
    r.erro = true;
    CaixaDeErro(ctx, e.what(), static_cast<int>(CodigoErro::ChamadaInvalida));
  }
  return r;
}

}  // namespace velant
