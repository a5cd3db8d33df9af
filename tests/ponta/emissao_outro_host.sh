#!/usr/bin/env bash
# A Host killed with SIGKILL after sending an invoice, and the request sent
# again to ANOTHER Host: another root folder (none of the first one's files),
# the same SQLite file. The second Host finishes the invoice from what the
# database holds:
#   301 killed during the send (the authority authorises it; no receipt stored)
#   302 killed during the situation query (step 2, receipt stored)
# Each invoice is authorised once, in one batch, and its distribution file,
# written in the second Host's root, validates against procNFe_v3.10.xsd and
# carries the first Host's signature, which xmlsec1 verifies.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/emissao_apoio.inc"

raizes_num_banco sqlite 2; a=${RAIZES_FILA[0]}; b=${RAIZES_FILA[1]}
ATRASO=4

autorizada() { [ "$(sim_sql "SELECT COUNT(*) FROM nota WHERE numero = $1")" = 1 ]; }
raiz=$a   # where linha_nota and espera_ate look

# A connection to the simulator is open: a call of the authority is on its way.
chamando_autoridade() { [ -n "$(ss -Htn state established "( dport = :$SIM_PORTA )")" ]; }

# Host A takes invoice $1 with every call of the authority delayed, and is
# killed once the row matches $2 and a call is under way (1 s into it, so
# the request has reached the simulator, which answers after ATRASO s).
envia_e_mata_em() {
  local numero=$1 etapa=$2 host ac
  controle "atraso=$ATRASO"; inicia_host "$a"; host=$HOST_PID
  pedido_nfe "$numero" "$numero" > "$a/nf$numero.txt"
  "$AC" enviar "$a/nf$numero.txt" --raiz "$a" --espera 60 > "$a/nf$numero.txt.out" 2>&1 & ac=$!
  espera_ate "NF $numero: $etapa" na_etapa "$numero" "$etapa"
  espera_ate "NF $numero: chamada à autoridade" chamando_autoridade
  sleep 1
  kill -KILL "$host"; wait "$host" 2>/dev/null || true
  kill -TERM "$ac" 2>/dev/null || true; wait "$ac" 2>/dev/null || true
}

envia_e_mata_em 301 '^1\|0\|0$'
# The authority answers the send after its delay, to nobody: it holds the invoice.
espera_ate "NF 301 autorizada" autorizada 301
envia_e_mata_em 302 '^2\|[0-9]{15}\|0$'
controle ''
[ -z "$(find "$b" -name '*.xml')" ] || falha "a raiz do Host B já tem documentos"

inicia_host "$b"; host_b=$HOST_PID
for n in 301 302; do
  pedido_nfe "$n" "$((n + 1000))" > "$b/nf$n.txt"
  envia "$b" "$b/nf$n.txt" 60
  [ "$(resposta "$b/nf$n.txt")|$(lotes_da_nota "$n")" = "Aprovado: Processamento de NFe OK!|1" ] \
    || falha "NF $n no Host B ($(lotes_da_nota "$n") lotes na autoridade): $(cat "$b/nf$n.txt.out")"
  # Its distribution file, written by Host B, valid and signed (xmlsec1 verifies both signatures).
  confere_nota "$b" "$n"
  chave=$(sim_sql "SELECT chave FROM nota WHERE numero = $n")
  # Host B never had the files: it wrote them from the database.
  grep -q "Arquivo refeito com o conteúdo do banco de dados: C:\\\\Dunmor\\\\nfe\\\\arquivos\\\\assinado\\\\NFe$chave-assinado.xml" \
    <(log_do_dia "$b") || falha "NF $n: o Host B não refez o assinado do banco"
  # The one the authority authorised is the one Host A signed.
  cmp -s {"$a","$b"}/C/Dunmor/nfe/arquivos/assinado/NFe$chave-assinado.xml \
    || falha "NF $n: o assinado refeito no Host B difere do que o Host A assinou"
done
[ "$(sim_sql "SELECT COUNT(*) FROM nota")" = 2 ] || falha "notas na autoridade: $(sim_sql "SELECT COUNT(*) FROM nota")"
para_host "$host_b" || falha "o Host B terminou com erro"
echo "emissao_outro_host: ok"
