// nota_autorizada CHAVE --raiz DIR --registro FILE
// For the end-to-end scripts: takes the signed invoice that `velantnfe gerar`
// left for the key, has it authorised by the authority the registry names
// (the simulator) through the Host's fiscal component, writes its
// distribution file and puts a one-page PDF where the DANFE goes. Prints
// the local paths of the two files; exit 0 when both were written.
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "apoio/arquivos_teste.h"
#include "apoio/pdf_teste.h"
#include "base/texto.h"
#include "component/operacoes_locais.h"
#include "component/servico_documento_fiscal.h"
#include "component/textos_resposta.h"
#include "manager/ambiente_host.h"
#include "ui/interface_headless.h"

using namespace velant;

namespace {

int Falha(const std::string& motivo) {
  std::fprintf(stderr, "nota_autorizada: %s\n", motivo.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  OpcoesHost opcoes;
  try {
    opcoes = OpcoesHost::Ler(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception&) {
    opcoes = {};
  }
  if (opcoes.resto.size() != 1 || opcoes.raiz.empty() || opcoes.registro.empty()) {
    std::fprintf(stderr, "uso: nota_autorizada CHAVE --raiz PASTA --registro ARQUIVO\n");
    return 64;
  }
  const std::string chave = opcoes.resto[0];
  try {
    AmbienteHost ambiente(opcoes, std::make_unique<InterfaceHeadless>(false, stderr));
    Contexto& ctx = ambiente.Ctx();
    ServicoDocumentoFiscal componente(ctx);

    const std::string lote = componente.GeraLote(OperacoesLocais(ctx).CaminhoAssinado(chave), 1);
    const RespostaLote envio = componente.EnviaLote(lote);
    if (!envio.Recebido()) return Falha("lote não recebido: " + TextoEnvioLote(envio));
    RespostaLote consulta;
    for (int i = 0; i < 20 && consulta.cStat != "104"; ++i) {
      if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(200));
      consulta = componente.ConsultaLote(envio.nRec);
    }
    if (!consulta.protocolo || !consulta.protocolo->Autorizado())
      return Falha("nota não autorizada: " + TextoConsultaLote(consulta));

    const std::string distribuicao = componente.GeraDistribuicao(chave);
    const std::string pdf = ctx.atual.PastaBase + "\\nfe\\arquivos\\PDF\\" + chave + ".pdf";
    teste::GravarTudo(ctx.caminhos.Mapear(pdf), teste::PdfMinimo("DANFE " + chave));
    std::printf("distribuicao %s\npdf          %s\n", ctx.caminhos.Mapear(distribuicao).c_str(),
                ctx.caminhos.Mapear(pdf).c_str());
    return 0;
  } catch (const std::exception& e) {
    return Falha(e.what());
  }
}
