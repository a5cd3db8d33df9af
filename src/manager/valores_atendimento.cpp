#include "manager/valores_atendimento.h"

#include <charconv>

#include "base/texto.h"

namespace velant {

namespace {

// The whole text as an integer within [minimo, maximo].
bool Inteiro(const std::string& texto, int minimo, int maximo, int& valor) {
  int n = 0;
  const auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), n);
  if (erro != std::errc() || fim != texto.data() + texto.size() || n < minimo || n > maximo) return false;
  valor = n;
  return true;
}

std::string LinhaRecusa(const std::string& nome, const std::string& texto, const std::string& aceitos) {
  return " ** Erro: Valor inválido no registro " + nome + ": '" + texto + "' (" + aceitos + "); usado o padrão";
}

}  // namespace

std::vector<std::string> LeValoresAtendimento(const RegistroWindows& registro, ConfiguracaoHost& c) {
  std::vector<std::string> recusas;
  const auto le = [&](const char* nome) { return Trim(registro.LerRegistro(HKEY_CURRENT_USER, "nfe", nome)); };

  const std::string intervalo = le("IntervaloConsulta");
  const std::string sequencia = le("AtenderEmSequencia");
  const std::string trabalhadores = le("Trabalhadores");
  if (!intervalo.empty() && !Inteiro(intervalo, kIntervaloConsultaMinimoMs, 3600000, c.IntervaloConsultaMs))
    recusas.push_back(LinhaRecusa("IntervaloConsulta", intervalo,
                                  "milissegundos, " + std::to_string(kIntervaloConsultaMinimoMs) + " ou mais"));
  if (sequencia == "1" || sequencia == "0")
    c.AtenderEmSequencia = sequencia == "1";
  else if (!sequencia.empty())
    recusas.push_back(LinhaRecusa("AtenderEmSequencia", sequencia, "0 ou 1"));
  if (!trabalhadores.empty() && !Inteiro(trabalhadores, 1, kTrabalhadoresMaximo, c.Trabalhadores))
    recusas.push_back(
        LinhaRecusa("Trabalhadores", trabalhadores, "de 1 a " + std::to_string(kTrabalhadoresMaximo)));
  c.AtendimentoPorTrabalhadores = !intervalo.empty() || !sequencia.empty() || !trabalhadores.empty();
  return recusas;
}

}  // namespace velant
