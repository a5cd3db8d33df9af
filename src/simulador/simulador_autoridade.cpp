#include "simulador/simulador_autoridade.h"

#include <cstdio>
#include <ctime>
#include <map>
#include <optional>
#include <vector>

#include "base/erro.h"
#include "component/xml/assinador_xml.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/xml/autoridade_xml.h"
#include "component/autoridade/envelope_soap.h"
#include "component/autoridade/esquemas_evento.h"
#include "component/regras/regras_autoridade.h"
#include "component/autoridade/servicos_autorizacao.h"
#include "component/xml/chave_acesso.h"
#include "component/xml/validador_esquema.h"

namespace velant::autoridade {

namespace {

// Official texts of the codes the simulator answers.
const std::map<std::string, std::string> kTextos = {
    {"100", "Autorizado o uso da NF-e"},
    {"101", "Cancelamento de NF-e homologado"},
    {"102", "Inutilização de número homologado"},
    {"103", "Lote recebido com sucesso"},
    {"104", "Lote processado"},
    {"105", "Lote em processamento"},
    {"106", "Lote não localizado"},
    {"107", "Serviço em Operação"},
    {"108", "Serviço Paralisado Momentaneamente (curto prazo)"},
    {"109", "Serviço Paralisado sem Previsão"},
    {"110", "Uso Denegado"},
    {"114", "SVC desabilitada pela SEFAZ Origem"},
    {"128", "Lote de Evento Processado"},
    {"135", "Evento registrado e vinculado a NF-e"},
    {"136", "Evento registrado, mas não vinculado a NF-e"},
    {"155", "Cancelamento homologado fora de prazo"},
    {"491", "Rejeição: O tpEvento informado inválido"},
    {"467", "Rejeição: Dados da NF-e divergentes do EPEC"},
    {"468", "Rejeição: NF-e com Tipo Emissão = 4, sem EPEC correspondente"},
    {"204", "Rejeição: Duplicidade de NF-e"},
    {"206", "Rejeição: NF-e já está inutilizada na Base de dados da SEFAZ"},
    {"213", "Rejeição: CNPJ-Base do Emitente difere do CNPJ-Base do Certificado Digital"},
    {"215", "Rejeição: Falha no schema XML"},
    {"217", "Rejeição: NF-e não consta na base de dados da SEFAZ"},
    {"218", "Rejeição: NF-e já está cancelada na base de dados da SEFAZ"},
    {"220", "Rejeição: Prazo de Cancelamento superior ao previsto na Legislação"},
    {"222", "Rejeição: Protocolo de Autorização de Uso difere do cadastrado"},
    {"225", "Rejeição: Falha no Schema XML do lote de NFe"},
    {"236", "Rejeição: Chave de Acesso com dígito verificador inválido"},
    {"239", "Rejeição: Cabeçalho - Versão do arquivo XML não suportada"},
    {"241", "Rejeição: Um número da faixa já foi utilizado"},
    {"252", "Rejeição: Ambiente informado diverge do Ambiente de recebimento"},
    {"256", "Rejeição: Uma NF-e da faixa já está inutilizada na Base de dados da SEFAZ"},
    {"297", "Rejeição: Assinatura difere do calculado"},
    {"298", "Rejeição: Assinatura difere do padrão do Sistema"},
    {"452", "Rejeição: Solicitada resposta assíncrona para Lote com somente 1 (uma) NF-e"},
    {"502", "Rejeição: Erro na Chave de Acesso - Campo Id não corresponde à concatenação dos campos correspondentes"},
    {"539", "Rejeição: Duplicidade de NF-e com diferença na Chave de Acesso"},
    {"563", "Rejeição: Já existe pedido de Inutilização com a mesma faixa de inutilização"},
    {"573", "Rejeição: Duplicidade de Evento"},
    {"598", "Rejeição: NF-e emitida em ambiente de homologação com Razão Social do destinatário diferente de "
            "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL"},
};

constexpr const char* kDestinatarioHomologacao = "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL";

bool Digitos(const std::string& s, size_t n) {
  return s.size() == n && s.find_first_not_of("0123456789") == std::string::npos;
}

long long Numero(const std::string& s) {
  try {
    return std::stoll(s);
  } catch (const std::exception&) {
    return -1;
  }
}

// Modulo 11 with weights 2..9 from the right, as the access key uses it;
// computed here on its own so the simulator does not trust the client's code.
char DigitoChave(const std::string& digitos43) {
  int soma = 0, peso = 2;
  for (auto it = digitos43.rbegin(); it != digitos43.rend(); ++it) {
    soma += (*it - '0') * peso;
    peso = peso == 9 ? 2 : peso + 1;
  }
  int resto = soma % 11;
  return static_cast<char>('0' + (resto < 2 ? 0 : 11 - resto));
}

std::string Raiz8(const std::string& cnpj) { return cnpj.substr(0, 8); }

// An SVC knows only the invoices issued for it (tpEmis 6 or 7 in the key);
// the state's service knows them all.
bool DoAutorizador(const std::string& chave, const std::string& autorizador) {
  return autorizador.empty() || (chave.size() == 44 && (chave[34] == '6' || chave[34] == '7'));
}

// Reason for a signature that does not pass, as the authority codes it.
struct ResultadoAssinatura {
  std::string cStat;          // "" when sound
  InfoAssinatura info;
};

ResultadoAssinatura ConfereAssinatura(const std::string& documento, const std::string& idEsperado) {
  ResultadoAssinatura r;
  std::string erro;
  std::vector<InfoAssinatura> infos;
  bool ok = VerificarAssinatura(documento, &erro, &infos);
  if (!infos.empty()) r.info = infos.front();
  if (ok && infos.size() == 1 && infos.front().referencia == idEsperado) return r;
  bool calculo = false;
  for (const auto& i : infos) calculo = calculo || i.falha == InfoAssinatura::Falha::Calculo;
  r.cStat = calculo ? "297" : "298";
  return r;
}

std::string CodigoUfValido(std::initializer_list<std::string> candidatos) {
  for (const auto& c : candidatos)
    if (Digitos(c, 2) && c != "00") return c;
  return "35";
}

// "2016-01-15T10:00:00-03:00" as an instant; nothing when it is not so written.
std::optional<std::chrono::system_clock::time_point> Instante(const std::string& dataHora) {
  std::tm t{};
  int fusoH = 0, fusoM = 0;
  char sinal = 0;
  if (std::sscanf(dataHora.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%2d:%2d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour,
                  &t.tm_min, &t.tm_sec, &sinal, &fusoH, &fusoM) != 9 ||
      (sinal != '-' && sinal != '+'))
    return std::nullopt;
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  long fuso = (fusoH * 3600L + fusoM * 60L) * (sinal == '-' ? -1 : 1);
  return std::chrono::system_clock::from_time_t(timegm(&t) - fuso);
}

// A cancellation is on time within 24 hours of the authorisation; the
// authority still registers it, as out of time, up to 168 hours; later it refuses.
std::string StatusPrazoCancelamento(const std::string& protNFe, std::chrono::system_clock::time_point agora) {
  auto autorizacao = Instante(TextoFilho(Filho(DocumentoXml::Ler(protNFe, "protNFe").Raiz(), "infProt"), "dhRecbto"));
  if (!autorizacao) return "135";
  auto passado = agora - *autorizacao;
  if (passado <= std::chrono::hours(24)) return "135";
  if (passado <= std::chrono::hours(168)) return "155";
  return "220";
}

// The action parameter of a SOAP 1.2 Content-Type ("" when absent).
std::string AcaoDoTipo(const std::string& tipoConteudo) {
  const std::string marca = "action=\"";
  size_t inicio = tipoConteudo.find(marca);
  if (inicio == std::string::npos) return "";
  inicio += marca.size();
  size_t fim = tipoConteudo.find('"', inicio);
  return fim == std::string::npos ? "" : tipoConteudo.substr(inicio, fim - inicio);
}

// The first cStat of an answer envelope: the batch's, the event batch's, the voiding's.
std::string CodigoDaResposta(const std::string& envelope) {
  try {
    return Texto(Procura(DocumentoXml::Ler(LeResposta(envelope), "resposta").Raiz(), "cStat"));
  } catch (const ErroExecucao&) {
    return "";
  }
}

}  // namespace

struct SimuladorAutoridade::Pedido {
  const DescricaoServico* d = nullptr;
  std::string autorizador;   // "" the state's, "SVC-AN", "SVC-RS"
  std::string cUFCabecalho;
  std::string mensagem;
  std::optional<DocumentoXml> doc;
  bool esquemaOk = false;
  std::string recusa;   // a code that refuses the message before anything else (239)
  xmlNode* raiz() const { return doc->Raiz(); }
};

SimuladorAutoridade::SimuladorAutoridade(ConfiguracaoSimulador configuracao, Relogio relogio)
    : configuracao_(std::move(configuracao)),
      relogio_(relogio ? std::move(relogio) : Relogio([] { return std::chrono::system_clock::now(); })),
      estado_(configuracao_.banco) {}

std::string SimuladorAutoridade::TextoStatus(const std::string& cStat) {
  auto it = kTextos.find(cStat);
  if (it != kTextos.end()) return it->second;
  if (!Digitos(cStat, cStat.size()) || cStat.empty() || cStat.size() > 3) return "";
  const regras::RegraAutoridade* regra = regras::RegraPorCodigo(std::stoi(cStat));
  return regra ? regra->texto : "";
}

FalhasSimulador SimuladorAutoridade::Falhas() const {
  std::lock_guard<std::mutex> trava(mutex_);
  return FalhasSemTrava();
}

FalhasSimulador SimuladorAutoridade::FalhasSemTrava() const {
  FalhasSimulador base = configuracao_.falhas;
  if (rejeicaoDaLinhaUsada_) base.rejeitarProxima.clear();
  return AplicaArquivoControle(base, configuracao_.arquivoControle);
}

std::string SimuladorAutoridade::Agora() const { return DataHoraComFuso(relogio_(), -3); }

std::string SimuladorAutoridade::Protocolo(const std::string& cUF) {
  std::string ano = Agora().substr(2, 2);
  long long seq = estado_.Proximo("protocolo-" + cUF + ano);
  return "1" + cUF + ano + PreencheZeros(std::to_string(seq), 10);
}

std::string SimuladorAutoridade::RejeicaoInjetada() {
  std::string codigo = falhas_.rejeitarProxima;
  if (codigo.empty()) return "";
  falhas_.rejeitarProxima.clear();
  // Whichever source gave it, it is used once.
  if (configuracao_.falhas.rejeitarProxima == codigo) rejeicaoDaLinhaUsada_ = true;
  ConsomeRejeicao(configuracao_.arquivoControle);
  return codigo;
}

RespostaSimulador SimuladorAutoridade::Atende(const PedidoHttp& pedido) {
  std::lock_guard<std::mutex> trava(mutex_);
  std::string servico;
  RespostaSimulador r = AtendeSemRegistro(pedido, servico);
  estado_.GravaChamada({pedido.caminho, servico, r.status, r.status == 200 ? CodigoDaResposta(r.corpo) : ""});
  return r;
}

std::vector<EstadoSimulador::Chamada> SimuladorAutoridade::Chamadas() {
  std::lock_guard<std::mutex> trava(mutex_);
  return estado_.Chamadas();
}

RespostaSimulador SimuladorAutoridade::AtendeSemRegistro(const PedidoHttp& pedido, std::string& servico) {
  auto falha = [](const std::string& codigo, const std::string& motivo) {
    return RespostaSimulador{500, MontaFalhaSoap(codigo, motivo), "application/soap+xml; charset=utf-8"};
  };
  Pedido p;
  std::string_view caminho = pedido.caminho;
  p.autorizador = AutorizadorDoCaminho(caminho);
  p.d = DescricaoPorCaminho(caminho);
  // The contingency authorities serve layout 4.00 and void nothing; the
  // national environment serves here only the events (the EPEC).
  if (p.d == nullptr ||
      (p.autorizador == "AN" && p.d->servico != ServicoNFe::RecepcaoEvento) ||
      (!p.autorizador.empty() && (p.d->leiaute != Leiaute::V400 || p.d->servico == ServicoNFe::Inutilizacao)))
    return {404, "Serviço inexistente: " + pedido.caminho + "\n", "text/plain; charset=utf-8"};
  servico = p.d->nome;
  if (pedido.tipoConteudo.rfind("application/soap+xml", 0) != 0)
    return {415, "Esperado application/soap+xml (SOAP 1.2)\n", "text/plain; charset=utf-8"};
  std::string acao = AcaoDoTipo(pedido.tipoConteudo);
  if (!acao.empty() && acao != AcaoSoap(*p.d)) return falha("Sender", "Ação SOAP desconhecida em " + servico + ": " + acao);
  try {
    falhas_ = FalhasSemTrava();
  } catch (const std::invalid_argument& e) {
    return falha("Receiver", std::string("simulador: ") + e.what());
  }
  try {
    PedidoSoap soap = LePedido(pedido.corpo);
    if (soap.namespaceDados != NamespaceWsdl(*p.d))
      return falha("Sender", std::string("nfeDadosMsg fora do namespace do serviço ") + p.d->nome);
    if (soap.raiz != p.d->raizPedido)
      return falha("Sender", "Mensagem " + soap.raiz + " não é do serviço " + servico);
    p.cUFCabecalho = soap.codigoUf;
    p.mensagem = soap.mensagem;
    p.doc.emplace(DocumentoXml::Ler(p.mensagem, "Mensagem"));
  } catch (const ErroExecucao& e) {
    return falha("Sender", e.Descricao());
  }
  // A layout switched off, or a message of another layout, goes no further.
  if ((p.d->leiaute == Leiaute::V310 && !configuracao_.leiaute310) || Atributo(p.raiz(), "versao") != p.d->versaoDados)
    p.recusa = "239";
  std::string resposta;
  try {
    const std::string tpEvento = p.d->servico == ServicoNFe::RecepcaoEvento ? TipoDoEvento(p.mensagem) : "";
    p.esquemaOk = p.recusa.empty() && !ValidarXml(p.mensagem, EsquemasDoEvento(*p.d, tpEvento).pedido).has_value();
    switch (p.d->servico) {
      case ServicoNFe::StatusServico: resposta = StatusServico(p); break;
      case ServicoNFe::Autorizacao: resposta = Autorizacao(p); break;
      case ServicoNFe::RetAutorizacao: resposta = RetAutorizacao(p); break;
      case ServicoNFe::Consulta: resposta = Consulta(p); break;
      case ServicoNFe::RecepcaoEvento: resposta = RecepcaoEvento(p); break;
      case ServicoNFe::Inutilizacao: resposta = Inutilizacao(p); break;
    }
  } catch (const ErroExecucao& e) {   // its own fault (a schema file, the database)
    return falha("Receiver", "simulador: " + e.Descricao());
  } catch (const std::exception& e) {
    return falha("Receiver", std::string("simulador: ") + e.what());
  }
  return {200, MontaEnvelopeResposta(*p.d, CodigoUfValido({p.cUFCabecalho}), resposta), TipoConteudoSoap(*p.d)};
}

std::string SimuladorAutoridade::StatusServico(const Pedido& p) {
  xmlNode* r = p.raiz();
  std::string cUF = CodigoUfValido({TextoFilho(r, "cUF"), p.cUFCabecalho});
  std::string cStat = "107";
  if (!p.recusa.empty()) cStat = p.recusa;
  else if (!p.esquemaOk) cStat = "215";
  else if (TextoFilho(r, "tpAmb") != configuracao_.ambiente) cStat = "252";
  else if (!Parada(p).empty()) cStat = Parada(p);
  std::string m = RaizMensagem("retConsStatServ", p.d->versaoDados) + Elemento("tpAmb", configuracao_.ambiente) +
                  Elemento("verAplic", configuracao_.verAplic) + Elemento("cStat", cStat) + Elemento("xMotivo", TextoStatus(cStat)) +
                  Elemento("cUF", cUF) + Elemento("dhRecbto", Agora());
  if (cStat == "107") m += Elemento("tMed", "1");
  return m + "</retConsStatServ>";
}

std::string SimuladorAutoridade::Autorizacao(const Pedido& p) {
  xmlNode* r = p.raiz();
  xmlNode* primeiraNFe = Filho(r, "NFe");
  std::string cUF = CodigoUfValido({TextoFilho(Filho(Filho(primeiraNFe, "infNFe"), "ide"), "cUF"), p.cUFCabecalho});
  // resto: the receipt (infRec) or, synchronous, the invoice's protNFe.
  auto resposta = [&](const std::string& cStat, const std::string& resto) {
    return RaizMensagem("retEnviNFe", p.d->versaoDados) + Elemento("tpAmb", configuracao_.ambiente) +
           Elemento("verAplic", configuracao_.verAplic) + Elemento("cStat", cStat) +
           Elemento("xMotivo", TextoStatus(cStat)) + Elemento("cUF", cUF) + Elemento("dhRecbto", Agora()) + resto +
           "</retEnviNFe>";
  };
  if (!p.recusa.empty()) return resposta(p.recusa, "");
  if (!p.esquemaOk) return resposta("225", "");
  if (std::string parada = Parada(p); !parada.empty()) return resposta(parada, "");
  int notas = 0;
  for (xmlNode* nfe = r->children; nfe != nullptr; nfe = nfe->next) notas += NomeLocal(nfe) == "NFe" ? 1 : 0;
  const bool v400 = p.d->leiaute == Leiaute::V400;
  const bool sincrono = v400 && notas == 1 && TextoFilho(r, "indSinc") == "1";
  if (v400 && notas == 1 && !sincrono) return resposta("452", "");

  EstadoSimulador::Lote lote;
  lote.cUF = cUF;
  lote.nRec = cUF + "1" + PreencheZeros(std::to_string(estado_.Proximo("recibo-" + cUF)), 12);
  for (xmlNode* nfe = r->children; nfe != nullptr; nfe = nfe->next) {
    if (NomeLocal(nfe) != "NFe") continue;
    xmlNode* inf = Filho(nfe, "infNFe");
    xmlNode* ide = Filho(inf, "ide");
    xmlNode* emit = Filho(inf, "emit");
    xmlNode* dest = Filho(inf, "dest");
    std::string id = Atributo(inf, "Id");
    std::string chave = id.size() == 47 ? id.substr(3) : std::string(44, '0');
    std::string cnpj = TextoFilho(emit, "CNPJ");
    if (cnpj.empty()) cnpj = "000" + TextoFilho(emit, "CPF");
    std::string serie = TextoFilho(ide, "serie");
    std::string nNF = TextoFilho(ide, "nNF");
    std::string dhEmi = TextoFilho(ide, "dhEmi");
    std::string cUFNota = TextoFilho(ide, "cUF");

    ResultadoAssinatura assinatura = ConfereAssinatura(SerializaElemento(nfe), id);
    std::string cStat, detalhe;
    std::string injetada = RejeicaoInjetada();
    std::string composta = cUFNota + (dhEmi.size() >= 7 ? dhEmi.substr(2, 2) + dhEmi.substr(5, 2) : "") + cnpj +
                           TextoFilho(ide, "mod") + PreencheZeros(serie, 3) + PreencheZeros(nNF, 9) +
                           TextoFilho(ide, "tpEmis") + TextoFilho(ide, "cNF") + TextoFilho(ide, "cDV");
    std::optional<EstadoSimulador::Nota> mesmaChave, mesmoNumero;
    std::optional<regras::RegraViolada> violada;
    std::string contraEpec;
    if (!injetada.empty()) {
      cStat = injetada;
    } else if (!assinatura.cStat.empty()) {
      cStat = assinatura.cStat;
    } else if (assinatura.info.cnpjCertificado.size() != 14 || Raiz8(assinatura.info.cnpjCertificado) != Raiz8(cnpj)) {
      cStat = "213";
    } else if (TextoFilho(ide, "tpAmb") != configuracao_.ambiente) {
      cStat = "252";
    } else if (configuracao_.regrasNegocio && (violada = regras::VerificaRegras(nfe, relogio_(), p.autorizador))) {
      cStat = std::to_string(violada->codigo);
    } else if (DigitoChave(chave.substr(0, 43)) != chave[43]) {
      cStat = "236";
    } else if (composta != chave) {
      cStat = "502";
    } else if (configuracao_.ambiente == "2" && Filho(dest, "xNome") != nullptr &&
               TextoFilho(dest, "xNome") != kDestinatarioHomologacao) {
      cStat = "598";
    } else if (TextoFilho(ide, "tpEmis") == "4" && p.autorizador.empty() &&
               !(contraEpec = StatusContraEpec(inf, chave)).empty()) {
      cStat = contraEpec;
    } else if ((mesmaChave = estado_.NotaPorChave(chave))) {
      cStat = "204";
      detalhe = " [nRec:" + mesmaChave->nRec + "]";
    } else if ((mesmoNumero = estado_.NotaPorNumero(cnpj, Numero(serie), Numero(nNF)))) {
      cStat = "539";
      detalhe = " [chNFe:" + mesmoNumero->chave + "][nRec:" + mesmoNumero->nRec + "]";
    } else if (estado_.FaixaSobreposta(cnpj, Numero(serie), Numero(nNF), Numero(nNF))) {
      cStat = "206";
    } else {
      cStat = "100";
    }
    std::string xMotivo = TextoStatus(cStat);
    if (xMotivo.empty()) xMotivo = "Rejeição: Código " + cStat + " simulado";
    std::string nProt = cStat == "100" ? Protocolo(CodigoUfValido({cUFNota, cUF})) : "";
    std::string prot = "<protNFe xmlns=\"" + std::string(kNamespaceNFe) + "\" versao=\"" +
                       VersaoLeiaute(p.d->leiaute) + "\"><infProt" + (nProt.empty() ? "" : " Id=\"ID" + nProt + "\"") + ">" +
                       Elemento("tpAmb", configuracao_.ambiente) + Elemento("verAplic", configuracao_.verAplic) +
                       Elemento("chNFe", chave) + Elemento("dhRecbto", Agora()) + (nProt.empty() ? "" : Elemento("nProt", nProt)) +
                       (assinatura.info.digestValue.empty() ? "" : Elemento("digVal", assinatura.info.digestValue)) +
                       Elemento("cStat", cStat) + Elemento("xMotivo", xMotivo + detalhe) + "</infProt></protNFe>";
    if (!nProt.empty()) prot = Assinado(prot, "infProt");
    if (cStat == "100") {
      EstadoSimulador::Nota nota;
      nota.chave = chave;
      nota.cnpj = cnpj;
      nota.serie = Numero(serie);
      nota.numero = Numero(nNF);
      nota.nProt = nProt;
      nota.nRec = lote.nRec;
      nota.protNFe = prot;
      estado_.GravaNota(nota);
    }
    lote.protocolos.push_back(prot);
  }
  estado_.GravaLote(lote);
  // The fault "sincrono=recibo" answers as an authority that processes it later anyway.
  if (sincrono && !falhas_.reciboNoSincrono) return resposta("104", Adulterado(lote.protocolos.front()));
  return resposta("103", "<infRec>" + Elemento("nRec", lote.nRec) + Elemento("tMed", "1") + "</infRec>");
}

std::string SimuladorAutoridade::RetAutorizacao(const Pedido& p) {
  xmlNode* r = p.raiz();
  std::string nRec = TextoFilho(r, "nRec");
  std::string cUF = CodigoUfValido({nRec.substr(0, 2), p.cUFCabecalho});
  auto resposta = [&](const std::string& cStat, const std::vector<std::string>& protocolos) {
    std::string m = RaizMensagem("retConsReciNFe", p.d->versaoDados) + Elemento("tpAmb", configuracao_.ambiente) +
                    Elemento("verAplic", configuracao_.verAplic) + Elemento("nRec", Digitos(nRec, 15) ? nRec : std::string(15, '0')) +
                    Elemento("cStat", cStat) + Elemento("xMotivo", TextoStatus(cStat)) + Elemento("cUF", cUF) + Elemento("dhRecbto", Agora());
    for (const auto& prot : protocolos) m += Adulterado(prot);
    return m + "</retConsReciNFe>";
  };
  if (!p.recusa.empty()) return resposta(p.recusa, {});
  if (!p.esquemaOk) return resposta("215", {});
  if (std::string parada = Parada(p); !parada.empty()) return resposta(parada, {});
  if (TextoFilho(r, "tpAmb") != configuracao_.ambiente) return resposta("252", {});
  auto lote = estado_.ConsultaLote(nRec);
  if (!lote) return resposta("106", {});
  int espera = falhas_.consultasEmProcessamento.value_or(configuracao_.consultasEmProcessamento);
  if (falhas_.sempreEmProcessamento || lote->consultas <= espera) return resposta("105", {});
  return resposta("104", lote->protocolos);
}

std::string SimuladorAutoridade::Consulta(const Pedido& p) {
  xmlNode* r = p.raiz();
  std::string chave = TextoFilho(r, "chNFe");
  // Letters stand where an alphanumeric CNPJ does; the 3.10 schema has let none through.
  bool chaveOk = ChaveNaForma(chave, CnpjNaChave::Alfanumerico);
  std::string cUF = CodigoUfValido({chaveOk ? chave.substr(0, 2) : "", p.cUFCabecalho});
  auto resposta = [&](const std::string& cStat, const std::string& resto) {
    return RaizMensagem("retConsSitNFe", p.d->versaoDados) + Elemento("tpAmb", configuracao_.ambiente) +
           Elemento("verAplic", configuracao_.verAplic) + Elemento("cStat", cStat) + Elemento("xMotivo", TextoStatus(cStat)) +
           Elemento("cUF", cUF) + Elemento("dhRecbto", Agora()) + Elemento("chNFe", chaveOk ? chave : std::string(44, '0')) + resto +
           "</retConsSitNFe>";
  };
  if (!p.recusa.empty()) return resposta(p.recusa, "");
  if (!p.esquemaOk) return resposta("215", "");
  if (std::string parada = Parada(p); !parada.empty()) return resposta(parada, "");
  if (TextoFilho(r, "tpAmb") != configuracao_.ambiente) return resposta("252", "");
  if (DigitoChave(chave.substr(0, 43)) != chave[43]) return resposta("236", "");
  auto nota = estado_.NotaPorChave(chave);
  if (!nota || !DoAutorizador(chave, p.autorizador)) return resposta("217", "");
  if (nota->cancelada)
    return resposta("101", nota->protNFe + "<procEventoNFe versao=\"1.00\">" + SemDeclaracao(nota->evento) +
                               SemDeclaracao(nota->retEvento) + "</procEventoNFe>");
  return resposta("100", Adulterado(nota->protNFe));
}

std::string SimuladorAutoridade::RecepcaoEvento(const Pedido& p) {
  xmlNode* r = p.raiz();
  std::string idLote = TextoFilho(r, "idLote");
  if (idLote.empty() || idLote.size() > 15 || idLote.find_first_not_of("0123456789") != std::string::npos)
    idLote = "0";
  xmlNode* primeiro = Filho(Filho(r, "evento"), "infEvento");
  std::string cOrgao = CodigoUfValido({TextoFilho(primeiro, "cOrgao"), p.cUFCabecalho});
  auto lote = [&](const std::string& cStat, const std::string& eventos) {
    return RaizMensagem("retEnvEvento", "1.00") + Elemento("idLote", idLote) + Elemento("tpAmb", configuracao_.ambiente) +
           Elemento("verAplic", configuracao_.verAplic) + Elemento("cOrgao", cOrgao) + Elemento("cStat", cStat) +
           Elemento("xMotivo", TextoStatus(cStat)) + eventos + "</retEnvEvento>";
  };
  if (!p.recusa.empty()) return lote(p.recusa, "");
  if (!p.esquemaOk) return lote("215", "");
  if (std::string parada = Parada(p); !parada.empty()) return lote(parada, "");

  std::string retornos;
  for (xmlNode* evento = r->children; evento != nullptr; evento = evento->next) {
    if (NomeLocal(evento) != "evento") continue;
    xmlNode* inf = Filho(evento, "infEvento");
    std::string chave = TextoFilho(inf, "chNFe");
    std::string sequencia = TextoFilho(inf, "nSeqEvento");
    const std::string tpEvento = TextoFilho(inf, "tpEvento");
    const bool carta = tpEvento == "110110";
    const bool epec = tpEvento == "110140";
    std::string textoEvento = SerializaElemento(evento);
    ResultadoAssinatura assinatura = ConfereAssinatura(textoEvento, Atributo(inf, "Id"));
    std::string injetada = RejeicaoInjetada();
    std::optional<EstadoSimulador::Nota> nota;
    std::string cStat, detalhe;
    if (!injetada.empty()) {
      cStat = injetada;
    } else if (!assinatura.cStat.empty()) {
      cStat = assinatura.cStat;
    } else if (assinatura.info.cnpjCertificado.size() != 14 ||
               Raiz8(assinatura.info.cnpjCertificado) != Raiz8(TextoFilho(inf, "CNPJ"))) {
      cStat = "213";
    } else if (TextoFilho(inf, "tpAmb") != configuracao_.ambiente) {
      cStat = "252";
    } else if (DigitoChave(chave.substr(0, 43)) != chave[43]) {
      cStat = "236";
    } else if (epec != (p.autorizador == "AN")) {
      // The EPEC is the national environment's only, and all it takes here.
      cStat = "491";
    } else if (epec) {
      cStat = StatusEpec(chave);
    } else if (!(nota = estado_.NotaPorChave(chave)) || !DoAutorizador(chave, p.autorizador)) {
      cStat = "217";
    } else if (nota->cancelada) {
      cStat = "218";
      detalhe = " [nRec:" + nota->protocoloCancelamento + "]";
    } else if (carta) {
      // A letter replaces the earlier ones; the same sequence twice is a duplicate.
      cStat = estado_.EventoRegistrado(chave, tpEvento, Numero(sequencia)) ? "573" : "135";
    } else if (TextoFilho(Filho(inf, "detEvento"), "nProt") != nota->nProt) {
      cStat = "222";
    } else {
      cStat = StatusPrazoCancelamento(nota->protNFe, relogio_());
    }
    std::string xMotivo = TextoStatus(cStat);
    if (xMotivo.empty()) xMotivo = "Rejeição: Código " + cStat + " simulado";
    const bool registrado = cStat == "135" || cStat == "155" || (epec && cStat == "136");
    std::string nProt = registrado ? Protocolo(chave.substr(0, 2)) : "";
    std::string ret = "<retEvento xmlns=\"" + std::string(kNamespaceNFe) + "\" versao=\"1.00\"><infEvento" + (nProt.empty() ? "" : " Id=\"ID" + nProt + "\"") +
                      ">" + Elemento("tpAmb", configuracao_.ambiente) + Elemento("verAplic", configuracao_.verAplic) +
                      Elemento("cOrgao", CodigoUfValido({TextoFilho(inf, "cOrgao"), cOrgao})) + Elemento("cStat", cStat) +
                      Elemento("xMotivo", xMotivo + detalhe) + Elemento("chNFe", chave) + Elemento("tpEvento", tpEvento) +
                      Elemento("xEvento", epec    ? "EPEC registrado"
                                          : carta ? "Carta de Correção registrada"
                                                  : "Cancelamento registrado") +
                      Elemento("nSeqEvento", sequencia) +
                      // The EPEC's answer names its author's state too.
                      (epec ? Elemento("cOrgaoAutor", CodigoUfValido({TextoFilho(Filho(inf, "detEvento"), "cOrgaoAutor"),
                                                                      chave.substr(0, 2)}))
                            : "") +
                      Elemento("dhRegEvento", Agora()) + (nProt.empty() ? "" : Elemento("nProt", nProt)) +
                      "</infEvento></retEvento>";
    if (registrado) {
      ret = Assinado(ret, "infEvento");
      if (carta || epec) estado_.GravaEvento(chave, tpEvento, Numero(sequencia), textoEvento, ret, nProt);
      else estado_.GravaCancelamento(chave, textoEvento, ret, nProt);
    }
    retornos += ret;
  }
  return lote("128", retornos);
}

std::string SimuladorAutoridade::StatusEpec(const std::string& chave) {
  if (chave.size() != 44 || chave[34] != '4') return "491";
  return estado_.EventoRegistrado(chave, "110140", 1) ? "573" : "136";
}

std::string SimuladorAutoridade::StatusContraEpec(xmlNode* infNFe, const std::string& chave) {
  auto evento = estado_.Evento(chave, "110140", 1);
  if (!evento) return "468";
  DocumentoXml doc = DocumentoXml::Ler(*evento, "EPEC");
  const xmlNode* det = Procura(doc.Raiz(), "detEvento");
  const xmlNode* dest = Filho(infNFe, "dest");
  const xmlNode* tot = Filho(Filho(infNFe, "total"), "ICMSTot");
  const xmlNode* destEpec = Filho(det, "dest");
  std::string idDest;
  for (const char* tipo : {"CNPJ", "CPF", "idEstrangeiro"}) idDest += TextoFilho(dest, tipo) + "|";
  std::string idEpec;
  for (const char* tipo : {"CNPJ", "CPF", "idEstrangeiro"}) idEpec += TextoFilho(destEpec, tipo) + "|";
  // The summary registered is what the invoice must say.
  const bool igual = TextoFilho(Filho(infNFe, "ide"), "dhEmi") == TextoFilho(det, "dhEmi") &&
                     TextoFilho(Filho(infNFe, "ide"), "tpNF") == TextoFilho(det, "tpNF") &&
                     TextoFilho(Filho(infNFe, "emit"), "IE") == TextoFilho(det, "IE") && idDest == idEpec &&
                     TextoFilho(dest, "IE") == TextoFilho(destEpec, "IE") &&
                     TextoFilho(tot, "vNF") == TextoFilho(destEpec, "vNF") &&
                     TextoFilho(tot, "vICMS") == TextoFilho(destEpec, "vICMS") &&
                     TextoFilho(tot, "vST") == TextoFilho(destEpec, "vST");
  return igual ? "" : "467";
}

std::string SimuladorAutoridade::Inutilizacao(const Pedido& p) {
  xmlNode* inf = Filho(p.raiz(), "infInut");
  std::string cUF = CodigoUfValido({TextoFilho(inf, "cUF"), p.cUFCabecalho});
  std::string cnpj = TextoFilho(inf, "CNPJ");
  std::string serie = TextoFilho(inf, "serie");
  std::string ano = TextoFilho(inf, "ano");
  long long inicio = Numero(TextoFilho(inf, "nNFIni"));
  long long fim = Numero(TextoFilho(inf, "nNFFin"));
  auto resposta = [&](const std::string& cStat, const std::string& nProt) {
    std::string m = RaizMensagem("retInutNFe", p.d->versaoDados) + "<infInut" + (nProt.empty() ? "" : " Id=\"ID" + nProt + "\"") +
                    ">" + Elemento("tpAmb", configuracao_.ambiente) + Elemento("verAplic", configuracao_.verAplic) +
                    Elemento("cStat", cStat) + Elemento("xMotivo", TextoStatus(cStat).empty()
                                                           ? "Rejeição: Código " + cStat + " simulado"
                                                           : TextoStatus(cStat)) +
                    Elemento("cUF", cUF);
    if (p.esquemaOk)
      m += Elemento("ano", ano) + Elemento("CNPJ", cnpj) + Elemento("mod", "55") + Elemento("serie", serie) +
           Elemento("nNFIni", std::to_string(inicio)) + Elemento("nNFFin", std::to_string(fim));
    m += Elemento("dhRecbto", Agora()) + (nProt.empty() ? "" : Elemento("nProt", nProt));
    m += "</infInut></retInutNFe>";
    return nProt.empty() ? m : Assinado(m, "infInut");
  };
  if (!p.recusa.empty()) return resposta(p.recusa, "");
  if (!p.esquemaOk) return resposta("215", "");
  if (std::string parada = Parada(p); !parada.empty()) return resposta(parada, "");
  ResultadoAssinatura assinatura = ConfereAssinatura(p.mensagem, Atributo(inf, "Id"));
  std::string injetada = RejeicaoInjetada();
  if (!injetada.empty()) return resposta(injetada, "");
  if (!assinatura.cStat.empty()) return resposta(assinatura.cStat, "");
  if (assinatura.info.cnpjCertificado.size() != 14 || Raiz8(assinatura.info.cnpjCertificado) != Raiz8(cnpj))
    return resposta("213", "");
  if (TextoFilho(inf, "tpAmb") != configuracao_.ambiente) return resposta("252", "");
  if (estado_.FaixaInutilizada(cnpj, Numero(serie), inicio, fim)) return resposta("563", "");
  if (estado_.FaixaSobreposta(cnpj, Numero(serie), inicio, fim)) return resposta("256", "");
  if (estado_.NotaNaFaixa(cnpj, Numero(serie), inicio, fim)) return resposta("241", "");
  std::string nProt = Protocolo(cUF);
  estado_.GravaInutilizacao(cnpj, Numero(serie), ano, inicio, fim, nProt);
  return resposta("102", nProt);
}

std::string SimuladorAutoridade::Parada(const Pedido& p) const {
  if (p.autorizador.empty()) return falhas_.paralisado;
  if (p.autorizador == "AN") return "";
  if (!falhas_.paralisadoSvc.empty()) return falhas_.paralisadoSvc;
  // The state activates its SVC while its own service is paused.
  return falhas_.paralisado.empty() ? "114" : "";
}

std::string SimuladorAutoridade::Adulterado(const std::string& protNFe) const {
  auto troca = [&](const std::string& marca) {
    // The last digit of the element's content, changed.
    std::string s = protNFe;
    size_t p = s.find(marca);
    size_t fim = p == std::string::npos ? p : s.find('<', p + marca.size());
    if (fim != std::string::npos && fim > p + marca.size()) s[fim - 1] = s[fim - 1] == '9' ? '0' : s[fim - 1] + 1;
    return s;
  };
  if (falhas_.adulterar == "protocolo") return troca("<nProt>");
  if (falhas_.adulterar == "chave") return troca("<chNFe>");
  if (falhas_.adulterar == "assinatura") {
    size_t inicio = protNFe.find("<Signature");
    size_t fim = protNFe.find("</Signature>");
    if (inicio != std::string::npos && fim != std::string::npos)
      return protNFe.substr(0, inicio) + protNFe.substr(fim + std::string("</Signature>").size());
  }
  return protNFe;
}

std::string SimuladorAutoridade::Assinado(const std::string& documento, const char* elemento) const {
  if (!configuracao_.assinatura.Carregado()) return documento;
  return SemDeclaracao(AssinarXml(documento, elemento, configuracao_.assinatura));
}

}  // namespace velant::autoridade
