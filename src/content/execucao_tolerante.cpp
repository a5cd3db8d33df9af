#include "content/execucao_tolerante.h"

#include <string_view>

#include "plataforma/registro_eventos.h"

namespace velant::conteudo {

namespace {
thread_local RotinaTolerante* rotinaAtual = nullptr;
}

RotinaTolerante::RotinaTolerante(RegistroEventos& log, const char* nome)
    : log_(log), nome_(nome), anterior_(rotinaAtual) {
  rotinaAtual = this;
}

RotinaTolerante::~RotinaTolerante() { rotinaAtual = anterior_; }

void AnotaErroAbsorvido(const std::source_location& onde, const ErroExecucao& erro) {
  RotinaTolerante* rotina = rotinaAtual;
  if (rotina == nullptr) return;
  std::string_view arquivo = onde.file_name();
  if (auto barra = arquivo.find_last_of("/\\"); barra != std::string_view::npos) arquivo.remove_prefix(barra + 1);
  rotina->log_.RegistraEvento("     ** Erro ignorado na Rotina: " + std::string(rotina->nome_) + " (" +
                                  std::string(arquivo) + ":" + std::to_string(onde.line()) + ") - " +
                                  std::to_string(erro.Numero()) + " - " + erro.Descricao(),
                              true, false);
}

}  // namespace velant::conteudo
