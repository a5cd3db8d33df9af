#!/usr/bin/env bash
# STATUS SERVICO from the AC through the Host's fiscal component to the
# authority simulator over mutual TLS: available in normal mode, unavailable
# when the service is paralysed and when the authority cannot be reached.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/simulador_apoio.inc"

nova_raiz; raiz=$RAIZ
inicia_simulador "$raiz/autoridade"
sim=$SIM_DIR; sim_pid=$SIM_PID

# The installation's registry: homologation in SP, the test A1 certificate,
# the simulator's endpoints and CA, short timeouts.
printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' '[HKEY_CURRENT_USER\nfe]' \
  '"Ambiente"="2"' '"UnidadeFederada"="SP"' '"UnidadeFederadaCodigo"="35"' '"CNPJ"="11222333000181"' \
  "\"Certificado\"=\"$CERTS/emitente.pfx\"" '"SenhaCertificado"="1234"' \
  "\"ArquivoServicos\"=\"$sim/servicos.ini\"" "\"ArquivoAC\"=\"$CERTS/ac.pem\"" \
  '"TempoLimiteConexao"="2"' '"TempoLimiteLeitura"="2"' '"TempoLimiteTotal"="4"' > "$raiz/registro.reg"

inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"
db=$(banco "$raiz")

status() {   # $1: control number; prints the AC's answer line, returns its exit code
  solicitacao "000-000 - STATUS SERVICO" "001-000 - $1" "999-999 - " > "$raiz/status$1.txt"
  local rc=0
  "$AC" enviar "$raiz/status$1.txt" --raiz "$raiz" --espera 20 > "$raiz/status$1.out" 2>&1 || rc=$?
  cat "$raiz/status$1.out"
  return $rc
}

# Normal mode: 107.
saida=$(status 1) || falha "STATUS SERVICO normal: $saida"
grep -q '^Aprovado pelo Host: [0-9:]* - Serviço de NFe Disponível$' <<<"$saida" || falha "normal: $saida"
grep -q -- '^[0-9:]* -       Resultado: 107 - Servico em Operacao$' <(log_do_dia "$raiz") || falha "normal: log"

# Paralysed: 108.
printf 'paralisado=108\n' > "$sim/controle.txt"
rc=0; saida=$(status 2) || rc=$?
[ "$rc" = 1 ] || falha "paralisado: código $rc ($saida)"
grep -q '^Cancelado pelo Host: [0-9:]* - Serviço de NFe Indisponível$' <<<"$saida" || falha "paralisado: $saida"
grep -q -- '^[0-9:]* -       Resultado: 108 - Serviço Paralisado Momentaneamente (curto prazo)$' <(log_do_dia "$raiz") \
  || falha "paralisado: log"

# An answer later than the read timeout (2 s): unavailable, and the Host goes on.
printf 'atraso=6\n' > "$sim/controle.txt"
inicio=$(date +%s)
rc=0; saida=$(status 3) || rc=$?
[ "$rc" = 1 ] || falha "atrasado: código $rc ($saida)"
grep -q '^Cancelado pelo Host: [0-9:]* - Serviço de NFe Indisponível$' <<<"$saida" || falha "atrasado: $saida"
grep -q -- '^[0-9:]* -      \*\* Erro na Rotina: TestaServidores - xFaseLog=40 - .*: tempo limite esgotado' \
  <(log_do_dia "$raiz") || falha "atrasado: linha de erro no log"
[ $(( $(date +%s) - inicio )) -lt 6 ] || falha "atrasado: demorou demais"

# Unreachable: the phase line of the failing call goes to the log.
kill -TERM "$sim_pid"; wait "$sim_pid" || true
inicio=$(date +%s)
rc=0; saida=$(status 4) || rc=$?
[ "$rc" = 1 ] || falha "inalcançável: código $rc ($saida)"
grep -q '^Cancelado pelo Host: [0-9:]* - Serviço de NFe Indisponível$' <<<"$saida" || falha "inalcançável: $saida"
grep -q -- '^[0-9:]* -      \*\* Erro na Rotina: TestaServidores - xFaseLog=40 - Falha na comunicação com a autoridade (NfeStatusServico2 em https://127\.0\.0\.1:[0-9]*/ws/NfeStatusServico2\.asmx): conexão recusada' \
  <(log_do_dia "$raiz") || falha "inalcançável: linha de erro no log"
[ $(( $(date +%s) - inicio )) -lt 10 ] || falha "inalcançável: demorou demais"

[ "$(sql "$db" "SELECT COUNT(*) FROM SolicitacaoFuncaoNFe WHERE [Hora da Analise] IS NOT NULL")" = 4 ] \
  || falha "carimbos de análise"
para_host "$host" || falha "o Host terminou com erro"
echo "autoridade_status: ok"
