#include "simulador/simulador_falhas.h"
#include "base/arquivos.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace velant::autoridade {

namespace {

std::string Limpa(const std::string& s) {
  size_t i = 0, f = s.size();
  while (i < f && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r')) ++i;
  while (f > i && (s[f - 1] == ' ' || s[f - 1] == '\t' || s[f - 1] == '\r')) --f;
  return s.substr(i, f - i);
}

bool Booleano(const std::string& v, const std::string& linha) {
  if (v == "1" || v == "sim" || v == "true") return true;
  if (v == "0" || v == "nao" || v == "não" || v == "false" || v.empty()) return false;
  throw std::invalid_argument("valor inválido no controle: " + linha);
}

bool Codigo(const std::string& v) {
  return v.size() == 3 && v.find_first_not_of("0123456789") == std::string::npos;
}

std::string ChaveDaLinha(const std::string& linha) {
  std::string l = Limpa(linha);
  size_t igual = l.find('=');
  return igual == std::string::npos ? "" : Limpa(l.substr(0, igual));
}

}  // namespace

FalhasSimulador AplicaControle(const FalhasSimulador& base, const std::string& conteudo) {
  FalhasSimulador f = base;
  std::istringstream linhas(conteudo);
  std::string linha;
  while (std::getline(linhas, linha)) {
    std::string l = Limpa(linha);
    if (l.empty() || l[0] == '#') continue;
    size_t igual = l.find('=');
    if (igual == std::string::npos) throw std::invalid_argument("linha sem '=' no controle: " + l);
    std::string chave = Limpa(l.substr(0, igual));
    std::string valor = Limpa(l.substr(igual + 1));
    static const char* conhecidas[] = {"recusar",   "atraso",     "descartar", "rejeitar",
                                       "processando", "consultas_processamento", "paralisado", "paralisado_svc",
                                       "adulterar", "sincrono"};
    bool conhecida = false;
    for (const char* c : conhecidas) conhecida = conhecida || chave == c;
    if (!conhecida) throw std::invalid_argument("chave desconhecida no controle: " + l);
    try {
      if (chave == "recusar") {
        f.recusarConexoes = Booleano(valor, l);
      } else if (chave == "atraso") {
        size_t lidos = 0;
        double s = valor.empty() ? 0 : std::stod(valor, &lidos);
        if (!valor.empty() && (lidos != valor.size() || s < 0)) throw std::invalid_argument(l);
        f.atrasoSegundos = s;
      } else if (chave == "descartar") {
        f.descartarResposta = Booleano(valor, l);
      } else if (chave == "rejeitar") {
        if (!valor.empty() && !Codigo(valor)) throw std::invalid_argument(l);
        f.rejeitarProxima = valor;
      } else if (chave == "processando") {
        if (valor != "sempre" && valor != "normal" && !valor.empty()) throw std::invalid_argument(l);
        f.sempreEmProcessamento = valor == "sempre";
      } else if (chave == "consultas_processamento") {
        size_t lidos = 0;
        int n = std::stoi(valor, &lidos);
        if (lidos != valor.size() || n < 0) throw std::invalid_argument(l);
        f.consultasEmProcessamento = n;
      } else if (chave == "adulterar") {
        if (!valor.empty() && valor != "protocolo" && valor != "chave" && valor != "assinatura")
          throw std::invalid_argument(l);
        f.adulterar = valor;
      } else if (chave == "sincrono") {
        if (valor != "recibo" && valor != "normal" && !valor.empty()) throw std::invalid_argument(l);
        f.reciboNoSincrono = valor == "recibo";
      } else {   // paralisado, paralisado_svc
        if (!valor.empty() && valor != "108" && valor != "109") throw std::invalid_argument(l);
        (chave == "paralisado" ? f.paralisado : f.paralisadoSvc) = valor;
      }
    } catch (const std::logic_error&) {
      throw std::invalid_argument("valor inválido no controle: " + l);
    }
  }
  return f;
}

FalhasSimulador AplicaArquivoControle(const FalhasSimulador& base, const std::filesystem::path& arquivo) {
  if (arquivo.empty()) return base;
  auto conteudo = LerArquivoComum(arquivo);
  if (!conteudo) return base;
  return AplicaControle(base, *conteudo);
}

void ConsomeRejeicao(const std::filesystem::path& arquivo) {
  if (arquivo.empty()) return;
  std::ifstream entrada(arquivo);
  if (!entrada) return;
  std::string linha, resto;
  bool mudou = false;
  while (std::getline(entrada, linha)) {
    if (ChaveDaLinha(linha) == "rejeitar") {
      mudou = true;
      continue;
    }
    resto += linha + "\n";
  }
  entrada.close();
  if (!mudou) return;
  try {
    GravaArquivo(arquivo, resto);
  } catch (const ErroExecucao&) {
    // The rejection stays armed; the next request consumes it instead.
  }
}

}  // namespace velant::autoridade
