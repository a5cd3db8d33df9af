// velantnfe danfe DISTRIBUTION-FILE [PDF]: the DANFE of any distribution
// file as a PDF, without the queue, so that an integrator can look at it.
// Without PDF it goes next to the distribution file as <key>.pdf.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/arquivos.h"
#include "base/erro.h"
#include "comandos.h"
#include "component/danfe/danfe_pdf.h"
#include "component/danfe/danfe_verificacao.h"

namespace velant::app {
namespace {

int Danfe(const std::vector<std::string>& argumentos) {
  const std::filesystem::path distribuicao = argumentos.at(0);
  std::string xml;
  try {
    xml = danfe::LerArquivoDistribuicao(distribuicao);
  } catch (const ErroExecucao& e) {
    std::fprintf(stderr, "velantnfe danfe: %s\n", e.Descricao().c_str());
    // A file too large is refused as a file edited after signing is.
    return e.Descricao().rfind(danfe::kRecusaTamanho, 0) == 0 ? 65 : 66;   // EX_DATAERR, EX_NOINPUT
  }
  try {
    const danfe::DadosDanfe dados = danfe::LerDistribuicaoVerificada(xml);
    const std::filesystem::path pdf =
        argumentos.size() > 1 ? std::filesystem::path(argumentos[1]) : distribuicao.parent_path() / (dados.chave + ".pdf");
    GravaArquivo(pdf, danfe::GeraPdf(dados));
    std::printf("%s\n", pdf.c_str());
    return 0;
  } catch (const ErroExecucao& e) {
    std::fprintf(stderr, "velantnfe danfe: %s\n", e.Descricao().c_str());
    return 65;   // EX_DATAERR
  }
}

RegistroComando registro("danfe", &Danfe,
                         {"velantnfe danfe ARQUIVO-DISTRIBUICAO [PDF]",
                          "grava o DANFE (PDF) de um arquivo de distribuição (-procNFe.xml)",
                          "Lê o arquivo de distribuição (a NF-e com o protocolo de autorização) e grava o\n"
                          "DANFE em PDF, como o Host o imprime. Sem PDF, grava <chave>.pdf na pasta do\n"
                          "arquivo de distribuição e escreve o caminho. Uma NF-e sem protocolo de\n"
                          "autorização não tem DANFE, nem um arquivo maior que 1 MB, fora do esquema\n"
                          "procNFe_v3.10.xsd ou cuja assinatura não confere (alterado depois de\n"
                          "assinado): sai com 65 e diz por quê; um arquivo ilegível, 66.\n",
                          {},
                          {"ARQUIVO-DISTRIBUICAO", "[PDF]"}});

}  // namespace
}  // namespace velant::app
