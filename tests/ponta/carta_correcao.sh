#!/usr/bin/env bash
# CARTA CORRECAO through the running Host against an authority of layout
# 4.00, on an invoice the Host authorised: the first letter is registered and
# stored as its procEventoNFe (official schema, the issuer's and the
# authority's signatures); the second goes as sequence 2 carrying both
# corrections; a correction too short and one too long are refused by the
# Host with nothing sent to the authority.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/emissao_apoio.inc"

hoje=$(date -d yesterday +%d/%m/%Y)   # 10:30 of today may be still to come
inicia_host_400; raiz=$RAIZ; host=$HOST_PID

pedido_nfe 501 501 1 "$hoje" > "$raiz/nf501.txt"
envia "$raiz" "$raiz/nf501.txt" 90
[ "$(resposta "$raiz/nf501.txt")" = "Aprovado: Processamento de NFe OK!" ] \
  || falha "nota: $(cat "$raiz/nf501.txt.out") $(tail -5 "$raiz/host.out")"
confere_nota "$raiz" 501
chave=$(sim_sql "SELECT chave FROM nota WHERE serie = 1 AND numero = 501")

eventos() { chamadas | awk -F '\t' '$2 == "NFeRecepcaoEvento4"' | wc -l; }
n=0
carta() {   # $1 the new correction; the answer in RESPOSTA
  n=$((n + 1))
  solicitacao "000-000 - CARTA CORRECAO" "001-000 - $n" "040-000 - 1" "050-000 - $chave" "054-000 - $1" \
    "999-999 - " > "$raiz/carta$n.txt"
  envia "$raiz" "$raiz/carta$n.txt" 30
  RESPOSTA=$(resposta "$raiz/carta$n.txt")
}
arquivo_carta() { echo "$raiz/C/Dunmor/nfe/arquivos/procNFe/$chave-cce-$1-procEventoNFe.xml"; }
confere_carta() {   # $1 sequence in two digits, $2 the text the authority registered
  local f a
  f=$(arquivo_carta "$1")
  [ -f "$f" ] || falha "carta $1: sem $f"
  xmllint --noout --schema "$FONTE/schemas/evento-cce/procCCeNFe_v1.00.xsd" "$f" 2> "$raiz/xmllint.txt" \
    || falha "carta $1: $(cat "$raiz/xmllint.txt")"
  for a in evento retEvento; do
    xmlsec1 --verify --id-attr:Id infEvento --enabled-key-data x509 --trusted-pem "$CERTS/ac.pem" \
      --node-xpath "/*/*[local-name()='$a']/*[local-name()='Signature']" "$f" > "$raiz/xmlsec.txt" 2>&1 \
      || falha "carta $1: assinatura de $a: $(cat "$raiz/xmlsec.txt")"
  done
  [ "$(xpath "$f" procEventoNFe evento infEvento detEvento xCorrecao)" = "$2" ] \
    || falha "carta $1: xCorrecao '$(xpath "$f" procEventoNFe evento infEvento detEvento xCorrecao)'"
}

primeira="Onde se le Rua das Flores 12, leia-se Rua das Flores 120"
segunda="Transportadora: placa correta ABC1D23"
carta "$primeira"
[ "$RESPOSTA" = "Aprovado: Carta de Correção registrada!" ] || falha "primeira: '$RESPOSTA' $(tail -5 "$raiz/host.out")"
confere_carta 01 "$primeira"
carta "$segunda"
[ "$RESPOSTA" = "Aprovado: Carta de Correção registrada!" ] || falha "segunda: '$RESPOSTA'"
confere_carta 02 "$primeira; $segunda"
[ "$(eventos)" = 2 ] || falha "cartas registradas: $(eventos) chamadas ao serviço de eventos"

# Refused by the Host before anything goes: the authority hears of neither.
carta "Placa ABC1D23"
[ "$RESPOSTA" = "Cancelado: Correção com 13 caracteres: o mínimo é 15" ] || falha "curta: '$RESPOSTA'"
carta "$(head -c 1001 /dev/zero | tr '\0' 'x')"
[ "$RESPOSTA" = "Cancelado: Correção com 1001 caracteres: o máximo é 1000" ] || falha "longa: '$RESPOSTA'"
[ "$(eventos)" = 2 ] || falha "recusadas: $(eventos) chamadas ao serviço de eventos"
[ ! -e "$(arquivo_carta 03)" ] || falha "recusadas: carta 03 gravada"

para_host "$host" || falha "o Host terminou com erro"
para_simulador
echo "carta_correcao: ok"
