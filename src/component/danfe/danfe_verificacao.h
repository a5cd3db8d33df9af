#pragma once
// What must hold before a distribution file is drawn: it is no larger than
// any the authority accepts, it follows the procNFe schema of its layout
// (3.10, or PL_010e's 4.00 when it declares versao 4.00; the schema bounds
// every field), and the NF-e in it carries a sound signature under its own
// certificate, a certificate of the issuer's company (CNPJ root). A file
// edited after signing, or one made to exhaust the machine, is refused
// before anything is drawn. The certificate's chain is not checked here.
#include <cstddef>
#include <filesystem>
#include <string>

#include "component/danfe/danfe_dados.h"

namespace velant::danfe {

// An NF-e message is at most 500 kB; its protocol adds a few.
inline constexpr std::size_t kTamanhoMaximoDistribuicao = 1024u * 1024u;

// Every refusal's description begins with one of these; the rest says why.
inline constexpr const char* kRecusaTamanho = "DANFE recusado: arquivo grande demais";
inline constexpr const char* kRecusaEsquema = "DANFE recusado: fora do esquema procNFe";
inline constexpr const char* kRecusaAssinatura = "DANFE recusado: assinatura inválida";

// The file's bytes. Raises ErroExecucao (ErroComponente): "Arquivo de
// distribuição <why>: <path>" when it cannot be read, kRecusaTamanho and the
// size when it is too large.
std::string LerArquivoDistribuicao(const std::filesystem::path& arquivo);

// LerDistribuicao of a file that passed the checks above; raises
// ErroExecucao (ErroComponente) with kRecusaEsquema or kRecusaAssinatura
// and the first fault found.
DadosDanfe LerDistribuicaoVerificada(const std::string& xml);

// An invoice of tpEmis 4 before its authorisation: the signed NFe (valid
// against PL_010e's nfe schema, signed as above) with the procEventoNFe of
// its EPEC (valid against evento-epec's procEPEC, registered: 136). The
// DANFE then carries the EPEC's protocol and notice. Raises as above.
DadosDanfe LerEpecVerificada(const std::string& nfe, const std::string& procEvento);

}  // namespace velant::danfe
