#pragma once
// The header texts of an outgoing mail. Texts are UTF-8; whatever is not
// plain ASCII travels as RFC 2047 encoded words (headers) or RFC 2231
// parameters (the attachment's name), so that any mail reader shows it.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velant::email {

// A plain ASCII address "local@domain" with nothing around it.
bool EnderecoValido(std::string_view endereco);
// "a@b.com; c@d.com" (";" or "," between them) -> the addresses, in order.
// nullopt when any of them is not an address; empty when there is none.
std::optional<std::vector<std::string>> ListaEnderecos(std::string_view texto);

// "Subject: ..." as one header, folded; control characters become blanks.
std::string CabecalhoAssunto(std::string_view textoUtf8);
// "From: Name <a@b.com>", or "From: a@b.com" without a name.
std::string CabecalhoRemetente(std::string_view nome, std::string_view endereco);
// "Date: Tue, 05 Mar 2024 14:03:00 -0300" in the computer's time zone.
std::string CabecalhoData(std::chrono::system_clock::time_point instante);
// "Message-ID: <...@domain of the sender>", different at every call.
std::string CabecalhoIdentificador(std::string_view remetente);

// Last component of a Windows or local path.
std::string NomeArquivo(std::string_view caminho);
// application/xml, application/pdf, application/zip; application/octet-stream otherwise.
std::string TipoMidiaAnexo(std::string_view nomeArquivo);
// "Content-Disposition: attachment; filename=..." for that name.
std::string CabecalhoAnexo(std::string_view nomeArquivo);

// Text body in the canonical form of mail: every line break CR LF.
std::string TextoCanonico(std::string_view texto);

}  // namespace velant::email
