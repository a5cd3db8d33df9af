#!/usr/bin/env bash
# `velantnfe cidades` (the window's Command1 button, once) on PostgreSQL:
# municipality names with an apostrophe and accents reach CidadeIBGE in upper
# case, the apostrophe as an acute accent; a second run copies nothing again;
# a source table it cannot read ends it with exit 1. The PostgreSQL server is
# the data tests' (CTest fixture velant_pg). (A quote in any value, the error
# codes and the window's button are the manager's tests.)
#   bash cidades_ibge.sh <build-dir> <source-dir>
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/emissao_apoio.inc"

nova_raiz; raiz=$RAIZ; banco_pg "$raiz" "_cidades$$"
consulta "$raiz" "INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('RO', 1100015, 'Alta Floresta D''Oeste'),
  ('SP', 3550308, 'São Paulo'), ('PI', 2207108, 'Olho D''Água do Piauí')"
saida=$("$HOST" cidades --raiz "$raiz" 2>&1) || falha "velantnfe cidades: $saida"
[ "$saida" = "CidadeIBGE: 3 municípios inseridos, 0 já estavam na tabela" ] || falha "$saida"
[ "$(consulta "$raiz" "SELECT Codigo || '|' || Nome || '|' || UF FROM CidadeIBGE ORDER BY Codigo")" = \
"1100015|ALTA FLORESTA D´OESTE|RO
2207108|OLHO D´AGUA DO PIAUI|PI
3550308|SAO PAULO|SP" ] || falha "CidadeIBGE: $(consulta "$raiz" "SELECT * FROM CidadeIBGE")"
saida=$("$HOST" cidades --raiz "$raiz" 2>&1) || falha "velantnfe cidades, de novo: $saida"
[ "$saida" = "CidadeIBGE: 0 municípios inseridos, 3 já estavam na tabela" ] || falha "de novo: $saida"

# A source table the query cannot read (the Host recreates a missing one).
consulta "$raiz" "ALTER TABLE Municipios RENAME COLUMN XMUN TO Nome"
rc=0; "$HOST" cidades --raiz "$raiz" > "$raiz/erro.out" 2>&1 || rc=$?
[ "$rc" = 1 ] && grep -q 'interrompido por erro' "$raiz/erro.out" || falha "sem XMUN: saída $rc: $(cat "$raiz/erro.out")"
echo "cidades_ibge: ok"
