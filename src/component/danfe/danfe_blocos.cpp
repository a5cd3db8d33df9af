#include "component/danfe/danfe_blocos.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "component/danfe/danfe_formatos.h"

namespace velant::danfe {

namespace {

constexpr Fonte kNormal{8, false, false};
constexpr Fonte kNegrito{8, true, false};
constexpr double kAlturaDuplicata = 15;
constexpr double kLarguraDuplicata = 70;
constexpr double kAlturaLinhaFatura = 12;

std::string Moeda(const std::string& v) { return Numero(v.empty() ? "0" : v, 2); }

// Fields of one row, each a fraction of the width; the last takes what is left.
struct CampoLinha {
  const char* rotulo;
  std::string valor;
  double fracao;
  Alinha alinha = Alinha::Esquerda;
  Fonte fonte = kNormal;
};

void Linha(Desenho& p, double x, double y, double w, const std::vector<CampoLinha>& campos) {
  double cx = x;
  size_t i = 0;
  for (const auto& c : campos) {
    double largura = ++i == campos.size() ? x + w - cx : w * c.fracao;
    p.Campo(cx, y, largura, kAlturaLinha, c.rotulo, c.valor, c.alinha, c.fonte);
    cx += largura;
  }
}

std::string EnderecoLinha(const Endereco& e) {
  std::string s = e.logradouro;
  if (!e.numero.empty()) s += ", " + e.numero;
  if (!e.complemento.empty()) s += " - " + e.complemento;
  return s;
}

int DuplicatasPorLinha(double w) { return std::max(1, static_cast<int>(w / kLarguraDuplicata)); }

}  // namespace

double Canhoto(Desenho& p, const DadosDanfe& d, double x, double y, double w) {
  const double wNota = 100, alturaTopo = 20, alturaBase = 24;
  const double wTexto = w - wNota;
  p.Caixa(x, y, wTexto, alturaTopo);
  std::string recebemos = "RECEBEMOS DE " + d.emitente.nome +
                          " OS PRODUTOS E/OU SERVIÇOS CONSTANTES DA NOTA FISCAL ELETRÔNICA INDICADA AO LADO. "
                          "EMISSÃO: " + Data(d.emissao) + " VALOR TOTAL: R$ " + Moeda(d.totais.nota) +
                          " DESTINATÁRIO: " + d.destinatario.nome;
  p.Centralizado(x + 2, y, wTexto - 4, alturaTopo, recebemos, {5.5, false, false}, Alinha::Esquerda);
  p.Campo(x, y + alturaTopo, 110, alturaBase, "DATA DE RECEBIMENTO", "");
  p.Campo(x + 110, y + alturaTopo, wTexto - 110, alturaBase, "IDENTIFICAÇÃO E ASSINATURA DO RECEBEDOR", "");
  double xn = x + wTexto;
  p.Caixa(xn, y, wNota, alturaTopo + alturaBase);
  p.Texto(xn, y + 4, wNota, "NF-e", {11, true, false}, Alinha::Centro);
  p.Texto(xn, y + 19, wNota, "Nº " + NumeroNota(d.numero), kNegrito, Alinha::Centro);
  p.Texto(xn, y + 30, wNota, "SÉRIE " + Serie(d.serie), kNegrito, Alinha::Centro);
  double corte = y + alturaTopo + alturaBase + 5;
  p.Linha(x, corte, x + w, corte, 0.5, 0, true);
  return y + kAlturaCanhoto;
}

double Cabecalho(Desenho& p, const DadosDanfe& d, const CodigoBarras& barras, int folha, int folhas, double x,
                 double y, double w) {
  const double altura = 124;
  const double we = w * 0.40, wd = w * 0.17, wr = w - we - wd;

  // Issuer.
  p.Caixa(x, y, we, altura);
  p.Texto(x, y + 2, we, "IDENTIFICAÇÃO DO EMITENTE", {Desenho::kTamanhoRotulo, false, false}, Alinha::Centro);
  const auto& e = d.emitente.endereco;
  std::string endereco = EnderecoLinha(e) + "\n" + e.bairro + " - CEP " + Cep(e.cep) + "\n" + e.municipio + " - " +
                         e.uf + (e.fone.empty() ? "" : "\nFone: " + Fone(e.fone));
  double hNome = p.AlturaTexto(we - 8, d.emitente.nome, {10, true, false});
  double hEnd = p.AlturaTexto(we - 8, endereco, {7.5, false, false});
  double topo = y + 10 + std::max(0.0, (altura - 10 - hNome - 4 - hEnd) / 2);
  topo += p.Texto(x + 4, topo, we - 8, d.emitente.nome, {10, true, false}, Alinha::Centro) + 4;
  p.Texto(x + 4, topo, we - 8, endereco, {7.5, false, false}, Alinha::Centro);

  // The DANFE box.
  double xd = x + we;
  p.Caixa(xd, y, wd, altura);
  p.Texto(xd, y + 4, wd, "DANFE", {14, true, false}, Alinha::Centro);
  p.Texto(xd + 4, y + 22, wd - 8, "Documento Auxiliar da Nota Fiscal Eletrônica", {7, false, false}, Alinha::Centro);
  p.Texto(xd + 8, y + 48, wd, "0 - ENTRADA", {7, false, false});
  p.Texto(xd + 8, y + 57, wd, "1 - SAÍDA", {7, false, false});
  p.Caixa(xd + wd - 26, y + 47, 16, 18);
  p.Centralizado(xd + wd - 26, y + 47, 16, 18, d.tipoOperacao, {11, true, false});
  p.Texto(xd, y + 74, wd, "Nº " + NumeroNota(d.numero), kNegrito, Alinha::Centro);
  p.Texto(xd, y + 86, wd, "SÉRIE " + Serie(d.serie), kNegrito, Alinha::Centro);
  p.Texto(xd, y + 98, wd, "FOLHA " + std::to_string(folha) + "/" + std::to_string(folhas), kNegrito,
          Alinha::Centro);

  // Barcode, key, where to check it.
  double xr = xd + wd;
  const double hBarras = 44, hChave = 22;
  p.Caixa(xr, y, wr, hBarras);
  // Ten modules of quiet zone on each side, inside the box.
  double modulo = (wr - 8) / (barras.modulos + 20);
  double xb = xr + 4 + 10 * modulo;
  cairo_t* cr = p.Cairo();
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (const Barra& b : barras.barras) cairo_rectangle(cr, xb + b.inicio * modulo, y + 5, b.largura * modulo, hBarras - 10);
  cairo_fill(cr);
  p.Campo(xr, y + hBarras, wr, hChave, "CHAVE DE ACESSO", ChaveEmGrupos(d.chave), Alinha::Centro, {8.5, true, false});
  double yc = y + hBarras + hChave;
  p.Caixa(xr, yc, wr, altura - hBarras - hChave);
  p.Centralizado(xr + 6, yc, wr - 12, altura - hBarras - hChave,
                 "Consulta de autenticidade no portal nacional da NF-e\nwww.nfe.fazenda.gov.br/portal\n"
                 "ou no site da Sefaz Autorizadora",
                 kNormal);

  double yl = y + altura;
  p.Campo(x, yl, we + wd, kAlturaLinha, "NATUREZA DA OPERAÇÃO", d.naturezaOperacao);
  if (d.protocoloEpec.empty())
    p.Campo(xr, yl, wr, kAlturaLinha, "PROTOCOLO DE AUTORIZAÇÃO DE USO",
            d.protocolo + " - " + DataHora(d.dataProtocolo), Alinha::Centro, kNegrito);
  else
    p.Campo(xr, yl, wr, kAlturaLinha, "PROTOCOLO DO EPEC", d.protocoloEpec + " - " + DataHora(d.dataProtocoloEpec),
            Alinha::Centro, kNegrito);
  yl += kAlturaLinha;
  Linha(p, x, yl, w,
        {{"INSCRIÇÃO ESTADUAL", d.emitente.ie, 1.0 / 3},
         {"INSCRIÇÃO ESTADUAL DO SUBST. TRIBUT.", d.emitente.iest, 1.0 / 3},
         {"CNPJ", CnpjCpf(d.emitente.documento), 1.0 / 3}});
  return yl + kAlturaLinha;
}

double Destinatario(Desenho& p, const DadosDanfe& d, double x, double y, double w) {
  p.TituloBloco(x, y, "DESTINATÁRIO / REMETENTE");
  y += Desenho::kAlturaTitulo;
  const auto& r = d.destinatario;
  const auto& e = r.endereco;
  Linha(p, x, y, w,
        {{"NOME / RAZÃO SOCIAL", r.nome, 0.66},
         {"CNPJ / CPF", CnpjCpf(r.documento), 0.20, Alinha::Centro},
         {"DATA DA EMISSÃO", Data(d.emissao), 0.14, Alinha::Centro}});
  y += kAlturaLinha;
  Linha(p, x, y, w,
        {{"ENDEREÇO", EnderecoLinha(e), 0.46},
         {"BAIRRO / DISTRITO", e.bairro, 0.26},
         {"CEP", Cep(e.cep), 0.14, Alinha::Centro},
         {"DATA DA SAÍDA/ENTRADA", Data(d.saidaEntrada), 0.14, Alinha::Centro}});
  y += kAlturaLinha;
  Linha(p, x, y, w,
        {{"MUNICÍPIO", e.municipio, 0.34},
         {"FONE / FAX", Fone(e.fone), 0.18, Alinha::Centro},
         {"UF", e.uf, 0.06, Alinha::Centro},
         {"INSCRIÇÃO ESTADUAL", r.ie, 0.28, Alinha::Centro},
         {"HORA DA SAÍDA/ENTRADA", Hora(d.saidaEntrada), 0.14, Alinha::Centro}});
  return y + kAlturaLinha;
}

double AlturaFatura(const DadosDanfe& d, double w) {
  double h = Desenho::kAlturaTitulo;
  if (d.fatura.empty() && d.faturaLiquido.empty() && d.duplicatas.empty()) return h + kAlturaLinhaFatura;
  if (!d.fatura.empty() || !d.faturaLiquido.empty()) h += kAlturaLinhaFatura;
  int porLinha = DuplicatasPorLinha(w);
  int linhas = (static_cast<int>(d.duplicatas.size()) + porLinha - 1) / porLinha;
  return h + linhas * kAlturaDuplicata;
}

double Fatura(Desenho& p, const DadosDanfe& d, double x, double y, double w) {
  p.TituloBloco(x, y, "FATURA / DUPLICATAS");
  y += Desenho::kAlturaTitulo;
  const Fonte pequena{6.5, false, false};
  if (d.fatura.empty() && d.faturaLiquido.empty() && d.duplicatas.empty()) {
    std::string forma = d.indicadorPagamento == "0"   ? "PAGAMENTO À VISTA"
                        : d.indicadorPagamento == "1" ? "PAGAMENTO A PRAZO"
                                                      : "OUTRA FORMA DE PAGAMENTO";
    // Layout 4.00 says how it was paid: each form and its amount, and the change.
    if (!d.pagamentos.empty()) {
      forma = "PAGAMENTO:";
      for (const auto& pg : d.pagamentos)
        forma += "  " + FormaPagamento(pg.forma, pg.descricao) + " R$ " + Moeda(pg.valor);
      if (!d.troco.empty()) forma += "     TROCO: R$ " + Moeda(d.troco);
    }
    p.Caixa(x, y, w, kAlturaLinhaFatura);
    p.Centralizado(x + 3, y, w - 6, kAlturaLinhaFatura, forma, pequena, Alinha::Esquerda);
    return y + kAlturaLinhaFatura;
  }
  if (!d.fatura.empty() || !d.faturaLiquido.empty()) {
    std::string linha = "FATURA Nº " + d.fatura + "     VALOR ORIGINAL: R$ " + Moeda(d.faturaOriginal) +
                        "     DESCONTO: R$ " + Moeda(d.faturaDesconto) + "     VALOR LÍQUIDO: R$ " +
                        Moeda(d.faturaLiquido);
    p.Caixa(x, y, w, kAlturaLinhaFatura);
    p.Centralizado(x + 3, y, w - 6, kAlturaLinhaFatura, linha, pequena, Alinha::Esquerda);
    y += kAlturaLinhaFatura;
  }
  int porLinha = DuplicatasPorLinha(w);
  double largura = w / porLinha;
  for (size_t i = 0; i < d.duplicatas.size(); ++i) {
    const auto& dup = d.duplicatas[i];
    double cx = x + static_cast<double>(i % porLinha) * largura;
    double cy = y + static_cast<double>(i / porLinha) * kAlturaDuplicata;
    p.Caixa(cx, cy, largura, kAlturaDuplicata);
    p.Ajustado(cx + 2, cy + 1, largura - 4, dup.numero + "  Venc. " + Data(dup.vencimento), pequena);
    p.Ajustado(cx + 2, cy + 7.5, largura - 4, "R$ " + Moeda(dup.valor), pequena, Alinha::Direita);
  }
  int linhas = (static_cast<int>(d.duplicatas.size()) + porLinha - 1) / porLinha;
  return y + linhas * kAlturaDuplicata;
}

double Imposto(Desenho& p, const DadosDanfe& d, double x, double y, double w) {
  p.TituloBloco(x, y, "CÁLCULO DO IMPOSTO");
  y += Desenho::kAlturaTitulo;
  const auto& t = d.totais;
  const double f = 1.0 / 6;
  const Alinha dir = Alinha::Direita;
  std::vector<CampoLinha> primeira = {{"BASE DE CÁLCULO DO ICMS", Moeda(t.baseIcms), f, dir},
                                      {"VALOR DO ICMS", Moeda(t.valorIcms), f, dir},
                                      {"BASE DE CÁLC. ICMS S.T.", Moeda(t.baseIcmsSt), f, dir},
                                      {"VALOR DO ICMS SUBST.", Moeda(t.valorIcmsSt), f, dir},
                                      {"V. APROX. DOS TRIBUTOS", Moeda(t.tributos), f, dir},
                                      {"VALOR TOTAL DOS PRODUTOS", Moeda(t.produtos), f, dir}};
  if (t.temFcp) {   // layout 4.00: the poverty-fund totals join the first line
    primeira.insert(primeira.begin() + 4,
                    {{"VALOR DO FCP", Moeda(t.fcp), f, dir}, {"VALOR DO FCP ST", Moeda(t.fcpSt), f, dir}});
    for (auto& campo : primeira) campo.fracao = 1.0 / 8;
  }
  Linha(p, x, y, w, primeira);
  y += kAlturaLinha;
  Linha(p, x, y, w,
        {{"VALOR DO FRETE", Moeda(t.frete), f, dir},
         {"VALOR DO SEGURO", Moeda(t.seguro), f, dir},
         {"DESCONTO", Moeda(t.desconto), f, dir},
         {"OUTRAS DESPESAS ACESSÓRIAS", Moeda(t.outras), f, dir},
         {"VALOR TOTAL DO IPI", Moeda(t.ipi), f, dir},
         {"VALOR TOTAL DA NOTA", Moeda(t.nota), f, dir, kNegrito}});
  return y + kAlturaLinha;
}

double AlturaTransportador(const DadosDanfe& d) {
  size_t volumes = std::max<size_t>(1, d.transporte.volumes.size());
  return Desenho::kAlturaTitulo + (2 + static_cast<double>(volumes)) * kAlturaLinha;
}

double Transportador(Desenho& p, const DadosDanfe& d, double x, double y, double w) {
  p.TituloBloco(x, y, "TRANSPORTADOR / VOLUMES TRANSPORTADOS");
  y += Desenho::kAlturaTitulo;
  const auto& t = d.transporte;
  const Alinha c = Alinha::Centro;
  Linha(p, x, y, w,
        {{"NOME / RAZÃO SOCIAL", t.nome, 0.30},
         {"FRETE POR CONTA", ModalidadeFrete(t.modalidade), 0.14, c},
         {"CÓDIGO ANTT", t.rntc, 0.11, c},
         {"PLACA DO VEÍCULO", t.placa, 0.11, c},
         {"UF", t.ufPlaca, 0.05, c},
         {"CNPJ / CPF", CnpjCpf(t.documento), 0.29, c}});
  y += kAlturaLinha;
  Linha(p, x, y, w,
        {{"ENDEREÇO", t.endereco, 0.41},
         {"MUNICÍPIO", t.municipio, 0.25},
         {"UF", t.uf, 0.05, c},
         {"INSCRIÇÃO ESTADUAL", t.ie, 0.29, c}});
  y += kAlturaLinha;
  std::vector<Volume> volumes = t.volumes;
  if (volumes.empty()) volumes.emplace_back();
  const Alinha dir = Alinha::Direita;
  for (const auto& v : volumes) {
    Linha(p, x, y, w,
          {{"QUANTIDADE", v.quantidade, 0.10, dir},
           {"ESPÉCIE", v.especie, 0.17},
           {"MARCA", v.marca, 0.17},
           {"NUMERAÇÃO", v.numeracao, 0.19},
           {"PESO BRUTO", Numero(v.pesoBruto, 3), 0.185, dir},
           {"PESO LÍQUIDO", Numero(v.pesoLiquido, 3), 0.185, dir}});
    y += kAlturaLinha;
  }
  return y;
}

bool TemIssqn(const DadosDanfe& d) { return d.totais.temIssqn; }

double Issqn(Desenho& p, const DadosDanfe& d, double x, double y, double w) {
  p.TituloBloco(x, y, "CÁLCULO DO ISSQN");
  y += Desenho::kAlturaTitulo;
  const auto& t = d.totais;
  const Alinha dir = Alinha::Direita;
  Linha(p, x, y, w,
        {{"INSCRIÇÃO MUNICIPAL", d.emitente.im, 0.25},
         {"VALOR TOTAL DOS SERVIÇOS", Moeda(t.servicos), 0.25, dir},
         {"BASE DE CÁLCULO DO ISSQN", Moeda(t.baseIssqn), 0.25, dir},
         {"VALOR DO ISSQN", Moeda(t.valorIssqn), 0.25, dir}});
  return y + kAlturaLinha;
}

std::string TextoAdicional(const DadosDanfe& d) {
  std::vector<std::string> partes;
  if (!d.protocoloEpec.empty()) partes.push_back(kAvisoEpec);
  if (!d.tipoEmissao.empty() && d.tipoEmissao != "1")
    partes.push_back("EMISSÃO EM CONTINGÊNCIA (tpEmis " + d.tipoEmissao + ") desde " + DataHora(d.contingencia) +
                     ": " + d.justificativaContingencia);
  if (!d.informacoesComplementares.empty()) {
    std::string linhas;
    std::string atual;
    auto fecha = [&] {
      size_t a = atual.find_first_not_of(' '), b = atual.find_last_not_of(' ');
      if (a != std::string::npos) linhas += (linhas.empty() ? "" : "\n") + atual.substr(a, b - a + 1);
      atual.clear();
    };
    for (char c : d.informacoesComplementares) {
      if (c == ';') fecha();
      else atual += c;
    }
    fecha();
    if (!linhas.empty()) partes.push_back(linhas);
  }
  if (!d.informacoesFisco.empty()) partes.push_back("Informações de interesse do Fisco: " + d.informacoesFisco);
  for (const auto& o : d.observacoes) partes.push_back(o);
  std::string texto;
  for (const auto& p : partes) texto += (texto.empty() ? "" : "\n") + p;
  return texto;
}

double LarguraTextoAdicional(double w) { return w * 0.68 - 4; }
double AlturaAdicionais(double alturaTexto) { return Desenho::kAlturaTitulo + alturaTexto + 10; }

double Adicionais(Desenho& p, const std::string& texto, bool continuacao, double x, double y, double w,
                  double altura) {
  p.TituloBloco(x, y, continuacao ? "DADOS ADICIONAIS (CONTINUAÇÃO)" : "DADOS ADICIONAIS");
  y += Desenho::kAlturaTitulo;
  double h = altura - Desenho::kAlturaTitulo;
  double wi = w * 0.68;
  p.Caixa(x, y, wi, h);
  p.Texto(x + 1.5, y + 0.8, wi, "INFORMAÇÕES COMPLEMENTARES", {Desenho::kTamanhoRotulo, false, false});
  p.Texto(x + 2, y + 8, LarguraTextoAdicional(w), texto, kFonteAdicional);
  p.Caixa(x + wi, y, w - wi, h);
  p.Texto(x + wi + 1.5, y + 0.8, w - wi, "RESERVADO AO FISCO", {Desenho::kTamanhoRotulo, false, false});
  return y + h;
}

void MarcaHomologacao(Desenho& p, double largura, double altura) {
  // Level, so that text extraction reads it as the words it is.
  cairo_t* cr = p.Cairo();
  cairo_save(cr);
  cairo_push_group(cr);
  double w = largura * 0.9, x = (largura - w) / 2, y = altura * 0.52;
  y += p.Texto(x, y, w, "SEM VALOR FISCAL", {44, true, false}, Alinha::Centro);
  p.Texto(x, y, w, "NF-e emitida em ambiente de homologação", {16, true, false}, Alinha::Centro);
  cairo_pop_group_to_source(cr);
  cairo_paint_with_alpha(cr, 0.13);
  cairo_restore(cr);
}

}  // namespace velant::danfe
