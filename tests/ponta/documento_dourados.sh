#!/usr/bin/env bash
# The golden request texts go the whole way an invoice goes before it is sent:
# `velantnfe gerar` parses, fills the vectors, generates, records step 0, signs
# and validates; the signed file must then pass Debian's own tools.
#   bash documento_dourados.sh <build-dir> <source-dir>
set -euo pipefail
BUILD=$(cd "$1" && pwd)
FONTE=$(cd "$2" && pwd)
"$FONTE/scripts/preparar-certificados" "$BUILD" > /dev/null
CERTS="$BUILD/certificados"
TRABALHO=$(mktemp -d "${TMPDIR:-/tmp}/documento-dourados-XXXXXX")
trap 'rm -rf "$TRABALHO"' EXIT

falha() { echo "FALHOU: $*" >&2; exit 1; }

for pedido in "$FONTE"/tests/content/dourados/*.txt; do
  nome=$(basename "$pedido" .txt)
  raiz="$TRABALHO/$nome"
  mkdir -p "$raiz"
  # The golden registry values, plus what generation and signing need.
  { cat "$FONTE/tests/content/dourados/$nome.reg"
    printf '"UnidadeFederadaCodigo"="35"\r\n"CNPJ"="11222333000181"\r\n"VerProc"="6.07.01.1"\r\n'
    printf '"TipoDanfe"="1"\r\n"Certificado"="%s"\r\n"SenhaCertificado"="1234"\r\n' "$CERTS/emitente.pfx"
  } > "$raiz/registro.reg"
  "$BUILD/velantnfe" gerar "$pedido" --raiz "$raiz" --registro "$raiz/registro.reg" > "$raiz/saida.txt" 2>&1 \
    || falha "$nome: velantnfe gerar: $(tail -3 "$raiz/saida.txt")"
  assinado=$(find "$raiz" -name 'NFe*-assinado.xml' | head -1)
  [ -n "$assinado" ] || falha "$nome: nenhum arquivo assinado"
  xmllint --noout --schema "$FONTE/schemas/PL_008i2/nfe_v3.10.xsd" "$assinado" 2> "$raiz/xmllint.txt" \
    || falha "$nome: xmllint: $(cat "$raiz/xmllint.txt")"
  xmlsec1 --verify --trusted-pem "$CERTS/ac.pem" --id-attr:Id infNFe "$assinado" > "$raiz/xmlsec.txt" 2>&1 \
    || falha "$nome: xmlsec1 --verify: $(tail -3 "$raiz/xmlsec.txt")"
  echo "ok: $nome"
done
