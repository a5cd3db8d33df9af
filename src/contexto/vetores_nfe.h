#pragma once
// The document vectors (module mdl_NFe2): one array of texts per group of the
// invoice; the slot index is the format read by the XML generator.
#include <cstdint>
#include <string>
#include <vector>

namespace velant {

struct VetoresNFe {
  std::vector<std::string> gVetorIde;            // 0 To 36
  std::vector<std::string> gVetorEmitente;       // 0 To 15
  std::vector<std::string> gVetorDestinatario;   // 0 To 39
  std::vector<std::vector<std::string>> gVetorProdutos;  // (0 To gQtdItens - 1, 0 To 137)
  std::vector<std::string> gVetorTotais;         // 0 To 28
  std::vector<std::string> gVetorTransporte;     // 0 To 28
  std::vector<std::vector<std::string>> gVetorFaturas;   // (0 To gQtdDuplicatas, 0 To 6)
  int16_t gQtdFaturas = 0;
  std::vector<std::string> gVetorInfAdic;        // 0 To 10
  std::vector<std::string> gVetorAutXML;         // 0 To 1

  int32_t gQtdItens = 0;
  int32_t gQtdDuplicatas = 0;
  int16_t gQtdCuponsRef = 0;
  int16_t gLinhaVetor = 0;
  int16_t gTipoEmissao = 1;
  int16_t gFinalidadeNFe = 1;

  // Tax situation of the operation (set by the totals) and then of the item
  // being filled; the last item's code stays after the walk.
  std::string gSituacaoTributaria;
};

// Slot counts of the one-dimensional vectors and of an item or instalment row.
inline constexpr int kSlotsIde = 37;
inline constexpr int kSlotsEmitente = 16;
inline constexpr int kSlotsDestinatario = 40;
inline constexpr int kSlotsProduto = 138;
inline constexpr int kSlotsTotais = 29;
inline constexpr int kSlotsTransporte = 29;
inline constexpr int kSlotsFatura = 7;
inline constexpr int kSlotsInfAdic = 11;
inline constexpr int kSlotsAutXML = 2;

}  // namespace velant
