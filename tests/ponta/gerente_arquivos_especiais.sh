#!/usr/bin/env bash
# A certificate path that names no regular file (/dev/zero, which never ends;
# a FIFO, which nobody writes) gives a clear error at once, and the Host goes
# on serving.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"

nova_raiz; raiz=$RAIZ
: > "$raiz/servicos.ini"
mkfifo "$raiz/certificado.pfx"
registro() {   # the certificate path
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' '[HKEY_CURRENT_USER\nfe]' \
    '"Ambiente"="2"' '"UnidadeFederada"="SP"' '"UnidadeFederadaCodigo"="35"' '"CNPJ"="11222333000181"' \
    "\"Certificado\"=\"$1\"" '"SenhaCertificado"="1234"' "\"ArquivoServicos\"=\"$raiz/servicos.ini\"" \
    > "$raiz/registro.reg"
}
registro /dev/zero
inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"

status() {   # control number; the Host answers within the AC's wait
  solicitacao "000-000 - STATUS SERVICO" "001-000 - $1" "999-999 - " > "$raiz/status$1.txt"
  local rc=0 inicio
  inicio=$(date +%s)
  "$AC" enviar "$raiz/status$1.txt" --raiz "$raiz" --espera 20 > "$raiz/status$1.out" 2>&1 || rc=$?
  [ "$rc" = 1 ] || falha "STATUS SERVICO $1: código $rc ($(cat "$raiz/status$1.out"))"
  grep -q '^Cancelado pelo Host: [0-9:]* - Serviço de NFe Indisponível$' "$raiz/status$1.out" \
    || falha "STATUS SERVICO $1: $(cat "$raiz/status$1.out")"
  [ $(( $(date +%s) - inicio )) -lt 10 ] || falha "STATUS SERVICO $1: demorou $(( $(date +%s) - inicio )) s"
}

status 1
grep -q -- '^[0-9:]* -      \*\* Erro na Rotina: TestaServidores - xFaseLog=[0-9]* - Certificado digital não é um arquivo comum: /dev/zero$' \
  <(log_do_dia "$raiz") || falha "/dev/zero: sem o erro no log: $(log_do_dia "$raiz" | tail -3)"

registro "$raiz/certificado.pfx"
status 2
grep -q -- "^[0-9:]* -      \*\* Erro na Rotina: TestaServidores - xFaseLog=[0-9]* - Certificado digital não é um arquivo comum: $raiz/certificado.pfx\$" \
  <(log_do_dia "$raiz") || falha "FIFO: sem o erro no log: $(log_do_dia "$raiz" | tail -3)"

# Still serving.
solicitacao "000-000 - ATV" "001-000 - 3" "999-999 - " > "$raiz/atv.txt"
"$AC" enviar "$raiz/atv.txt" --raiz "$raiz" --espera 20 > "$raiz/atv.out" 2>&1 || falha "ATV depois: $(cat "$raiz/atv.out")"
kill -0 "$host" || falha "o Host parou"
para_host "$host" || falha "o Host terminou com erro"
echo "gerente_arquivos_especiais: ok"
