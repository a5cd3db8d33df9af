#!/usr/bin/env bash
# The golden request texts go the whole way an invoice goes before it is sent:
# `velantnfe gerar` parses, fills the vectors, generates, records step 0, signs
# and validates; the signed file must then pass Debian's own tools.
#   bash documento_dourados.sh <build-dir> <source-dir>
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/simulador_apoio.inc"
nova_raiz; TRABALHO=$RAIZ

for pedido in "$FONTE"/tests/content/dourados/*.txt; do
  nome=$(basename "$pedido" .txt); raiz="$TRABALHO/$nome"; mkdir -p "$raiz"
  # The golden registry values, plus what generation and signing need.
  { cat "${pedido%.txt}.reg"; printf '%s\r\n' '"UnidadeFederadaCodigo"="35"' '"CNPJ"="11222333000181"' '"VerProc"="6.07.01.1"' \
    '"TipoDanfe"="1"' "\"Certificado\"=\"$CERTS/emitente.pfx\"" '"SenhaCertificado"="1234"'; } > "$raiz/registro.reg"
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
