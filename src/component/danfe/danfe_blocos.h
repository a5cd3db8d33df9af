#pragma once
// The DANFE's boxed blocks, each drawn at (x, y) across the width w and
// returning the y where the next block starts. Heights are fixed except
// where the data decides (duplicates, volumes, additional information),
// and those have an Altura... twin for the page planner.
#include <string>

#include "component/danfe/danfe_codigo_barras.h"
#include "component/danfe/danfe_dados.h"
#include "component/danfe/danfe_desenho.h"

namespace velant::danfe {

inline constexpr double kAlturaLinha = 20;   // one row of boxed fields

// The receipt stub with its cut line.
double Canhoto(Desenho& p, const DadosDanfe& d, double x, double y, double w);
inline constexpr double kAlturaCanhoto = 54;

// Issuer, DANFE title box, barcode and key, then the rows of the nature of
// the operation with the protocol and of the issuer's registrations.
double Cabecalho(Desenho& p, const DadosDanfe& d, const CodigoBarras& barras, int folha, int folhas, double x,
                 double y, double w);
inline constexpr double kAlturaCabecalho = 124 + 2 * kAlturaLinha;

double Destinatario(Desenho& p, const DadosDanfe& d, double x, double y, double w);
inline constexpr double kAlturaDestinatario = Desenho::kAlturaTitulo + 3 * kAlturaLinha;

double Fatura(Desenho& p, const DadosDanfe& d, double x, double y, double w);
double AlturaFatura(const DadosDanfe& d, double w);

double Imposto(Desenho& p, const DadosDanfe& d, double x, double y, double w);
inline constexpr double kAlturaImposto = Desenho::kAlturaTitulo + 2 * kAlturaLinha;

double Transportador(Desenho& p, const DadosDanfe& d, double x, double y, double w);
double AlturaTransportador(const DadosDanfe& d);

// Only when the invoice has services under ISSQN.
bool TemIssqn(const DadosDanfe& d);
double Issqn(Desenho& p, const DadosDanfe& d, double x, double y, double w);
inline constexpr double kAlturaIssqn = Desenho::kAlturaTitulo + kAlturaLinha;

// The notice an invoice printed in EPEC contingency carries, before its
// authorisation: worded as the MOC's DANFE rules word the one of the DPEC
// that EPEC replaced ("... DPEC regularmente recebida pela Receita Federal
// do Brasil"), with the EPEC's protocol in the protocol box.
inline constexpr const char* kAvisoEpec =
    "DANFE impresso em contingência - EPEC regularmente recebido pela Receita Federal do Brasil";

// The complementary information as printed: the contingency notice, the
// taxpayer's text (";" starts a new line, as the front end writes it), the
// tax office's text and the observations.
std::string TextoAdicional(const DadosDanfe& d);
// The additional-information box of the first page with the text given;
// `continuacao` titles the boxes that carry what did not fit there.
double Adicionais(Desenho& p, const std::string& texto, bool continuacao, double x, double y, double w,
                  double altura);
// Width of the text column inside the box of width w, and the box height a
// text of height h needs.
double LarguraTextoAdicional(double w);
double AlturaAdicionais(double alturaTexto);
inline constexpr Fonte kFonteAdicional{6.5, false, false};

// "SEM VALOR FISCAL" across the page of a homologation invoice.
void MarcaHomologacao(Desenho& p, double largura, double altura);

}  // namespace velant::danfe
