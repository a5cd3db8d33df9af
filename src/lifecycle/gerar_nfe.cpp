#include "lifecycle/gerar_nfe.h"

#include <limits>
#include <memory>

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "component/fiscal_doc_service.h"
#include "component/xml/gerador_xml_nfe.h"
#include "content/preenche_vetores.h"
#include "data/conexao_nfe.h"
#include "lifecycle/motivo_falha.h"
#include "data/documentos_nfe.h"
#include "lifecycle/documentos_banco.h"
#include "lifecycle/rotina_emissao.h"

namespace velant {

namespace {

std::string Slot(const std::vector<std::string>& v, size_t i) { return i < v.size() ? v[i] : std::string(); }

// The routines' error line, to the file only; the cause is the answer's
// message unless a step said something already.
bool ErroNaRotina(Contexto& ctx, const char* rotina, const std::string& descricao) {
  ctx.log.RegistraEvento(std::string("     ** Erro na Rotina: ") + rotina + " - " + descricao, true, false);
  if (ctx.atual.MensagemRetorno.empty()) ctx.atual.MensagemRetorno = MotivoDaFalha(descricao);
  return false;
}

// A failure the answer names, logged as the routines' failures are.
bool Falha(Contexto& ctx, const std::string& mensagem) {
  ctx.atual.MensagemRetorno = mensagem;
  ctx.log.RegistraEvento("      " + mensagem, true, false);
  return false;
}

// The series goes into the key and the document as a number of up to 3 digits.
bool SerieValida(const std::string& serie) {
  return !serie.empty() && serie.size() <= 3 && serie.find_first_not_of("0123456789") == std::string::npos;
}

// Signs the generated file; an error is AssinarNFE's.
bool Assina(Contexto& ctx) {
  try {
    SolicitacaoAtual& estado = ctx.atual;
    estado.ArquivoAtual = estado.PastaBase + "\\nfe\\Arquivos\\NFe" + estado.ChaveAcessoSolicitada + ".xml";
    {
      auto componente = emissao::Componente(ctx);
      estado.RetornoServico = componente->AssinaXml(estado.ArquivoAtual, "infNFe");
    }
    ctx.log.RegistraEvento("        " + estado.RetornoServico + ": " + estado.ArquivoAtual, true, true);
    return true;
  } catch (const ErroExecucao& e) {
    return ErroNaRotina(ctx, "AssinarNFE", e.Descricao());
  } catch (const std::exception& e) {
    return ErroNaRotina(ctx, "AssinarNFE", e.what());
  }
}

bool GeraDocumento(Contexto& ctx);

bool Gerar(Contexto& ctx) {
  SolicitacaoAtual& estado = ctx.atual;
  ctx.log.RegistraEvento("        Iniciando Geração da NFe: ", true, false);
  if (estado.LeiauteNFe.empty()) {
    std::string leiaute = Trim(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "LeiauteNFe"));
    if (leiaute.empty()) leiaute = "3.10";
    if (leiaute != "3.10" && leiaute != "4.00")
      Levanta(CodigoErro::ErroComponente, "Valor inválido no registro LeiauteNFe: '" + leiaute + "' (3.10 ou 4.00)");
    estado.LeiauteNFe = leiaute;
  }
  if (!PreencheVetores(ctx)) return false;
  return GeraDocumento(ctx);
}

// The document of the filled vectors: key, XML, the row, signature, validation.
bool GeraDocumento(Contexto& ctx) {
  SolicitacaoAtual& estado = ctx.atual;
  VetoresNFe& v = ctx.vetores;
  if (ctx.GeradorXml == nullptr) Levanta(CodigoErro::ObjetoNaoDefinido, "Controle GeradorXmlNFe não disponível");
  GeradorXmlNFe& gerador = *ctx.GeradorXml;
  auto registro = [&](const char* nome) { return ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", nome); };
  gerador.UnidadeFederada = registro("UnidadeFederada");
  gerador.UnidadeFederadaCodigo = registro("UnidadeFederadaCodigo");
  gerador.Ambiente = registro("Ambiente");
  gerador.VerProc = registro("VerProc");
  gerador.CNPJ = registro("CNPJ");
  gerador.TipoDanfe = registro("TipoDanfe");
  gerador.Leiaute = estado.LeiauteNFe;

  if (!SerieValida(Slot(v.gVetorIde, Ide::serie))) return Falha(ctx, "Série da NF inválida (112-000)");
  auto componente = emissao::Componente(ctx);
  std::string codigoUF = gerador.UnidadeFederadaCodigo;
  std::string cnpj = gerador.CNPJ;
  std::string chave = componente->GeraChaveAcesso(
      codigoUF, Slot(v.gVetorIde, Ide::dhEmi), cnpj, CLng(Valor(Slot(v.gVetorIde, Ide::mod))),
      CLng(Valor(Slot(v.gVetorIde, Ide::serie))), CLng(Valor(Slot(v.gVetorIde, Ide::nNF))),
      CLng(Valor(Slot(v.gVetorIde, Ide::tpEmis))), CLng(Valor(Slot(v.gVetorIde, Ide::cNF))));
  ctx.log.RegistraEvento("        Chave de Acesso da NFe: NFe" + chave, true, false);

  gerador.IdNFe = "NFe" + chave;
  gerador.ArquivoXml = estado.PastaBase + "\\nfe\\arquivos\\" + "NFe" + chave + ".xml";
  int32_t ultimo = v.gQtdItens - 1;
  if (ultimo < std::numeric_limits<int16_t>::min() || ultimo > std::numeric_limits<int16_t>::max())
    Levanta(CodigoErro::Estouro);
  gerador.UltimoItem = static_cast<int16_t>(ultimo);
  gerador.GeraXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                  v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML);
  ctx.log.RegistraEvento("        Arquivo gerado: " + gerador.ArquivoXml, true, true);

  std::string onde = " WHERE Empresa = " + std::to_string(estado.CodigoEmpresa) + "   AND Serie = '" +
                     emissao::TextoSql(estado.SerieAtual) + "'" + "   AND Numero = " + std::to_string(estado.NumeroAtual);
  auto rs = emissao::Banco(ctx).RsConexao(
      "SELECT Empresa, [Numero do Lote], [Numero da Recepcao], [Numero do Protocolo], [Etapa Concluida]"
      "  FROM MovimentoNFe" +
      onde);
  const std::string& chaveGravada = chave;  // the row keeps the key without the Id's "NFe"
  std::string gravacaoLinha;
  if (!rs->Eof()) {
    bool loteEnviado = Maior(rs->Value("Etapa Concluida"), Valor(int32_t{1}));
    rs->Close();
    if (loteEnviado) {
      ctx.log.RegistraEvento("  ** NFe com lote já enviado!NFe" + chave, true, false);
      return false;
    }
    // Issued again in contingency (another tpEmis, so another key): the
    // first key the invoice had stays on the row beside the new one.
    const std::string anterior =
        chaveGravada.size() == 44 && chaveGravada[34] != '1'
            ? "[Chave Anterior] = CASE WHEN COALESCE([Chave Anterior], '') = '' THEN [Numero da NFe] "
              "ELSE [Chave Anterior] END, "
            : "";
    gravacaoLinha = "UPDATE MovimentoNFe SET " + anterior + "[Numero da NFe] = '" + chaveGravada + "'" + onde;
  } else {
    rs->Close();
    std::string data = Format(Valor(estado.DataEmissaoAtual), "dd/mm/yyyy");
    gravacaoLinha =
        "INSERT INTO MovimentoNFe (Empresa, Serie, Numero, [Numero da NFe], [Numero do Lote], "
        "[Numero da Recepcao], [Numero do Protocolo], [Etapa Concluida], Data ) VALUES ( " +
        std::to_string(estado.CodigoEmpresa) + ", '" + emissao::TextoSql(estado.SerieAtual) + "', " +
        std::to_string(estado.NumeroAtual) + ", '" + chaveGravada + "', 0, 0, 0, 0, '" + data + "' )";
  }
  // The row is written with the signed document, in one transaction, so
  // that whichever Host goes on with the invoice has the document it names.
  const std::string chaveAnterior = estado.ChaveAcessoSolicitada;
  estado.ChaveAcessoSolicitada = chaveGravada;
  if (!Assina(ctx)) return false;
  const std::string assinado = emissao::LeAssinado(ctx);
  if (!data::ExecutaEmTransacao(
          emissao::Banco(ctx),
          {gravacaoLinha, data::ComandoGravaAssinado(emissao::NotaAtual(ctx), estado.NumeroAtual, assinado)})) {
    estado.ChaveAcessoSolicitada = chaveAnterior;   // nothing recorded under the new key
    return Falha(ctx, "Não foi possível gravar MovimentoNFe");
  }
  return ValidaNFE(ctx);
}

}  // namespace

bool GerarNFE(Contexto& ctx) {
  try {
    return Gerar(ctx);
  } catch (const ErroExecucao& e) {
    return ErroNaRotina(ctx, "GerarNFE", e.Descricao());
  } catch (const std::exception& e) {
    return ErroNaRotina(ctx, "GerarNFE", e.what());
  }
}

bool RegerarNFE(Contexto& ctx) {
  try {
    ctx.log.RegistraEvento("        Iniciando Geração da NFe: tpEmis " + std::to_string(ctx.vetores.gTipoEmissao), true,
                           false);
    TipoEmissaoNaIde(ctx);
    return GeraDocumento(ctx);
  } catch (const ErroExecucao& e) {
    return ErroNaRotina(ctx, "GerarNFE", e.Descricao());
  } catch (const std::exception& e) {
    return ErroNaRotina(ctx, "GerarNFE", e.what());
  }
}

bool AssinarNFE(Contexto& ctx) { return Assina(ctx) && ValidaNFE(ctx); }

bool ValidaNFE(Contexto& ctx) {
  try {
    SolicitacaoAtual& estado = ctx.atual;
    estado.ArquivoAtual = emissao::CaminhoAssinado(ctx);
    bool valido;
    {
      auto componente = emissao::Componente(ctx);
      valido = componente->ValidaXml(estado.ArquivoAtual,
                                     estado.LeiauteNFe == "4.00" ? "PL_010e/nfe_v4.00.xsd" : "nfe_v3.10.xsd", true);
    }
    ctx.log.RegistraEvento("        Validado=" + CStr(Valor(valido)) + ": " + estado.ArquivoAtual, true, false);
    if (valido) {
      ctx.log.RegistraEvento("        Arquivo Assinado/Validado", true, true);
      return ConfereRegrasNFE(ctx);
    }
    estado.MensagemRetorno = "Erro ao validar NFe";
    ctx.log.RegistraEvento("      " + estado.MensagemRetorno + "...", true, true);
    return false;
  } catch (const ErroExecucao& e) {
    return ErroNaRotina(ctx, "ValidaNFE", e.Descricao());
  } catch (const std::exception& e) {
    return ErroNaRotina(ctx, "ValidaNFE", e.what());
  }
}

}  // namespace velant
