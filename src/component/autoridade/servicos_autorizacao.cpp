#include "component/autoridade/servicos_autorizacao.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <span>
#include <sstream>

#include "base/arquivos.h"
#include "base/erro.h"
#include "base/texto.h"
#include "component/dados_instalados.h"

namespace velant::autoridade {

namespace {

const DescricaoServico kServicos[] = {
    {ServicoNFe::StatusServico, "NfeStatusServico2", "nfeStatusServicoNF2", "consStatServ", "retConsStatServ", "3.10",
     "consStatServ_v3.10.xsd", "retConsStatServ_v3.10.xsd", Leiaute::V310},
    {ServicoNFe::Autorizacao, "NfeAutorizacao", "nfeAutorizacaoLote", "enviNFe", "retEnviNFe", "3.10",
     "enviNFe_v3.10.xsd", "retEnviNFe_v3.10.xsd", Leiaute::V310},
    {ServicoNFe::RetAutorizacao, "NfeRetAutorizacao", "nfeRetAutorizacaoLote", "consReciNFe", "retConsReciNFe", "3.10",
     "consReciNFe_v3.10.xsd", "retConsReciNFe_v3.10.xsd", Leiaute::V310},
    {ServicoNFe::Consulta, "NfeConsulta2", "nfeConsultaNF2", "consSitNFe", "retConsSitNFe", "3.10",
     "consSitNFe_v3.10.xsd", "retConsSitNFe_v3.10.xsd", Leiaute::V310},
    {ServicoNFe::RecepcaoEvento, "RecepcaoEvento", "nfeRecepcaoEvento", "envEvento", "retEnvEvento", "1.00",
     "envEventoCancNFe_v1.00.xsd", "retEnvEventoCancNFe_v1.00.xsd", Leiaute::V310},
    {ServicoNFe::Inutilizacao, "NfeInutilizacao2", "nfeInutilizacaoNF2", "inutNFe", "retInutNFe", "3.10",
     "inutNFe_v3.10.xsd", "retInutNFe_v3.10.xsd", Leiaute::V310},
};

// Layout 4.00: the services end in "4", and the operations lost the "2".
// The event service takes the cancellation (schema below) and the correction
// letter (evento-cce/envCCe_v1.00.xsd) alike.
const DescricaoServico kServicos4[] = {
    {ServicoNFe::StatusServico, "NFeStatusServico4", "nfeStatusServicoNF", "consStatServ", "retConsStatServ", "4.00",
     "PL_010e/consStatServ_v4.00.xsd", "PL_010e/retConsStatServ_v4.00.xsd", Leiaute::V400},
    {ServicoNFe::Autorizacao, "NFeAutorizacao4", "nfeAutorizacaoLote", "enviNFe", "retEnviNFe", "4.00",
     "PL_010e/enviNFe_v4.00.xsd", "PL_010e/retEnviNFe_v4.00.xsd", Leiaute::V400},
    {ServicoNFe::RetAutorizacao, "NFeRetAutorizacao4", "nfeRetAutorizacaoLote", "consReciNFe", "retConsReciNFe",
     "4.00", "PL_010e/consReciNFe_v4.00.xsd", "PL_010e/retConsReciNFe_v4.00.xsd", Leiaute::V400},
    {ServicoNFe::Consulta, "NFeConsultaProtocolo4", "nfeConsultaNF", "consSitNFe", "retConsSitNFe", "4.00",
     "PL_010e/consSitNFe_v4.00.xsd", "PL_010e/retConsSitNFe_v4.00.xsd", Leiaute::V400},
    {ServicoNFe::RecepcaoEvento, "NFeRecepcaoEvento4", "nfeRecepcaoEvento", "envEvento", "retEnvEvento", "1.00",
     "evento-cancelamento-v4/envEventoCancNFe_v1.00.xsd", "evento-cancelamento-v4/retEnvEventoCancNFe_v1.00.xsd", Leiaute::V400},
    {ServicoNFe::Inutilizacao, "NFeInutilizacao4", "nfeInutilizacaoNF", "inutNFe", "retInutNFe", "4.00",
     "PL_010e/inutNFe_v4.00.xsd", "PL_010e/retInutNFe_v4.00.xsd", Leiaute::V400},
};

std::span<const DescricaoServico> Servicos(Leiaute leiaute) {
  if (leiaute == Leiaute::V400) return kServicos4;
  return kServicos;
}

struct Uf {
  const char* sigla;
  const char* codigo;
};
const Uf kUfs[] = {{"RO", "11"}, {"AC", "12"}, {"AM", "13"}, {"RR", "14"}, {"PA", "15"}, {"AP", "16"}, {"TO", "17"},
                   {"MA", "21"}, {"PI", "22"}, {"CE", "23"}, {"RN", "24"}, {"PB", "25"}, {"PE", "26"}, {"AL", "27"},
                   {"SE", "28"}, {"BA", "29"}, {"MG", "31"}, {"ES", "32"}, {"RJ", "33"}, {"SP", "35"}, {"PR", "41"},
                   {"SC", "42"}, {"RS", "43"}, {"MS", "50"}, {"MT", "51"}, {"GO", "52"}, {"DF", "53"}};

std::string Maiusculas(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string SemBrancos(const std::string& s) {
  size_t i = 0, f = s.size();
  while (i < f && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r')) ++i;
  while (f > i && (s[f - 1] == ' ' || s[f - 1] == '\t' || s[f - 1] == '\r')) --f;
  return s.substr(i, f - i);
}

std::string AmbienteValido(const std::string& ambiente) {
  std::string amb = SemBrancos(ambiente);
  if (amb != "1" && amb != "2")
    throw ErroExecucao(CodigoErro::ErroComponente,
                       "Ambiente inválido na configuração: \"" + ambiente + "\" (1 produção, 2 homologação)");
  return amb;
}

}  // namespace

const DescricaoServico& Descricao(ServicoNFe servico, Leiaute leiaute) {
  for (const auto& d : Servicos(leiaute))
    if (d.servico == servico) return d;
  throw ErroExecucao(CodigoErro::ChamadaInvalida, "serviço desconhecido");
}

const DescricaoServico* DescricaoPorRaizPedido(std::string_view raiz, Leiaute leiaute) {
  for (const auto& d : Servicos(leiaute))
    if (raiz == d.raizPedido) return &d;
  return nullptr;
}

const DescricaoServico* DescricaoPorNome(std::string_view nome) {
  for (Leiaute leiaute : {Leiaute::V310, Leiaute::V400})
    for (const auto& d : Servicos(leiaute))
      if (nome == d.nome) return &d;
  return nullptr;
}

std::string NamespaceWsdl(const DescricaoServico& d) {
  return std::string("http://www.portalfiscal.inf.br/nfe/wsdl/") + d.nome;
}

std::string AcaoSoap(const DescricaoServico& d) { return NamespaceWsdl(d) + "/" + d.operacao; }

std::string CaminhoServico(const DescricaoServico& d) { return std::string("/ws/") + d.nome + ".asmx"; }

std::string PrefixoAutorizador(std::string_view autorizador) {
  std::string prefixo = "/";
  for (char c : autorizador) prefixo += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return autorizador.empty() ? "" : prefixo;
}

std::string AutorizadorDoCaminho(std::string_view& caminho) {
  for (const char* autorizador : {"SVC-AN", "SVC-RS", "AN"}) {
    const std::string prefixo = PrefixoAutorizador(autorizador);
    if (caminho.starts_with(prefixo + "/")) {
      caminho.remove_prefix(prefixo.size());
      return autorizador;
    }
  }
  return "";
}

const DescricaoServico* DescricaoPorCaminho(std::string_view caminho) {
  constexpr std::string_view inicio = "/ws/", fim = ".asmx";
  if (caminho.size() <= inicio.size() + fim.size() || !caminho.starts_with(inicio) || !caminho.ends_with(fim))
    return nullptr;
  const DescricaoServico* d = DescricaoPorNome(caminho.substr(inicio.size(), caminho.size() - inicio.size() - fim.size()));
  return d != nullptr && CaminhoServico(*d) == caminho ? d : nullptr;
}

std::string CodigoUf(std::string_view uf) {
  std::string u = Maiusculas(SemBrancos(std::string(uf)));
  for (const auto& e : kUfs)
    if (u == e.sigla) return e.codigo;
  return "";
}

TabelaServicos TabelaServicos::Carregar(const std::filesystem::path& arquivo) {
  return DeTexto(LerArquivoDescrito(arquivo, "Arquivo de endereços dos serviços da autoridade", CodigoErro::ErroComponente),
                 arquivo.string());
}

TabelaServicos TabelaServicos::DeTexto(const std::string& conteudo, const std::string& origem) {
  TabelaServicos t;
  t.origem_ = origem;
  std::istringstream linhas(conteudo);
  std::string linha, secao;
  while (std::getline(linhas, linha)) {
    linha = SemBrancos(linha);
    if (linha.empty() || linha[0] == ';' || linha[0] == '#') continue;
    if (linha.front() == '[' && linha.back() == ']') {
      secao = Maiusculas(SemBrancos(linha.substr(1, linha.size() - 2)));
      t.secoes_[secao];
      continue;
    }
    size_t igual = linha.find('=');
    if (igual == std::string::npos || secao.empty()) continue;
    t.secoes_[secao][Maiusculas(SemBrancos(linha.substr(0, igual)))] = SemBrancos(linha.substr(igual + 1));
  }
  return t;
}

std::string TabelaServicos::Url(const std::string& uf, const std::string& ambiente, ServicoNFe servico,
                                Leiaute leiaute) const {
  const DescricaoServico& d = Descricao(servico, leiaute);
  std::string amb = AmbienteValido(ambiente);
  return Endereco(uf, amb, Secao(uf, amb), d);
}

std::string TabelaServicos::UrlContingencia(const std::string& uf, const std::string& ambiente,
                                            ServicoNFe servico) const {
  const DescricaoServico& d = Descricao(servico, Leiaute::V400);
  std::string amb = AmbienteValido(ambiente);
  std::string svc = AutorizadorContingencia(uf, amb);
  if (svc.empty())
    throw ErroExecucao(CodigoErro::ErroComponente, "Sem autorizador de contingência (ContingenciaSVC) na seção [" +
                                                       Maiusculas(SemBrancos(uf)) + "-" + amb + "] de " + origem_);
  return Endereco(uf, amb, svc + "-" + amb, d);
}

std::string TabelaServicos::UrlAmbienteNacional(const std::string& ambiente, ServicoNFe servico) const {
  const std::string amb = AmbienteValido(ambiente);
  return Endereco("AN", amb, "AN-" + amb, Descricao(servico, Leiaute::V400));
}

std::string TabelaServicos::AutorizadorContingencia(const std::string& uf, const std::string& ambiente) const {
  std::string propria = Maiusculas(SemBrancos(uf)) + "-" + AmbienteValido(ambiente);
  if (auto it = secoes_.find(propria); it != secoes_.end())
    if (auto c = it->second.find("CONTINGENCIASVC"); c != it->second.end()) return Maiusculas(c->second);
  return "";
}

std::string TabelaServicos::Secao(const std::string& uf, const std::string& ambiente) const {
  std::string secao = Maiusculas(SemBrancos(uf)) + "-" + ambiente;
  // A state served by a shared authority points there; one hop is enough.
  if (auto it = secoes_.find(secao); it != secoes_.end()) {
    auto alias = it->second.find("AUTORIZADOR");
    if (alias != it->second.end() && !alias->second.empty()) secao = Maiusculas(alias->second) + "-" + ambiente;
  }
  return secao;
}

std::string TabelaServicos::Endereco(const std::string& uf, const std::string& amb, const std::string& secao,
                                     const DescricaoServico& d) const {
  auto it = secoes_.find(secao);
  if (it == secoes_.end())
    throw ErroExecucao(CodigoErro::ErroComponente,
                       "Sem endereço da autoridade para " + Maiusculas(SemBrancos(uf)) + " ambiente " + amb + " em " +
                           origem_ + " (seção [" + secao + "])");
  auto url = it->second.find(Maiusculas(d.nome));
  if (url == it->second.end() || url->second.empty())
    throw ErroExecucao(CodigoErro::ErroComponente, std::string("Sem endereço do serviço ") + d.nome + " na seção [" +
                                                       secao + "] de " + origem_);
  return url->second;
}

std::string TabelaServicosUnica(const std::string& urlBase) {
  std::string texto = "; Todas as UFs apontam para " + urlBase + "\n";
  auto secao = [&](const std::string& nome, std::string_view contingencia, const std::string& prefixo) {
    for (const char* ambiente : {"1", "2"}) {
      texto += "[" + nome + "-" + ambiente + "]\n";
      if (!contingencia.empty()) texto += "ContingenciaSVC=" + std::string(contingencia) + "\n";
      for (Leiaute leiaute : {Leiaute::V310, Leiaute::V400})
        for (const auto& d : Servicos(leiaute))
          // The other authorities serve 4.00 only, and none voids numbers.
          if (prefixo.empty() || (leiaute == Leiaute::V400 && d.servico != ServicoNFe::Inutilizacao))
            texto += std::string(d.nome) + "=" + urlBase + prefixo + CaminhoServico(d) + "\n";
    }
  };
  // Each state names its contingency authority, as the shipped file does.
  constexpr std::string_view kSvcRs[] = {"AM", "BA", "GO", "MA", "MS", "MT", "PE", "PR"};
  for (const auto& uf : kUfs)
    secao(uf.sigla, std::ranges::find(kSvcRs, uf.sigla) == std::end(kSvcRs) ? "SVC-AN" : "SVC-RS", "");
  for (const char* autorizador : {"SVRS", "SVAN"}) secao(autorizador, "", "");
  // The contingency authorities and the national environment answer under
  // a path of their own ("/svc-an/ws/..."), as separate servers would.
  for (const char* autorizador : {"SVC-AN", "SVC-RS", "AN"}) secao(autorizador, "", PrefixoAutorizador(autorizador));
  return texto;
}

std::filesystem::path ArquivoServicos(const std::string& valorRegistro) {
  if (const char* env = std::getenv("VELANT_SERVICOS"); env != nullptr && *env != '\0') return env;
  if (!valorRegistro.empty()) return valorRegistro;
  return ArquivoDeDados("servicos-nfe.ini");
}

}  // namespace velant::autoridade
