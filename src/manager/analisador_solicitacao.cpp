#include "manager/analisador_solicitacao.h"

#include <array>
#include <new>
#include <string>
#include <vector>

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "data/solicitacao_funcao_nfe.h"
#include "base/converte_valor.h"
#include "data/tabelas_solicitacao.h"
#include "manager/comandos_host.h"

namespace velant {

namespace {

// The highest line number the 16-bit line counter of the loop can reach.
constexpr size_t kMaiorNumeroLinha = 32768;
// Field lines a request may write to the log; a request that repeats its
// fields thousands of times must not write thousands of lines.
constexpr int kMaximoLinhasCampo = 40;

struct Leitura {
  Contexto& ctx;
  EstadoGerenciador& janela;
  int fase = 1;
  bool ItemAberto = false;
  bool CupomAberto = false;
  int32_t NumeroControleLido = 0;
  std::string codigoAtual{};        // of the line being read, for the refusal of a value that does not convert
  int linhasCampo = 0;
};

void Registra(Contexto& ctx, const std::string& texto) { ctx.log.RegistraEvento(texto, true, false); }

void RegistraCampo(Leitura& l, const std::string& texto) {
  if (++l.linhasCampo <= kMaximoLinhasCampo) Registra(l.ctx, texto);
}

void MostraStatus(Contexto& ctx, const EstadoGerenciador& janela) {
  ctx.ui.DefinirStatus(janela.TextoStatus);
  ctx.ui.Repintar();
}

// Splits at CR LF. A lone LF stays inside its line; the piece after the
// last CR LF is the last element. An empty text has no lines at all.
std::vector<std::string_view> DivideLinhas(std::string_view texto) {
  std::vector<std::string_view> linhas;
  if (texto.empty()) return linhas;
  size_t inicio = 0;
  for (;;) {
    size_t fim = texto.find("\r\n", inicio);
    if (fim == std::string_view::npos) {
      linhas.push_back(texto.substr(inicio));
      return linhas;
    }
    linhas.push_back(texto.substr(inicio, fim - inicio));
    inicio = fim + 2;
  }
}

// Characters 11 to the end. The value is taken as Mid(line, 11, Len - 10),
// which fails for a line shorter than ten characters.
std::string ValorLinha(std::string_view linha) {
  size_t pos = 0;
  for (int caracteres = 0; caracteres < 10; ++caracteres) {
    if (pos >= linha.size()) Levanta(CodigoErro::ChamadaInvalida, "Linha curta demais para conter um valor: " + std::string(linha));
    ++pos;
    while (pos < linha.size() && (static_cast<unsigned char>(linha[pos]) & 0xC0) == 0x80) ++pos;
  }
  return std::string(linha.substr(pos));
}

bool EDigito(char c) { return c >= '0' && c <= '9'; }

// The three-digit group of a line that starts "ddd-", else -1.
int Grupo(std::string_view linha) {
  if (linha.size() < 4 || !EDigito(linha[0]) || !EDigito(linha[1]) || !EDigito(linha[2]) || linha[3] != '-') {
    return -1;
  }
  return (linha[0] - '0') * 100 + (linha[1] - '0') * 10 + (linha[2] - '0');
}

// Header codes by group: index into CamposCabecalho, or -1.
const std::array<int, 1000>& IndicesCabecalho() {
  static const std::array<int, 1000> indices = [] {
    std::array<int, 1000> r;
    r.fill(-1);
    auto campos = CamposCabecalho();
    for (size_t i = 0; i < campos.size(); ++i) r[static_cast<size_t>(Grupo(campos[i].codigo))] = static_cast<int>(i);
    return r;
  }();
  return indices;
}

void GravaCabecalho(Leitura& l, const CampoCabecalho& campo, std::string valor) {
  BufferCabecalho& b = l.janela.Cabecalho;
  switch (campo.conversao) {
    case ConversaoCabecalho::Texto: b.*campo.texto = valor; break;
    case ConversaoCabecalho::Moeda: b.*campo.moeda = CCur(Valor(valor)); break;
    case ConversaoCabecalho::ConverteValor: b.*campo.moeda = ConverteValor(valor); break;
    case ConversaoCabecalho::Inteiro16: b.*campo.inteiro = CInt(Valor(valor)); break;
  }
  if (campo.rotuloLog != nullptr) RegistraCampo(l, campo.rotuloLog + valor);
}

// Codes of seven characters; true when the line was one of them.
bool LinhaCabecalhoOuParametro(Leitura& l, int grupo, std::string_view linha) {
  SolicitacaoAtual& e = l.ctx.atual;
  switch (grupo) {
    case 1: {
      int32_t n = CLng(Valor(ValorLinha(linha)));
      l.NumeroControleLido = n;
      l.janela.NumeroControle = n;
      return true;
    }
    case 2: e.TextoComplementarIde = ValorLinha(linha); return true;
    case 40: e.CodigoEmpresa = Val16(ValorLinha(linha)); return true;
    case 41:
      e.NomeEmpresaEmissora = ValorLinha(linha);
      RegistraCampo(l, "      Empresa Emissora: " + e.NomeEmpresaEmissora);
      return true;
    case 42: e.RegimeTributario = ValorLinha(linha); return true;
    case 43: e.PastaBase = ValorLinha(linha); return true;
    case 44: e.NumeroComplementarIde = Val16(ValorLinha(linha)); return true;
    case 45: e.IndicadorDevolucao = ValorLinha(linha); return true;
    case 46: e.ChaveReferenciada = ValorLinha(linha); return true;
    case 50:
      e.ChaveAcessoSolicitada = ValorLinha(linha);
      RegistraCampo(l, "      Chave de Acesso da NFe: " + e.ChaveAcessoSolicitada);
      return true;
    case 51:
      e.ProtocoloSolicitado = ValorLinha(linha);
      RegistraCampo(l, "      Número do Protocolo (autorização): " + e.ProtocoloSolicitado);
      return true;
    case 52: e.JustificativaSolicitada = ValorLinha(linha); return true;
    case 53: e.SequenciaEventoSolicitada = ValorLinha(linha); return true;
    case 54: e.CorrecaoSolicitada = ValorLinha(linha); return true;
    case 55: e.CartaCorrecaoNoEmail = UCase(Trim(ValorLinha(linha))) == "S"; return true;
    case 400: e.PagamentoSolicitado.tPag = ValorLinha(linha); return true;
    case 401: e.PagamentoSolicitado.xPag = ValorLinha(linha); return true;
    case 402: e.PagamentoSolicitado.vTroco = ValorLinha(linha); return true;
    case 403: e.PagamentoSolicitado.tpIntegra = ValorLinha(linha); return true;
    case 404: e.PagamentoSolicitado.CNPJ = ValorLinha(linha); return true;
    case 405: e.PagamentoSolicitado.tBand = ValorLinha(linha); return true;
    case 406: e.PagamentoSolicitado.cAut = ValorLinha(linha); return true;
    case 407: e.PagamentoSolicitado.indIntermed = ValorLinha(linha); return true;
    case 88: e.ArquivoAnexoEmail = ValorLinha(linha); return true;
    case 89: e.TextoAdicionalEmail = ValorLinha(linha); return true;
    case 100:
      l.ctx.tabelas.TabelaNota.AddNew();
      l.ItemAberto = true;
      PreparaRegistroNota(l.ctx.tabelas);
      return true;
    case 223: e.EmailDestinatario = ValorLinha(linha); return true;
    case 322: e.EmailEmitente = ValorLinha(linha); return true;
    default: break;
  }
  int indice = IndicesCabecalho()[static_cast<size_t>(grupo)];
  if (indice < 0) return false;
  GravaCabecalho(l, CamposCabecalho()[static_cast<size_t>(indice)], ValorLinha(linha));
  return true;
}

void Terminador(Leitura& l) {
  EstadoGerenciador& j = l.janela;
  if (j.NumeroControle == l.NumeroControleLido) {
    j.SolicitacaoAceita = true;
    j.CodigoRetorno = "0";
    const ComandoHost* comando = LocalizaComando(j.ComandoAtual);
    // A command without a text of its own leaves TextoRetorno as it was.
    if (comando != nullptr && *comando->recebida != '\0') j.TextoRetorno = comando->recebida;
    if (comando != nullptr && comando->tabelasDaNota) {
      // An invoice without instalments (a cash sale) has an empty
      // TabelaDuplicatas; moving to its first record would fail.
      auto& t = l.ctx.tabelas;
      if (t.TabelaNota.RecordCount() > 0) t.TabelaNota.MoveFirst();
      if (t.TabelaDuplicatas.RecordCount() > 0) t.TabelaDuplicatas.MoveFirst();
    }
  } else {
    j.TextoRetorno = "Número de Controle de Solicitacao está diferente!";
  }
  j.TextoStatus = j.TextoRetorno;
  MostraStatus(l.ctx, j);
}

enum class Conversao { Texto, ConverteValor };
struct ColunaItem {
  const char* coluna = nullptr;
  Conversao conversao = Conversao::Texto;
};

// Item lines 810- to 856- and 510- to 539- by group (853- and 854- are handled apart).
const std::array<ColunaItem, 1000>& ColunasItem() {
  static const std::array<ColunaItem, 1000> colunas = [] {
    std::array<ColunaItem, 1000> r{};
    const auto T = Conversao::Texto;
    const auto V = Conversao::ConverteValor;
    r[810] = {"NCMProd", T};          r[811] = {"NomeProd", T};
    r[812] = {"UnidadeProd", T};      r[813] = {"CodProduto", T};
    r[820] = {"ValorUnitProd", V};    r[821] = {"QntProd", V};
    r[822] = {"TotalProdServ", V};    r[823] = {"CodBarras", T};
    r[824] = {"CSTPis", T};           r[825] = {"CSTCofins", T};
    r[826] = {"CodListServico", T};   r[827] = {"ValorIva", V};
    r[828] = {"tpIpi", V};            r[829] = {"ValorPisReais", V};
    r[830] = {"ValorCofinsREais", V}; r[831] = {"CFOP", T};
    r[832] = {"DescNaturezaOp", T};   r[833] = {"CodEstadoIde", T};
    r[834] = {"ValorIPIProd", V};     r[835] = {"ValorCofinsProd", V};
    r[836] = {"ValorPISProd", V};     r[837] = {"ValorIcmsProd", V};
    r[838] = {"ValorBCICMSProd", V};  r[839] = {"AliquotaIPIProd", V};
    r[840] = {"AliquotaICMSProd", V}; r[841] = {"DescontoProd", V};
    r[842] = {"Descontope", V};       r[843] = {"tpNF", V};
    r[844] = {"CodSitTrib", T};       r[845] = {"ServProd", T};
    r[846] = {"DadosAdicionais", V};  r[847] = {"BCST", V};
    r[848] = {"ValorIcmsSub", V};     r[849] = {"PercentualICMSSub", V};
    r[850] = {"PercentualRedICMSSub", V};
    r[851] = {"PercentualRedICMS", V};
    r[855] = {"TipoCombustivel", T};  r[856] = {"CodigoANP", T};
    // Layout 4.00 item fields.
    r[510] = {"BCFCPProd", V};        r[511] = {"PercentualFCPProd", V};
    r[512] = {"ValorFCPProd", V};     r[513] = {"BCFCPSTProd", V};
    r[514] = {"PercentualFCPSTProd", V};
    r[515] = {"ValorFCPSTProd", V};   r[516] = {"BCFCPSTRetProd", V};
    r[517] = {"PercentualFCPSTRetProd", V};
    r[518] = {"ValorFCPSTRetProd", V};
    r[520] = {"CodBeneficioFiscal", T};
    r[521] = {"LoteProd", T};         r[522] = {"QntLoteProd", V};
    r[523] = {"DtFabricacaoLote", T}; r[524] = {"DtValidadeLote", T};
    r[525] = {"CodAgregacaoLote", T}; r[526] = {"DescricaoANP", T};
    // Layout 4.00, tax reform item fields.
    r[530] = {"CSTIBSCBSProd", T};    r[531] = {"cClassTribProd", T};
    r[532] = {"PercentualIBSUFProd", V};
    r[533] = {"PercentualIBSMunProd", V};
    r[534] = {"PercentualCBSProd", V};
    r[535] = {"PercentualRedAliqProd", V};
    r[536] = {"PercentualDiferimentoProd", V};
    r[537] = {"CSTISProd", T};        r[538] = {"cClassTribISProd", T};
    r[539] = {"PercentualISProd", V};
    return r;
  }();
  return colunas;
}

// DescontoProd plus or minus the value; a Null discount stays Null.
void SomaDesconto(data::Recordset& nota, Currency parcela) {
  const Valor& atual = nota.Value("DescontoProd");
  if (atual.ENulo()) return;
  nota.SetValue("DescontoProd", Valor(CCur(atual) + parcela));
}

// Codes compared by their first four characters; lines of no known group are skipped.
void LinhaTabela(Leitura& l, int grupo, std::string_view linha) {
  TabelasSolicitacao& t = l.ctx.tabelas;
  switch (grupo) {
    case 600:
      if (!l.CupomAberto) {
        t.TabelaCupons.AddNew();
        l.CupomAberto = true;
      }
      return;
    case 610: t.TabelaCupons.SetValue("Tipo", Valor(ValorLinha(linha))); return;
    case 611: t.TabelaCupons.SetValue("CodigoECF", Valor(ValorLinha(linha))); return;
    case 612: t.TabelaCupons.SetValue("NumeroCupom", Valor(ValorLinha(linha))); return;
    case 650:
      t.TabelaCupons.Update();
      l.CupomAberto = false;
      return;
    case 700: t.TabelaDuplicatas.AddNew(); return;
    case 710: t.TabelaDuplicatas.SetValue("status", Valor(ValorLinha(linha))); return;
    case 711: t.TabelaDuplicatas.SetValue("NumDupl", Valor(ValorLinha(linha))); return;
    case 712: t.TabelaDuplicatas.SetValue("DtVenc", Valor(CDate(Valor(ValorLinha(linha))))); return;
    case 713: t.TabelaDuplicatas.SetValue("ValorVenc", Valor(ConverteValor(ValorLinha(linha)))); return;
    case 733: t.TabelaDuplicatas.Update(); return;
    case 800:
      if (!l.ItemAberto) {
        t.TabelaNota.AddNew();
        t.TabelaNota.SetValue("DescontoProd", Valor(Currency()));
        l.ItemAberto = true;
      }
      CopiaCabecalho(t, l.janela.Cabecalho, l.ctx.atual);
      return;
    case 853: SomaDesconto(t.TabelaNota, ConverteValor(ValorLinha(linha))); return;
    case 854: SomaDesconto(t.TabelaNota, -ConverteValor(ValorLinha(linha))); return;
    case 899:
      t.TabelaNota.Update();
      l.ItemAberto = false;
      return;
    default: break;
  }
  const ColunaItem& item = ColunasItem()[static_cast<size_t>(grupo)];
  if (item.coluna == nullptr) return;
  std::string valor = ValorLinha(linha);
  if (item.conversao == Conversao::Texto) {
    t.TabelaNota.SetValue(item.coluna, Valor(std::move(valor)));
  } else {
    t.TabelaNota.SetValue(item.coluna, Valor(ConverteValor(valor)));
  }
}

void LeLinha(Leitura& l, std::string_view linha) {
  const int grupo = Grupo(linha);
  if (grupo < 0) return;
  l.codigoAtual = Left(linha, 7);
  const std::string_view resto = linha.size() >= 7 ? linha.substr(4, 3) : std::string_view();
  if (resto == "000" && LinhaCabecalhoOuParametro(l, grupo, linha)) return;
  if (grupo == 999) {
    if (resto == "999") Terminador(l);
    return;
  }
  LinhaTabela(l, grupo, linha);
}

// The terminator was never reached, or the control number did not match.
std::string MotivoSemAceite(const EstadoGerenciador& j, std::string_view ultimoPedaco) {
  if (!j.TextoRetorno.empty()) return j.TextoRetorno;
  if (ultimoPedaco.substr(0, 7) == "999-999") return "Terminador 999-999 sem CR LF no fim do texto";
  return "Sem a linha 999-999 (terminador)";
}

// Phase 3 onwards, on the text of the request; raises on a run-time error.
bool Analisa(Leitura& l, std::string_view bruto) {
  Contexto& ctx = l.ctx;
  EstadoGerenciador& j = l.janela;
  const std::string texto = ParaUtf8(bruto);
  const std::vector<std::string_view> linhas = DivideLinhas(texto);
  const int64_t ultima = static_cast<int64_t>(linhas.size()) - 1;

  l.fase = 3;
  if (ultima == 0) {
    j.MotivoRecusa = "Texto sem CR LF (linhas devem terminar em CR LF)";
    return false;
  }
  LimpaSolicitacao(ctx.atual, j);

  l.fase = 4;
  if (linhas.empty()) {
    j.MotivoRecusa = "Texto da solicitação vazio";
    Levanta(CodigoErro::IndiceForaDoIntervalo);
  }
  const std::string_view primeira = linhas[0];

  l.fase = 5;
  if (primeira.substr(0, 7) == "000-000") {
    l.fase = 6;
    j.ComandoAtual = Mid(primeira, 11);
    Registra(ctx, "      Solicitação requisitada: " + j.ComandoAtual);
  }

  l.fase = 20;
  j.TextoStatus = "Processando... Comando: " + j.ComandoAtual;
  MostraStatus(ctx, j);

  l.fase = 21;
  const ComandoHost* comando = LocalizaComando(j.ComandoAtual);
  if (comando != nullptr && comando->tabelasDaNota) {
    CriaTabelaNota(ctx.tabelas);
    CriaTabelaDuplicatas(ctx.tabelas);
    CriaTabelaCupons(ctx.tabelas);
  }
  if (comando == nullptr) {
    j.CodigoRetorno = "88";
    j.TextoRetorno = "Comando Desconhecido.  ->" + j.ComandoAtual + "<-";
    j.TextoStatus = j.TextoRetorno;
    MostraStatus(ctx, j);
    j.MotivoRecusa = primeira.substr(0, 7) == "000-000" ? j.TextoRetorno : "Primeira linha sem o código 000-000";
    return false;
  }
  // The line counter is a signed 16-bit number.
  if (static_cast<size_t>(ultima) > kMaiorNumeroLinha) {
    j.MotivoRecusa = "Texto com mais de " + std::to_string(kMaiorNumeroLinha) + " linhas";
    Levanta(CodigoErro::Estouro);
  }
  for (int64_t i = 1; i <= ultima - 1; ++i) LeLinha(l, linhas[static_cast<size_t>(i)]);
  l.codigoAtual.clear();
  if (l.linhasCampo > kMaximoLinhasCampo) {
    Registra(ctx, "      (mais " + std::to_string(l.linhasCampo - kMaximoLinhasCampo) +
                      " linhas de campos desta solicitação não registradas)");
  }

  l.fase = 92;
  if (!j.SolicitacaoAceita) j.MotivoRecusa = MotivoSemAceite(j, linhas.back());
  return j.SolicitacaoAceita;
}

bool TrataErro(Leitura& l, int numero, const std::string& descricao) {
  Contexto& ctx = l.ctx;
  const int fase = l.fase;
  if (l.janela.MotivoRecusa.empty()) {
    l.janela.MotivoRecusa = l.codigoAtual.empty()
                                ? "Erro na leitura (fase " + std::to_string(fase) + "): " + descricao
                                : "Campo " + l.codigoAtual + " inválido: " + descricao;
  }
  ctx.log.CriaLogNFe(std::string("GerenciadorNFe") + ".AbreArquivoSolicitacao: Fase do erro: " + std::to_string(fase) +
                     " - ErroNúmero: " + std::to_string(numero) + " - ErroTexto: " + descricao);
  ctx.ui.MsgBox("ERrO não identificado!" + std::string(vbCrLf) + descricao + vbCrLf + std::to_string(numero),
                vbInformation, "Rotina: GerenciadorPadraoAtivo");
  return false;
}

template <class Corpo>
bool ComTratamento(Leitura& l, Corpo corpo) {
  try {
    return corpo();
  } catch (const ErroExecucao& e) {
    return TrataErro(l, e.Numero(), e.Descricao());
  } catch (const std::bad_alloc&) {
    return TrataErro(l, 7, "Memória insuficiente");
  } catch (const std::exception& e) {
    return TrataErro(l, static_cast<int>(CodigoErro::ChamadaInvalida), e.what());
  }
}

}  // namespace

void LimpaSolicitacao(SolicitacaoAtual& atual, EstadoGerenciador& janela) {
  atual.RegimeTributario = "3";
  atual.CodigoEmpresa = 0;
  janela.SolicitacaoAceita = false;
  janela.CodigoRetorno = "99";
  janela.TextoRetorno.clear();
  atual.EmailDestinatario.clear();
  atual.EmailEmitente.clear();
  atual.NomeEmpresaEmissora.clear();
  atual.ArquivoAnexoEmail.clear();
  atual.TextoAdicionalEmail.clear();
  atual.ChaveAcessoSolicitada.clear();
  janela.Cabecalho = BufferCabecalho{};
  atual.NumeroRecepcao.clear();
  // A value the request does not carry must not come from the request
  // before it: a sale after a return would go out as a return referencing
  // the earlier invoice, a cancellation with somebody else's justification.
  atual.IndicadorDevolucao.clear();
  atual.ChaveReferenciada.clear();
  atual.ProtocoloSolicitado.clear();
  atual.JustificativaSolicitada.clear();
  atual.SequenciaEventoSolicitada.clear();
  atual.CorrecaoSolicitada.clear();
  atual.CartaCorrecaoNoEmail = false;
  atual.TextoComplementarIde.clear();
  atual.NumeroComplementarIde = 0;
  atual.PagamentoSolicitado = {};
}

bool AbreArquivoSolicitacao(Contexto& ctx, EstadoGerenciador& janela) {
  Leitura l{ctx, janela};
  return ComTratamento(l, [&] {
    l.fase = 1;
    janela.ComandoAtual.clear();
    janela.SolicitacaoAceita = false;
    janela.MotivoRecusa.clear();
    if (ctx.Solicitacao == nullptr) Levanta(CodigoErro::ObjetoNaoDefinido);
    if (!ctx.Solicitacao->LocalizarCodigo(ctx.atual.NSUAtual)) {
      Registra(ctx, std::string("  ** Solicitacao de Função NFe inexistente!") + " - NSU=" +
                        std::to_string(ctx.atual.NSUAtual));
      const std::string& erro = ctx.Solicitacao->UltimoErro();
      janela.MotivoRecusa = erro.empty() ? "Solicitação inexistente" : "Solicitação ilegível: " + erro;
      return false;
    }
    return Analisa(l, ctx.Solicitacao->Texto());
  });
}

bool AnalisaTextoSolicitacao(Contexto& ctx, EstadoGerenciador& janela, std::string_view texto) {
  Leitura l{ctx, janela};
  return ComTratamento(l, [&] {
    l.fase = 1;
    janela.ComandoAtual.clear();
    janela.SolicitacaoAceita = false;
    janela.MotivoRecusa.clear();
    return Analisa(l, texto);
  });
}

}  // namespace velant
