#!/usr/bin/env bash
# Layout 4.00 through the running Host, against an authority that serves
# 4.00 only: an "NFE3.10" request as the front ends write it, with the
# registry at 4.00, is authorised in one synchronous call (no batch-result
# query) and its distribution file follows the 4.00 schema; "NFE4.00" gives
# a 4.00 invoice under a 3.10 registry; a 3.10 invoice is refused (239) with
# the reason in the answer; two correction letters are registered and stored.
# (The 4.00 status, voiding and cancellation, alphanumeric CNPJs and the
# letters' refusals are the component's and the lifecycle's tests.)
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/emissao_apoio.inc"

DIA_PEDIDO=$(date -d yesterday +%d/%m/%Y)   # 10:30 of today may be still to come
inicia_host_400; raiz=$RAIZ; host=$HOST_PID

# Calls to a service (the second column of the call log) since line $2.
chamadas_de() { chamadas | tail -n +"$(( ${2:-0} + 1 ))" | awk -F '\t' -v s="$1" '$2 == s' | wc -l; }
n_chamadas() { chamadas | wc -l; }
versao_da_nota() {
  local chave
  chave=$(sim_sql "SELECT chave FROM nota WHERE serie = 1 AND numero = $1")
  xmllint --xpath "string(/*/*[local-name()='NFe']/*[local-name()='infNFe']/@versao)" \
    "$raiz/C/Dunmor/nfe/arquivos/procNFe/$chave-procNFe.xml"
}

# "NFE3.10" as the front ends send it, registry at 4.00: one synchronous call.
antes=$(n_chamadas)
emite 401
[ "$RESPOSTA" = "Aprovado: Processamento de NFe OK!" ] || falha "NFE3.10 em 4.00: '$RESPOSTA' $(tail -5 "$raiz/host.out")"
confere_nota "$raiz" 401
[ "$(chamadas_de NFeAutorizacao4 "$antes")" = 1 ] || falha "NFE3.10 em 4.00: chamadas de autorização: $(chamadas)"
[ "$(chamadas_de NFeRetAutorizacao4 "$antes")" = 0 ] || falha "NFE3.10 em 4.00: consulta do recibo: $(chamadas)"
[ "$(versao_da_nota 401)" = 4.00 ] || falha "NFE3.10 em 4.00: versão $(versao_da_nota 401)"

# Correction letters on that invoice: each is registered and stored as its
# procEventoNFe (official schema, the issuer's and the authority's
# signatures); the second goes as sequence 2 carrying both corrections.
chave=$(sim_sql "SELECT chave FROM nota WHERE serie = 1 AND numero = 401")
primeira="Onde se le Rua das Flores 12, leia-se Rua das Flores 120"
segunda="Transportadora: placa correta ABC1D23"
n=0
for correcao in "$primeira" "$segunda"; do
  n=$((n + 1))
  solicitacao "000-000 - CARTA CORRECAO" "001-000 - $n" "040-000 - 1" "050-000 - $chave" "054-000 - $correcao" \
    "999-999 - " > "$raiz/carta$n.txt"
  envia "$raiz" "$raiz/carta$n.txt" 30
  [ "$(resposta "$raiz/carta$n.txt")" = "Aprovado: Carta de Correção registrada!" ] || falha "carta $n: $(cat "$raiz/carta$n.txt.out")"
  f="$raiz/C/Dunmor/nfe/arquivos/procNFe/$chave-cce-0$n-procEventoNFe.xml"
  xmllint --noout --schema "$FONTE/schemas/evento-cce/procCCeNFe_v1.00.xsd" "$f" 2> "$raiz/xmllint.txt" \
    || falha "carta $n: $(cat "$raiz/xmllint.txt")"
  for a in evento retEvento; do
    xmlsec1 --verify --id-attr:Id infEvento --enabled-key-data x509 --trusted-pem "$CERTS/ac.pem" \
      --node-xpath "/*/*[local-name()='$a']/*[local-name()='Signature']" "$f" > "$raiz/xmlsec.txt" 2>&1 \
      || falha "carta $n: assinatura de $a: $(cat "$raiz/xmlsec.txt")"
  done
done
[ "$(xpath "$f" procEventoNFe evento infEvento detEvento xCorrecao)" = "$primeira; $segunda" ] || falha "carta 2: xCorrecao"
[ "$(chamadas_de NFeRecepcaoEvento4)" = 2 ] || falha "cartas: $(chamadas)"

# A 3.10 invoice to an authority that no longer takes it: 239, named in the answer.
sed -i 's/"LeiauteNFe"="4.00"/"LeiauteNFe"="3.10"/' "$raiz/registro.reg"
para_host "$host" || falha "o Host terminou com erro"
inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"
emite 402
case "$RESPOSTA" in
  "Cancelado: 239 - Rejeição: Cabeçalho - Versão do arquivo XML"*) ;;   # the answer field cuts it
  *) falha "3.10 sem o serviço 3.10: '$RESPOSTA'" ;;
esac
[ "$(sim_sql "SELECT COUNT(*) FROM nota WHERE numero = 402")" = 0 ] || falha "3.10: nota autorizada"

# "NFE4.00" under the 3.10 registry: a 4.00 invoice.
emite 403 403 "" NFE4.00
[ "$RESPOSTA" = "Aprovado: Processamento de NFe OK!" ] || falha "NFE4.00 em 3.10: '$RESPOSTA'"
confere_nota "$raiz" 403
[ "$(versao_da_nota 403)" = 4.00 ] || falha "NFE4.00 em 3.10: versão $(versao_da_nota 403)"

para_host "$host" || falha "o Host terminou com erro"
echo "emissao_leiaute400 ($MOTOR): ok"
