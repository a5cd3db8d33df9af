#pragma once
// A small PDF of one A4 page with one line of text, written by hand (the
// cross-reference offsets counted here), for where a DANFE is expected
// before the DANFE itself is in the build. pdftotext reads it back.
#include <cstdio>
#include <string>
#include <vector>

namespace velant::teste {

inline std::string PdfMinimo(const std::string& linha) {
  std::string texto;
  for (char c : linha) {
    if (c == '(' || c == ')' || c == '\\') texto += '\\';
    texto += c;
  }
  const std::string conteudo = "BT /F1 12 Tf 72 770 Td (" + texto + ") Tj ET\n";
  const std::vector<std::string> objetos = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 5 0 R >> >> "
      "/Contents 4 0 R >>",
      "<< /Length " + std::to_string(conteudo.size()) + " >>\nstream\n" + conteudo + "endstream",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"};
  // The comment of high bytes marks the file as binary for whoever carries it.
  std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<size_t> posicoes;
  for (size_t i = 0; i < objetos.size(); ++i) {
    posicoes.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objetos[i] + "\nendobj\n";
  }
  const size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objetos.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t p : posicoes) {
    char entrada[21];
    std::snprintf(entrada, sizeof entrada, "%010zu 00000 n \n", p);
    pdf += entrada;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objetos.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

}  // namespace velant::teste
