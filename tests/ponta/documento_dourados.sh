#!/usr/bin/env bash
# The golden request texts go the whole way an invoice goes before it is sent:
# `velantnfe gerar` parses, fills the vectors, generates, records step 0, signs
# and validates; the signed file must then pass Debian's own tools.
#   bash documento_dourados.sh <build-dir> <source-dir>
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/simulador_apoio.inc"
for pedido in "$FONTE"/tests/content/dourados/*.txt; do
  nova_raiz; raiz=$RAIZ; nome=$(basename "$pedido" .txt)
  # The golden registry values, plus what generation and signing need.
  { cat "${pedido%.txt}.reg"; printf '%s\r\n' '"UnidadeFederadaCodigo"="35"' '"CNPJ"="11222333000181"' '"VerProc"="6.07.01.1"' \
    '"TipoDanfe"="1"' "\"Certificado\"=\"$CERTS/emitente.pfx\"" '"SenhaCertificado"="1234"'; } > "$raiz/registro.reg"
  "$HOST" gerar "$pedido" --raiz "$raiz" --registro "$raiz/registro.reg" > "$raiz/saida.txt" 2>&1 \
    || falha "$nome: velantnfe gerar: $(tail -3 "$raiz/saida.txt")"
  assinado=$(find "$raiz" -name 'NFe*-assinado.xml' | head -1)
  [ -n "$assinado" ] || falha "$nome: nenhum arquivo assinado"
  assinado_vale "$assinado"
  echo "ok: $nome"
done
