#include "component/danfe/danfe_codigo_barras.h"

#include <zint.h>

#include <memory>

#include "base/erro.h"
#include "component/xml/chave_acesso.h"

namespace velant::danfe {

namespace {

struct LiberaSimbolo {
  void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};

[[noreturn]] void Falha(const std::string& motivo) {
  throw ErroExecucao(CodigoErro::ErroComponente, "Código de barras do DANFE: " + motivo);
}

}  // namespace

CodigoBarras CodigoBarrasChave(const std::string& chave) {
  if (!ChaveNaForma(chave, CnpjNaChave::Alfanumerico))
    Falha("chave de acesso inválida \"" + chave + "\"");
  std::unique_ptr<zint_symbol, LiberaSimbolo> s(ZBarcode_Create());
  if (!s) Falha("sem memória");
  s->symbology = BARCODE_CODE128;
  s->show_hrt = 0;
  s->whitespace_width = 0;
  // The page draws its own quiet zones around the box.
  s->output_options |= BARCODE_NO_QUIET_ZONES;
  if (ZBarcode_Encode(s.get(), reinterpret_cast<const unsigned char*>(chave.data()), static_cast<int>(chave.size())) >=
      ZINT_ERROR)
    Falha(s->errtxt);
  if (ZBarcode_Buffer_Vector(s.get(), 0) >= ZINT_ERROR || s->vector == nullptr || s->width <= 0) Falha(s->errtxt);

  CodigoBarras c;
  c.modulos = s->width;
  const double porModulo = s->vector->width / s->width;
  for (const zint_vector_rect* r = s->vector->rectangles; r != nullptr; r = r->next)
    c.barras.push_back({r->x / porModulo, r->width / porModulo});
  return c;
}

}  // namespace velant::danfe
