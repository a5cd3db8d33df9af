#!/usr/bin/env bash
# "IMPRIMIR DANFE" from velantnfe-ac through a running Host: an invoice issued
# against the authority simulator is printed on a queue of a real CUPS
# scheduler started by the test; the PDF's barcode decodes (zbarimg) to the
# key and the job reaches the queue as that DANFE. Also `velantnfe danfe`,
# which writes the same PDF without the queue and refuses, with exit 65 and
# the reason, what the Host refuses. (Which distribution file, when the PDF
# is written and every refusal's reason are the lifecycle's and the
# component's tests.)
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/emissao_apoio.inc"
source "$(dirname "$0")/cups_apoio.inc"

inicia_cups
cria_fila DANFE
nova_raiz_emissao; raiz=$RAIZ
inicia_simulador "$raiz/autoridade"
registro_host "$raiz" '"ImpressoraDanfe"="DANFE"'
inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"

pedido_nfe 301 1 3 > "$raiz/nfe.txt"
envia "$raiz" "$raiz/nfe.txt" 90
[ "$(resposta "$raiz/nfe.txt")" = "Aprovado: Processamento de NFe OK!" ] || falha "emissão: $(cat "$raiz/nfe.txt.out")"
confere_nota "$raiz" 301
chave=$(sim_sql "SELECT chave FROM nota WHERE numero = 301")
protocolo=$(sim_sql "SELECT nProt FROM nota WHERE numero = 301")
procnfe="$raiz/C/Dunmor/nfe/arquivos/procNFe"
pdf="$raiz/C/Dunmor/nfe/arquivos/PDF/$chave.pdf"

controle_ac=10
# Sends IMPRIMIR DANFE for key $1; the answer in RESPOSTA.
imprime() {
  controle_ac=$((controle_ac + 1))
  local arquivo="$raiz/danfe-$controle_ac.txt"
  printf '%s\r\n' "000-000 - IMPRIMIR DANFE" "001-000 - $controle_ac" '043-000 - C:\Dunmor' "050-000 - $1" \
    "051-000 - $protocolo" "110-000 - 15/01/2016 10:30:00" "999-999 - " > "$arquivo"
  envia "$raiz" "$arquivo" 60
  RESPOSTA=$(resposta "$arquivo")
}
# The job that reached queue DANFE is this invoice's DANFE.
confere_impresso() {
  local saida
  saida=$(cups_saida DANFE)
  [ "$(head -c 5 "$saida")" = "%PDF-" ] || falha "$1: a fila não recebeu um PDF"
  pdftotext "$saida" - | tr -d ' \n' | grep -q "$chave" || falha "$1: o trabalho impresso não é o DANFE da chave"
}

# First print: the PDF is written, its barcode is the key, the job arrives.
imprime "$chave"
[ "$RESPOSTA" = "Aprovado: Impressão de DANFE OK!" ] || falha "primeira impressão: $RESPOSTA"
[ -f "$pdf" ] || falha "sem PDF $pdf"
pdftoppm -r 200 -f 1 -l 1 -png "$pdf" "$raiz/pagina"
codigo=$(zbarimg --quiet --raw -Scode128.enable "$raiz"/pagina*.png | head -1)
[ "$codigo" = "$chave" ] || falha "código de barras '$codigo', chave $chave"
espera_trabalhos DANFE 1
confere_impresso "primeira impressão"
[ "$(consulta "$raiz" "SELECT [Etapa Concluida] FROM MovimentoNFe WHERE Numero = 301")" = 3 ] \
  || falha "a impressão mudou a etapa"

para_host "$host" || falha "o Host terminou com erro"

# velantnfe danfe: the same DANFE without the queue; an unauthorised document has none.
mkdir -p "$raiz/avulso"
cp "$procnfe/$chave-procNFe.xml" "$raiz/avulso/"
saida=$("$HOST" danfe "$raiz/avulso/$chave-procNFe.xml") || falha "velantnfe danfe: $saida"
[ "$saida" = "$raiz/avulso/$chave.pdf" ] || falha "velantnfe danfe escreveu '$saida'"
pdftotext "$saida" - | tr -d ' \n' | grep -q "$chave" || falha "velantnfe danfe: PDF sem a chave"
# Refused with 65 and the reason, no PDF: the signed NF-e alone (no protocol,
# so not the distribution schema), a total edited after signing, a file far
# larger than any invoice.
sed 's|<vNF>[^<]*</vNF>|<vNF>1.00</vNF>|' "$raiz/avulso/$chave-procNFe.xml" > "$raiz/avulso/alterado.xml"
{ head -c 2000000 /dev/zero | tr '\0' 'A'; cat "$raiz/avulso/$chave-procNFe.xml"; } > "$raiz/avulso/enorme.xml"
while read -r arquivo motivo; do
  rc=0; "$HOST" danfe "$arquivo" "$raiz/avulso/x.pdf" 2> "$raiz/avulso/erro.txt" || rc=$?
  [ "$rc" = 65 ] && [ ! -e "$raiz/avulso/x.pdf" ] || falha "velantnfe danfe $arquivo: saída $rc"
  grep -q "^velantnfe danfe: DANFE recusado: $motivo" "$raiz/avulso/erro.txt" \
    || falha "velantnfe danfe $arquivo: $(head -c 300 "$raiz/avulso/erro.txt")"
done <<FIM
$(find "$raiz" -name "NFe$chave-assinado.xml") fora do esquema procNFe
$raiz/avulso/alterado.xml assinatura inválida
$raiz/avulso/enorme.xml arquivo grande demais
FIM
para_cups
echo "danfe_impressao: ok"
