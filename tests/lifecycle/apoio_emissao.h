#pragma once
// What the emission tests share: one invoice request, a component whose
// local operations are the Host's own and whose authority is a small
// in-memory one the test can steer, and a Host context on SQLite on which
// a write can be made to change nothing.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apoio/arquivos_teste.h"
#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "component/apoio_documento.h"
#include "component/xml/chave_acesso.h"
#include "component/xml/gerador_xml_nfe.h"
#include "component/operacoes_locais.h"
#include "lifecycle/componente_inesperado.h"
#include "data/conexao_nfe.h"
#include "data/configuracao_banco.h"
#include "manager/ambiente_teste.h"
#include "manager/analisador_solicitacao.h"

// The answers below name only the fields a test sets; the rest stay empty.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace velant::teste {

// One invoice of a SP issuer, series 1, number 123, issued 15/01/2016, with one item.
inline std::string SolicitacaoNFe(bool comItem = true) {
  std::string texto = LerTudo(std::filesystem::path(VELANT_TESTES) / "lifecycle/nota_emissao.txt");
  if (comItem) return texto;
  // Without its item, and without "100-000": no record in TabelaNota.
  texto = Replace(texto, "100-000 = \r\n", "");
  return texto.substr(0, texto.find("800-001")) + "999-999 = \r\n";
}

// The key of that invoice for an emission date (another month, another key).
inline std::string ChaveNFe(const std::string& dataEmissao = "15/01/2016") {
  return MontaChaveAcesso("35", dataEmissao, "11222333000181", 55, 1, 123, 1, 123);
}

// The authority's answers as the component reads them.
inline ProtocoloNFe Protocolo(const std::string& chave, const std::string& cStat, const std::string& xMotivo,
                              const std::string& nProt = "") {
  return {.chNFe = chave, .nProt = nProt, .cStat = cStat, .xMotivo = xMotivo};
}
// A batch query or send answered by one code, without an invoice's protocol.
inline RespostaLote RespostaSo(const std::string& cStat, const std::string& xMotivo, const std::string& nRec = "") {
  return {.cStat = cStat, .xMotivo = xMotivo, .nRec = nRec};
}
inline RespostaLote LoteRecebido(const std::string& recibo) {
  return RespostaSo("103", "Lote recebido com sucesso", recibo);
}
inline RespostaLote LoteProcessado(const std::string& recibo, const ProtocoloNFe& protocolo) {
  return {.cStat = "104", .xMotivo = "Lote processado", .nRec = recibo, .protocolo = protocolo};
}
inline RespostaSituacao Situacao(const std::string& cStat, const std::string& xMotivo,
                                 std::optional<ProtocoloNFe> protocolo = std::nullopt) {
  return {.cStat = cStat, .xMotivo = xMotivo, .chNFe = protocolo ? protocolo->chNFe : "", .protocolo = protocolo};
}
inline RespostaSituacao SituacaoAutorizada(const std::string& chave, const std::string& nProt) {
  return Situacao("100", "Autorizado o uso da NF-e", Protocolo(chave, "100", "Autorizado o uso da NF-e", nProt));
}

// The tax authority as far as the pipeline sees it, remembering what it
// received and authorised. Each answer can be replaced by the test.
struct AutoridadeFalsa {
  std::string chamadas;   // E send, L batch query, S situation, D distribution (W a wait, when a test shows them)
  std::vector<std::string> enviadas;               // keys of every batch received
  std::map<std::string, std::string> autorizadas;  // key -> protocol
  std::map<std::string, std::pair<std::string, bool>> lotes;   // receipt -> key, authorised by this batch
  int recibos = 0, protocolos = 0;

  std::function<RespostaLote(const std::string& chave)> envio;        // replaces the answer of EnviaLote
  std::deque<RespostaLote> respostasLote;                             // next answers of ConsultaLote
  std::function<RespostaLote(const std::string& recibo)> consultaLote; // replaces them all
  std::function<RespostaSituacao(const std::string& chave)> situacao; // replaces the answer of ConsultaSituacao
  std::function<void(const std::string& chave)> distribuicao;         // runs before the file is written
  std::function<void()> depoisDeAssinar;                              // after the Host's own signing

  static std::string Numero(int64_t prefixo, int n) { return std::to_string(prefixo * 10000000000000 + n); }
  std::string Autoriza(const std::string& chave) {
    if (!autorizadas.count(chave)) autorizadas[chave] = Numero(13, ++protocolos);
    return autorizadas[chave];
  }
  // Receives a batch of that key as the authority does: authorised once.
  std::string Recebe(const std::string& chave) {
    enviadas.push_back(chave);
    std::string recibo = Numero(35, ++recibos);
    lotes[recibo] = {chave, !autorizadas.count(chave)};
    Autoriza(chave);
    return recibo;
  }
  RespostaLote RespostaDoLote(const std::string& recibo) {
    const auto& [chave, autorizada] = lotes.at(recibo);
    return LoteProcessado(recibo, autorizada ? Protocolo(chave, "100", "Autorizado o uso da NF-e", autorizadas[chave])
                                             : Protocolo(chave, "204", "Rejeição: Duplicidade de NF-e"));
  }
  RespostaSituacao SituacaoDe(const std::string& chave) {
    return autorizadas.count(chave) ? SituacaoAutorizada(chave, autorizadas[chave])
                                    : Situacao("217", "Rejeição: NF-e não consta na base de dados da SEFAZ");
  }
};

class ComponenteEmissao : public ComponenteInesperado {
 public:
  ComponenteEmissao(Contexto& ctx, AutoridadeFalsa& autoridade) : ctx_(ctx), op_(ctx), a_(autoridade) {}

  std::string AssinaXml(const std::string& arquivo, const std::string& tag) override {
    std::string r = op_.AssinaXml(arquivo, tag);
    if (a_.depoisDeAssinar) a_.depoisDeAssinar();
    return r;
  }
  bool ValidaXml(S arquivo, S esquema, bool mostrar) override { return op_.ValidaXml(arquivo, esquema, mostrar); }
  std::string GeraChaveAcesso(S uf, S data, S cnpj, int32_t m, int32_t s, int32_t n, int32_t t, int32_t c) override {
    return op_.GeraChaveAcesso(uf, data, cnpj, m, s, n, t, c);
  }
  std::string GeraLote(const std::string& assinado, int32_t numero) override { return op_.GeraLote(assinado, numero); }

  RespostaLote EnviaLote(const std::string& arquivoLote) override {
    const std::string lote = LerTudo(ctx_.caminhos.Mapear(arquivoLote));
    const std::string chave = lote.substr(lote.find("Id=\"NFe") + 7, 44);
    a_.chamadas += 'E';
    if (a_.envio) return a_.envio(chave);
    return LoteRecebido(a_.Recebe(chave));
  }
  RespostaLote ConsultaLote(const std::string& recibo) override {
    a_.chamadas += 'L';
    if (a_.consultaLote) return a_.consultaLote(recibo);
    if (a_.respostasLote.empty()) return a_.RespostaDoLote(recibo);
    RespostaLote r = a_.respostasLote.front();
    a_.respostasLote.pop_front();
    return r;
  }
  RespostaSituacao ConsultaSituacao(const std::string& chave) override {
    a_.chamadas += 'S';
    return a_.situacao ? a_.situacao(chave) : a_.SituacaoDe(chave);
  }
  std::string GeraDistribuicao(const std::string& chave) override {
    a_.chamadas += 'D';
    if (a_.distribuicao) a_.distribuicao(chave);
    if (!a_.autorizadas.count(chave)) throw ErroExecucao(CodigoErro::ErroComponente, "A NF-e " + chave + " não está autorizada");
    std::string destino = ctx_.atual.PastaBase + "\\nfe\\arquivos\\procNFe\\" + chave + "-procNFe.xml";
    GravarTudo(ctx_.caminhos.MapearParaGravar(destino),
               LerTudo(ctx_.caminhos.Mapear(op_.CaminhoAssinado(chave))) + "<!--" + a_.autorizadas[chave] + "-->");
    return destino;
  }

 private:
  Contexto& ctx_;
  OperacoesLocais op_;
  AutoridadeFalsa& a_;
};

// The SQLite connection of the Host, on which a write holding a given text changes no row.
class ConexaoRegistrada : public data::CConexaoNfe {
 public:
  using CConexaoNfe::CConexaoNfe;
  std::string falhaSeContem;
  int32_t ExecutaSql(const std::string& sql) override {
    if (!falhaSeContem.empty() && sql.find(falhaSeContem) != std::string::npos) return 0;
    return CConexaoNfe::ExecutaSql(sql);
  }
};

// A Host context ready to run the emission of the request above.
class AmbienteEmissao : public ::testing::Test {
 public:
  AmbienteTeste a;
  AutoridadeFalsa autoridade;
  std::unique_ptr<ConexaoRegistrada> conexao;
  GeradorXmlNFe gerador{a.caminhos, &a.registro};
  std::vector<std::string> mensagens;   // what reached the request row

  AmbienteEmissao() {
    // Waits end after five readings of the clock, not five seconds.
    a.relogio.passoSegundos = 1;
    Registro();
    data::GarantirConfiguracaoBanco(a.ini);
    conexao = std::make_unique<ConexaoRegistrada>(a.ini, a.caminhos, a.ui);
    a.ctx.ConexaoBanco = conexao.get();
    a.ctx.GeradorXml = &gerador;
    a.ctx.CriaFiscalDocService = [this] { return std::make_unique<ComponenteEmissao>(a.ctx, autoridade); };
    a.log.DefinirEscritorMensagem([this](const std::string& m) {
      mensagens.push_back(m);
      return true;
    });
  }
  ~AmbienteEmissao() override { a.ctx.ConexaoBanco = nullptr; }

  void Registro(const std::string& extra = "") {
    GravarTudo(a.registro.Arquivo(),
               "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n"
               "\"Ambiente\"=\"2\"\r\n\"UnidadeFederada\"=\"SP\"\r\n\"UnidadeFederadaCodigo\"=\"35\"\r\n"
               "\"CNPJ\"=\"11222333000181\"\r\n\"VerProc\"=\"VelantNFe\"\r\n\"TipoDanfe\"=\"1\"\r\n"
               "\"Certificado\"=\"" + (PastaCertificados() / "emitente.pfx").string() +
                   "\"\r\n\"SenhaCertificado\"=\"1234\"\r\n" + extra);
  }

  // The request parsed and the emission values set, as the poll loop does.
  void Prepara() {
    ASSERT_TRUE(AnalisaTextoSolicitacao(a.ctx, a.janela, SolicitacaoNFe()));
    a.atual.SerieAtual = "1";
    a.atual.NumeroAtual = 123;
    a.atual.DataEmissaoAtual = DataHora::De(2016, 1, 15);
    a.atual.EmissaoConcluida = false;
    a.atual.ObservacaoEmissao.clear();
  }

  // The test's own statements are not recorded.
  void Executa(const std::string& sql) { ASSERT_GE(conexao->CConexaoNfe::ExecutaSql(sql), 1) << sql; }
  // A MovimentoNFe row as an earlier request left it.
  void Movimento(int etapa, const std::string& chave, const std::string& recepcao = "0",
                 const std::string& protocolo = "0") {
    Executa("INSERT INTO MovimentoNFe (Empresa, Serie, Numero, [Numero da NFe], [Numero do Lote], "
            "[Numero da Recepcao], [Numero do Protocolo], [Etapa Concluida], Data ) VALUES ( 1, '1', 123, '" +
            chave + "', 7, " + recepcao + ", " + protocolo + ", " + std::to_string(etapa) + ", '15/01/2016' )");
  }

  struct Linha {
    std::string chave;
    int64_t lote = 0, recepcao = 0, protocolo = 0, etapa = -1;
    std::string data;
  };
  Linha Movimento(const std::string& serie = "1") {
    auto rs = conexao->CConexaoNfe::RsConexao(
        "SELECT [Numero da NFe], [Numero do Lote], [Numero da Recepcao], [Numero do Protocolo], [Etapa Concluida], "
        "Data FROM MovimentoNFe WHERE Empresa = 1 AND Serie = '" + Replace(serie, "'", "''") + "' AND Numero = 123");
    if (rs->Eof()) return {};
    return {rs->Value(0).Texto(), CLngLng(rs->Value(1)), CLngLng(rs->Value(2)), CLngLng(rs->Value(3)),
            CLngLng(rs->Value(4)), rs->Value(5).Texto()};
  }

  ::testing::AssertionResult NoLog(const std::string& linha) {
    if (a.ArquivoLog().find(" - " + linha + "\r\n") != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "faltou: \"" << linha << "\"\n" << a.ArquivoLog();
  }
};

}  // namespace velant::teste
