#!/usr/bin/env bash
# Two Hosts on one SQLite file, each fed by front ends of its own: every row
# is claimed and answered exactly once, and every NSU is taken once.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"

POR_AC=6

nova_raiz; a=$RAIZ
nova_raiz; b=$RAIZ
# Both roots name the file on drive D:, which is one folder for both.
mkdir -p "$a/D/fila"
ln -s "$a/D" "$b/D"
for r in "$a" "$b"; do
  printf '[SGBD]\r\nGerenciador de Banco de Dados=SQLITE\r\nArquivo do Banco de Dados=D:\\fila\\dvk_data.db\r\n' \
    >> "$(pasta_host "$r")/VelantNFe.ini"
done
db="$a/D/fila/dvk_data.db"

inicia_host "$a"; host_a=$HOST_PID
espera_inicio "$a"
inicia_host "$b"; host_b=$HOST_PID
espera_inicio "$b"

# Four front ends at once, two on each root, each sending its requests one after the other.
envia_serie() {
  local raiz=$1 nome=$2 i rc
  for i in $(seq 1 "$POR_AC"); do
    solicitacao "000-000 - STATUS SERVICO" "001-000 - $i" "999-999 - " > "$raiz/$nome-$i.txt"
    rc=0
    "$AC" enviar "$raiz/$nome-$i.txt" --raiz "$raiz" --espera 90 > "$raiz/$nome-$i.out" 2>&1 || rc=$?
    echo "$rc" > "$raiz/$nome-$i.rc"
  done
}
envia_serie "$a" ac1 & s1=$!
envia_serie "$a" ac2 & s2=$!
envia_serie "$b" ac3 & s3=$!
envia_serie "$b" ac4 & s4=$!
wait $s1 $s2 $s3 $s4

total=$((4 * POR_AC))
for f in "$a"/ac*.rc "$b"/ac*.rc; do
  [ "$(cat "$f")" = 1 ] || falha "$f: código $(cat "$f"): $(cat "${f%.rc}.out")"
done

[ "$(sql "$db" "SELECT COUNT(*), COUNT(DISTINCT NSU), MIN(NSU), MAX(NSU) FROM SolicitacaoFuncaoNFe")" = "$total|$total|1|$total" ] \
  || falha "NSUs: $(sql "$db" "SELECT COUNT(*), COUNT(DISTINCT NSU), MIN(NSU), MAX(NSU) FROM SolicitacaoFuncaoNFe")"
[ "$(sql "$db" "SELECT COUNT(*) FROM SolicitacaoFuncaoNFe
                 WHERE [Hora da Analise] IS NOT NULL AND [Hora Cancelamento Host] IS NOT NULL
                   AND [Hora da Aprovacao] IS NULL AND Mensagem = 'Serviço de NFe Indisponível'")" = "$total" ] \
  || falha "nem todas as linhas foram respondidas uma vez"

para_host "$host_a" || falha "Host A terminou com erro"
para_host "$host_b" || falha "Host B terminou com erro"

# Each claim that succeeded logs its analysis line once; each answer its stamp line.
conta() { grep -c -- "$2" <(log_do_dia "$1") || true; }
analises_a=$(conta "$a" 'Registro defido para análise em:')
analises_b=$(conta "$b" 'Registro defido para análise em:')
respostas=$(( $(conta "$a" 'Cancelado pelo Host:') + $(conta "$b" 'Cancelado pelo Host:') ))
[ $((analises_a + analises_b)) = "$total" ] || falha "posses: A=$analises_a B=$analises_b de $total"
[ "$respostas" = "$total" ] || falha "respostas: $respostas de $total"
[ "$analises_a" -gt 0 ] && [ "$analises_b" -gt 0 ] || falha "um dos Hosts não serviu nada: A=$analises_a B=$analises_b"
# No NSU was served by both.
comum=$(comm -12 <(log_do_dia "$a" | sed -n 's/.*Início de Solicitação \*\*\*\*\* - //p' | sort -u) \
                 <(log_do_dia "$b" | sed -n 's/.*Início de Solicitação \*\*\*\*\* - //p' | sort -u) | wc -l)
perdidas=$(grep -c 'Não foi possível definir Hora de Análise' <(log_do_dia "$a"; log_do_dia "$b") || true)
[ "$comum" = "$perdidas" ] || falha "NSUs vistos pelos dois Hosts ($comum) sem a posse recusada ($perdidas)"
echo "gerente_dois_hosts: ok (A serviu $analises_a, B serviu $analises_b, posses disputadas $perdidas)"
