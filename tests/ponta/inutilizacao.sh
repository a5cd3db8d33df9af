#!/usr/bin/env bash
# INUTILIZA NFE from the AC through the Host to the authority simulator: a
# number voided, voided again, a voiding refused with a reason longer than 50
# characters, and voidings with no front-end row, then asked again once the
# row exists.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/autoridade_apoio.inc"

nova_raiz; raiz=$RAIZ
inicia_simulador "$raiz/autoridade" --consultas-processamento 0
grava_registro "$raiz"
inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"
db=$(banco "$raiz")
linha_ac() { sql "$db" "INSERT INTO MovimentoNFeSaidaInutilizada (Empresa, Serie, Numero) VALUES (1, '1', $1)"; }
etapa() { sql "$db" "SELECT [Etapa Concluida] FROM MovimentoNFeSaidaInutilizada WHERE Empresa = 1 AND Serie = '1' AND Numero = $1"; }
caixas() { grep -c -F "[caixa] VelantNFe: $1" "$raiz/host.out" || true; }
homologada="Inutilização de número homologado"
inconsistencia="Inconsistência na atualização do Cancelamento da NF-e"

n=0
inutiliza() {   # $1 number, $2 justification
  n=$((n + 1))
  solicitacao "000-000 - INUTILIZA NFE" "001-000 - $n" "040-000 - 1" "052-000 - $2" "110-000 - 05/03/2016" \
    "111-000 - $1" "112-000 - 1" "114-000 - 05/03/2016" "999-999 - " > "$raiz/inutiliza$n.txt"
  envia "$raiz" "$raiz/inutiliza$n.txt"
}
aprovada() { grep -q "^Aprovado pelo Host: [0-9:]* - $homologada\$" <<<"$1"; }

# Voided: the authority's protocol in the log, the row at step 3.
linha_ac 2001
saida=$(inutiliza 2001 "Numeracao pulada por falha do sistema") || falha "inutilização: $saida"
aprovada "$saida" || falha "inutilização: $saida"
grep -q -- "^[0-9:]* -       Resultado: 102 - $homologada - Protocolo: [0-9]\{15\}\$" <(log_do_dia "$raiz") \
  || falha "inutilização: linha de resultado no log"
[ "$(etapa 2001)" = 3 ] || falha "inutilização: etapa $(etapa 2001)"

# Again: the authority has it voided already (563); approved as voided.
saida=$(inutiliza 2001 "Numeracao pulada por falha do sistema") || falha "de novo: $saida"
aprovada "$saida" || falha "de novo: $saida"
grep -q -- '^[0-9:]* -       Resultado: 563 - Rejeição: NF-e  já esta inutilizada na base de dados da SEFAZ$' \
  <(log_do_dia "$raiz") || falha "de novo: linha de resultado no log"
[ "$(etapa 2001)" = 3 ] || falha "de novo: etapa $(etapa 2001)"

# Refused for an issuer the certificate does not belong to, with a
# justification carrying the digits of success: the reason, cut to 50
# characters, is the answer, and the row is untouched.
linha_ac 2002
grava_registro "$raiz" 99888777000166
rc=0; saida=$(inutiliza 2002 "Numeracao 102 pulada 101 218") || rc=$?
grava_registro "$raiz"
[ "$rc" = 1 ] || falha "recusada: código $rc ($saida)"
grep -q '^Cancelado pelo Host: [0-9:]* - CNPJ-Base do Emitente difere do CNPJ-Base do Certi$' <<<"$saida" \
  || falha "recusada: $saida"
[ "$(etapa 2002)" = 0 ] || falha "recusada: etapa $(etapa 2002)"

# No front-end row: voided at the authority, but not recorded, so not
# approved; likewise when already voided. Once the row exists, it is recorded.
for vez in 1 2; do
  rc=0; saida=$(inutiliza 2003 "Numeracao pulada por falha do sistema") || rc=$?
  [ "$rc" = 1 ] || falha "sem linha ($vez): código $rc ($saida)"
  grep -q "^Cancelado pelo Host: [0-9:]* - $homologada\$" <<<"$saida" || falha "sem linha ($vez): $saida"
done
grep -q -- '^[0-9:]* -       Resultado: 563 - ' <(log_do_dia "$raiz" | tail -20) \
  || falha "sem linha: a segunda não foi recusada como já inutilizada"
[ "$(caixas "$inconsistencia")" = 2 ] || falha "sem linha: caixas de inconsistência: $(caixas "$inconsistencia")"
linha_ac 2003
saida=$(inutiliza 2003 "Numeracao pulada por falha do sistema") || falha "linha criada: $saida"
aprovada "$saida" || falha "linha criada: $saida"
[ "$(etapa 2003)" = 3 ] || falha "linha criada: etapa $(etapa 2003)"

para_host "$host" || falha "o Host terminou com erro"
para_simulador
echo "inutilizacao: ok"
