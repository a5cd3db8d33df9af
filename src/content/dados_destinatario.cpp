// Recipient group (gVetorDestinatario): the test identity of homologation,
// the foreign recipient and the state-registration indicator. Any error ends
// the routine with one log line naming the phase reached.
#include <exception>
#include <string>

#include "base/regional.h"
#include "base/texto.h"
#include "content/execucao_tolerante.h"
#include "content/formas_valor.h"
#include "content/formatacao_numeros.h"
#include "content/preenche_vetores.h"
#include "data/tabelas_solicitacao.h"

namespace velant {

namespace {

constexpr const char* kNomeHomologacao = "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL";
constexpr const char* kCnpjHomologacao = "99999999000191";

}  // namespace

void Gera_dados_destinatario(Contexto& ctx) {
  int xFaseLog = 0;
  try {
    using namespace conteudo;
    xFaseLog = 10;
    ctx.log.RegistraEvento("        Gerando vetor Destinatário...", true, false);
    auto& v = ctx.vetores.gVetorDestinatario;
    v.assign(kSlotsDestinatario, std::string());
    const data::Recordset& nota = ctx.tabelas.TabelaNota;

    Valor ambiente(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"));
    bool homologacao = Igual(ambiente, Valor(int32_t{2}));
    bool producao = Igual(ambiente, Valor(int32_t{1}));
    xFaseLog = 20;

    bool exterior = Igual(nota.Value("ufcli"), Valor("EX"));
    if (homologacao && exterior) {
      v[Destinatario::CNPJouCPF] = "";
      v[Destinatario::xNome] = kNomeHomologacao;
      v[Destinatario::xMun] = "EXTERIOR";
      v[Destinatario::IE] = "";
    } else if (producao && exterior) {
      v[Destinatario::CNPJouCPF] = "";
      v[Destinatario::xNome] = LimpoDe(nota, "RazaoSocialCli");
      v[Destinatario::xMun] = "EXTERIOR";
      v[Destinatario::IE] = DigitosDe(nota, "iecli");
    } else if (homologacao && !exterior) {
      v[Destinatario::CNPJouCPF] = kCnpjHomologacao;
      v[Destinatario::xNome] = kNomeHomologacao;
      v[Destinatario::xMun] = LimpoDe(nota, "NomeMunCli");
      v[Destinatario::IE] = "";
    } else {
      xFaseLog = 60;
      v[Destinatario::CNPJouCPF] = ValorDe(nota, "CgcCli");
      v[Destinatario::xNome] = LimpoDe(nota, "RazaoSocialCli");
      v[Destinatario::xMun] = LimpoDe(nota, "NomeMunCli");
      v[Destinatario::IE] = DigitosDe(nota, "iecli");
    }

    xFaseLog = 70;
    v[Destinatario::xLgr] = LimpoDe(nota, "LogradouroCli");
    v[Destinatario::nro] = "";   // the request carries no number or complement of the recipient's address
    v[Destinatario::xCpl] = "";
    v[Destinatario::xBairro] = LimpoDe(nota, "bairrocli");
    v[Destinatario::cMun] = ValorDe(nota, "CodMunCli");

    xFaseLog = 80;
    v[Destinatario::UF] = ValorDe(nota, "ufcli");
    v[Destinatario::CEP] = ValorDe(nota, "cepcli");
    v[Destinatario::cPais] = ValorDe(nota, "CodPaisCli");
    v[Destinatario::xPais] = LimpoDe(nota, "NomePaisCli");
    v[Destinatario::fone] = ValorCampo(nota, MeioOuNulo(nota.Value("telefonecli"), 2, 999));

    xFaseLog = 90;
    if (Diferente(nota.Value("codsuframacl"), Valor(int32_t{0})) && !nota.Eof()) {
      v[Destinatario::ISUF] = ValorDe(nota, "codsuframacl");
    } else {
      v[Destinatario::ISUF] = "";
    }

    xFaseLog = 170;

    // State-registration indicator: a CPF or an exempt registration is "9";
    // homologation sends "2" for a recipient in the country.
    v[Destinatario::indIEDest] = "1";
    const Valor& cgc = nota.Value("CgcCli");
    const Valor& ie = nota.Value("iecli");
    if (!cgc.ENulo() && Len(CStr(cgc)) == 11) {
      v[Destinatario::indIEDest] = "9";
    } else if (!ie.ENulo() && Like(UCase(CStr(ie)), "ISENT*")) {
      v[Destinatario::indIEDest] = "9";
      v[Destinatario::IE] = "";
    } else {
      v[Destinatario::indIEDest] = "1";
    }
    if (homologacao) v[Destinatario::indIEDest] = "2";
    // A recipient abroad has no state registration: never a contributor.
    if (exterior) v[Destinatario::indIEDest] = "9";
    // A non-contributor buys as final consumer; the authority refuses otherwise.
    auto& ide = ctx.vetores.gVetorIde;
    if (v[Destinatario::indIEDest] == "9" && ide.size() > Ide::indFinal) ide[Ide::indFinal] = "1";

    ctx.log.RegistraEvento("        Gerado vetor Destinatário!", true, false);
  } catch (const std::exception& erro) {
    ctx.log.RegistraEvento("     ** Erro na Rotina: Gera_dados_destinatario - xFaseLog=" + std::to_string(xFaseLog) +
                               " - " + conteudo::DescricaoErro(erro),
                           true, false);
  }
}

}  // namespace velant
