#pragma once
// The cause of a failure in words the front end can act on, for the row's
// message (at most 50 characters): the causes an operator can fix have their
// own wording ("Certificado: senha incorreta", "Disco cheio ao gravar XML");
// any other error is its own description, cut.
#include <optional>
#include <string>

namespace velant {

// The wording of a cause the operator can fix, from an error's description.
std::optional<std::string> MotivoConhecido(const std::string& descricao);
// The wording when the cause is a certificate that is configured but cannot
// serve (wrong password, missing or damaged file, key that does not match).
std::optional<std::string> CertificadoComDefeito(const std::string& descricao);
// That wording, else the description itself, within 50 characters.
std::string MotivoDaFalha(const std::string& descricao);

}  // namespace velant
