#!/usr/bin/env bash
# velantnfe-ac and the queue: it turns LF line ends into CR LF, never inserts
# past the 32-bit NSU range, says why whenever an insert fails; no command creates a root (enviar
# included), and the read-only ones (listar, mostrar, consultar, and
# velantnfe vetores) create nothing and say what is missing; while a request
# waits, enviar says what the queue shows about the Host that should take
# it; a user the folders refuse is told which one and which group to join.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"

# velantnfe-ac with the arguments after $1 and $2 (COMO before it, if set)
# must end with exit code $1 and print the whole line $2.
ac_diz() {
  local codigo=$1 linha=$2 rc=0; shift 2
  ${COMO:-} "$AC" "$@" > "$raiz/ac.out" 2>&1 || rc=$?
  [ "$rc" = "$codigo" ] && grep -qxF -- "$linha" "$raiz/ac.out" || falha "$*: código $rc: $(cat "$raiz/ac.out")"
}
nova_raiz; raiz=$RAIZ
solicitacao "000-000 - ATV" "001-000 - 1" "999-999 - " > "$raiz/atv.txt"
# No Host runs: the first enviar makes the database, and nobody answers. A
# file with LF line ends goes in with CR LF, and the AC says so.
printf '000-000 - ATV\n001-000 - 1\n999-999 - \n' > "$raiz/so-lf.txt"
"$AC" enviar "$raiz/so-lf.txt" --raiz "$raiz" --espera 0 > "$raiz/so-lf.out" 2>&1 || true
grep -qx 'Linhas terminadas só em LF convertidas para CR LF' "$raiz/so-lf.out" || falha "só LF: $(cat "$raiz/so-lf.out")"
db=$(banco "$raiz")
[ "$(sql "$db" "SELECT COUNT(*), replace(Texto, char(13, 10), '/') FROM SolicitacaoFuncaoNFe")" = \
  "1|000-000 - ATV/001-000 - 1/999-999 - /" ] || falha "primeira inclusão: $(sql "$db" "SELECT Texto FROM SolicitacaoFuncaoNFe")"

# The last 32-bit NSU is taken: no wrap to a negative NSU.
sql "$db" "INSERT INTO SolicitacaoFuncaoNFe (NSU, [IP Computador AC], Texto) VALUES (2147483647, '127.0.0.1', 'x')"
ac_diz 3 'velantnfe-ac: a solicitação não foi incluída: o maior NSU da fila é 2147483647 e não há NSU livre depois dele (limite 2147483647)' \
  enviar "$raiz/atv.txt" --raiz "$raiz" --espera 0
[ "$(sql "$db" "SELECT COUNT(*), MIN(NSU) FROM SolicitacaoFuncaoNFe")" = "2|1" ] || falha "estouro: linhas"

# The database refuses the row: the reason reaches the operator.
sql "$db" "DELETE FROM SolicitacaoFuncaoNFe WHERE NSU = 2147483647;
           CREATE TRIGGER fechada BEFORE INSERT ON SolicitacaoFuncaoNFe
           BEGIN SELECT RAISE(ABORT, 'fila fechada para manutenção'); END;"
ac_diz 3 'velantnfe-ac: a solicitação não foi incluída: NSU 2 não gravado: fila fechada para manutenção (50 tentativas)' \
  enviar "$raiz/atv.txt" --raiz "$raiz" --espera 0

# Commands against what is not there: a message, and nothing made.
ausente="$raiz/nao-existe"
LEITURA=(listar "mostrar 1" "consultar 1001")
TODAS=("${LEITURA[@]}" "enviar $raiz/atv.txt")
# Array name of the actions, expected message, then the arguments after the command.
# shellcheck disable=SC2086
recusada_sem_criar() { local -n acoes=$1; local esperado=$2 acao; shift 2; for acao in "${acoes[@]}"; do ac_diz 3 "velantnfe-ac: $esperado" $acao "$@"; done; }
recusada_sem_criar TODAS "pasta raiz inexistente: $ausente" --raiz "$ausente"
[ ! -e "$ausente" ] || falha "a raiz foi criada"
grep -qxF 'Nada foi criado: confira --raiz (o Host grava o arquivo INI da raiz na primeira execução).' "$raiz/ac.out" \
  || falha "raiz inexistente: sem a dica: $(cat "$raiz/ac.out")"

vazia="$raiz/vazia"; mkdir "$vazia"
recusada_sem_criar TODAS "arquivo INI inexistente: C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini ($vazia/C/KorvanePafEcf/NFe/VelantNFe/VelantNFe.ini)" --raiz "$vazia"
[ -z "$(ls -A "$vazia")" ] || falha "algo foi criado em $vazia: $(find "$vazia")"

nova_raiz; semsgbd=$RAIZ   # only the INI file, with no [SGBD]
cp "$(pasta_host "$semsgbd")/VelantNFe.ini" "$raiz/ini-antes"
recusada_sem_criar LEITURA "o arquivo INI C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini ($(pasta_host "$semsgbd")/VelantNFe.ini) não tem a chave \"Gerenciador de Banco de Dados\" na seção [SGBD]" --raiz "$semsgbd"
cmp -s "$raiz/ini-antes" "$(pasta_host "$semsgbd")/VelantNFe.ini" || falha "o INI foi alterado"

printf '[SGBD]\r\nGerenciador de Banco de Dados=SQLITE\r\n' >> "$(pasta_host "$semsgbd")/VelantNFe.ini"
recusada_sem_criar LEITURA "banco de dados SQLite inexistente: C:\\KorvanePafEcf\\NFe\\VelantNFe\\dvk_data.db ($(pasta_host "$semsgbd")/dvk_data.db)" --raiz "$semsgbd"
[ "$(ls -A "$(pasta_host "$semsgbd")")" = "VelantNFe.ini" ] || falha "algo foi criado: $(ls -A "$(pasta_host "$semsgbd")")"

# velantnfe vetores only reads too: on a root without an installation it
# says the database is missing and writes nothing there (no log either).
solicitacao "000-000 - NFE3.10" "001-000 - 1" "100-000 - " "800-001 - " "899-001 - " "999-999 - " > "$raiz/nota.txt"
rc=0; "$HOST" vetores "$raiz/nota.txt" --raiz "$vazia" --registro "$raiz/registro.reg" > "$raiz/vetores.out" 2>&1 || rc=$?
grep -qF 'velantnfe vetores: sem banco de dados (as consultas de CFOP falham): Banco de dados não configurado (seção SGBD): nenhuma conexão aberta' \
  "$raiz/vetores.out" || falha "vetores: $(head -5 "$raiz/vetores.out")"
[ -z "$(ls -A "$vazia")" ] || falha "vetores criou algo em $vazia: $(find "$vazia")"

# On an installation that has its database, both read.
"$AC" listar --raiz "$raiz" > "$raiz/listar.out" 2>&1 && grep -q '^ *1 *1 ATV' "$raiz/listar.out" || falha "listar: $(cat "$raiz/listar.out")"
ac_diz 0 'Tipo de Operacao:             ATV' mostrar 1 --raiz "$raiz"

# --- --campo, the cancellation's protocol, consultar ---------------------------
sql "$db" "DROP TRIGGER fechada"
antes=$(sql "$db" "SELECT MAX(NSU) FROM SolicitacaoFuncaoNFe")
# A field replaced where it is, one added after 001-000 (before the items):
# the text inserted and the row's own columns follow them.
"$AC" enviar "$raiz/atv.txt" --raiz "$raiz" --espera 0 --campo 001-000=77 --campo '043-000=C:\Outra' > "$raiz/campo.out" 2>&1 \
  || falha "--campo: $(cat "$raiz/campo.out")"
[ "$(sql "$db" "SELECT [Numero de Controle de Solicitacao] || '|' || replace(Texto, char(13, 10), '/')
                 FROM SolicitacaoFuncaoNFe WHERE NSU = $((antes + 1))")" = '77|000-000 - ATV/001-000 - 77/043-000 - C:\Outra/999-999 - /' ] \
  || falha "--campo: $(sql "$db" "SELECT Texto FROM SolicitacaoFuncaoNFe WHERE NSU = $((antes + 1))")"
rc=0; "$AC" enviar "$raiz/atv.txt" --raiz "$raiz" --campo 51-000=1 > "$raiz/campo.out" 2>&1 || rc=$?
[ "$rc" = 64 ] || falha "--campo com código inválido: código $rc"

# The cancellation example comes without its protocol: not inserted, and the way to get it.
ac_diz 3 'velantnfe-ac: a solicitação não foi incluída: CANCELAR NFE sem o protocolo de autorização (051-000). O protocolo da nota está em MovimentoNFe:' \
  enviar "$FONTE/exemplos/07-cancelar-nfe.txt" --raiz "$raiz" --espera 0
grep -qxF '  velantnfe-ac enviar ARQUIVO --campo 051-000=$(velantnfe-ac consultar 1001 --serie 1 --valor protocolo)' "$raiz/ac.out" \
  || falha "cancelamento sem protocolo: $(cat "$raiz/ac.out")"
[ "$(sql "$db" "SELECT MAX(NSU) FROM SolicitacaoFuncaoNFe")" = $((antes + 1)) ] || falha "cancelamento sem protocolo: incluído"

# consultar: the invoice's row; one value for scripts, or why there is none.
sql "$db" "INSERT INTO MovimentoNFe (Empresa, Serie, Numero, [Numero da NFe], [Numero do Protocolo], [Etapa Concluida], Data)
           VALUES (1, '1', 1001, '35261211222333000181550010000010011000010018', 135270000000042, 3, '2026-12-05'),
                  (1, '1', 1003, '35261211222333000181550010000010031000010033', 0, 1, '2026-12-05'),
                  (1, '2', 7, 'A', 1, 3, '2026-12-05'), (2, '2', 7, 'B', 2, 3, '2026-12-05');
           INSERT INTO MovimentoNFeSaidaCancelada (Empresa, Serie, [Numero da NFe], [Numero do Protocolo], [Etapa Concluida])
           VALUES (1, '1', '35261211222333000181550010000010011000010018', 135270000000043, 3)"
# ac_fila_consultar.tsv: the arguments, the exit code and a whole line of the output.
# shellcheck disable=SC2086
while IFS=$'\t' read -r argumentos codigo esperado; do ac_diz "$codigo" "$esperado" consultar $argumentos --raiz "$raiz"
done < <(tail -n +2 "$(dirname "$0")/ac_fila_consultar.tsv")

# --- While a request waits: what the queue shows about its Host ----------------
# No Host has ever claimed a row of this root: said while enviar still waits,
# and the request is answered once a Host starts.
"$AC" enviar "$raiz/atv.txt" --raiz "$raiz" --espera 60 > "$raiz/espera.out" 2>&1 &
ac=$!; PIDS+=("$ac")
aviso="Aviso: nenhum Host analisou solicitações do IP 127.0.0.1 nesta raiz nos últimos 10 minutos (última: nenhuma). Confira se o Host roda com --raiz $raiz e se atende este IP (o arquivo INI desta raiz diz 127.0.0.1)."
espera 100 0.1 grep -qxF "$aviso" "$raiz/espera.out" || falha "aviso durante a espera: $(cat "$raiz/espera.out")"
kill -0 "$ac" 2>/dev/null || falha "o aviso só veio no fim da espera"
inicia_host "$raiz"; host=$HOST_PID
rc=0; wait "$ac" || rc=$?
[ "$rc" = 0 ] && grep -q '^Host ativo: ' "$raiz/espera.out" || falha "depois do aviso, código $rc: $(cat "$raiz/espera.out")"
para_host "$host" || falha "o Host terminou com erro"

# Rows of other IPs, claimed a moment ago: the notice names the Host's state.
# Columns: NSU, IP, command, request date and time, claim time, answered.
agora=$(date +%H:%M:%S); hoje=$(date +%F); ontem=$(date -d yesterday +%F)
linha_analisada() {
  local responde=NULL; [ "$6" = 1 ] && responde="'$5'"
  sql "$db" "INSERT INTO SolicitacaoFuncaoNFe (NSU, [IP Computador AC], [Tipo de Operacao], [Data da Solicitacao],
             [Hora da Solicitacao], [Hora da Analise], [Hora da Aprovacao], Texto)
             VALUES ($1, '$2', '$3', '$4', '$5', '$5', $responde, 'x')"
}
# The claim stamp is a time of day: one earlier than the request's was on the
# next day (the fifth row: requested yesterday at 23:59:59, claimed today).
while IFS='|' read -r fixtura ip esperado; do
  sql "$db" "DELETE FROM SolicitacaoFuncaoNFe WHERE NSU >= 1000"
  eval "$fixtura"
  rc=0; "$AC" enviar "$raiz/atv.txt" --raiz "$raiz" --ip "$ip" --espera 1 > "$raiz/aviso.out" 2>&1 || rc=$?
  [ "$rc" = 2 ] && grep -qx -- "$esperado" "$raiz/aviso.out" || falha "aviso para $ip ($fixtura): código $rc: $(cat "$raiz/aviso.out")"
done <<FIM
linha_analisada 1000 10.1.2.3 NFE3.10 $hoje $agora 0|10.1.2.3|Aviso: o Host está com a solicitação NSU 1000 (NFE3.10) em análise desde $agora; esta espera a vez dela\.
linha_analisada 1000 10.1.2.3 NFE3.10 $hoje $agora 1|10.1.2.3|Aviso: ninguém pegou esta solicitação ainda; a última do IP 10.1.2.3 foi analisada às $agora\. O Host desta raiz (velantnfe --raiz $raiz) parou?
linha_analisada 1000 10.1.2.3 ATV $hoje $agora 0|10.1.2.3|Aviso: ninguém pegou esta solicitação ainda; a última do IP 10.1.2.3 foi analisada às $agora\. .*
linha_analisada 1000 10.1.2.3 STATUS $ontem $agora 1|10.1.2.3|Aviso: nenhum Host analisou solicitações do IP 10.1.2.3 nesta raiz nos últimos 10 minutos (última: $(date -d yesterday +%d/%m/%Y) $agora)\. .*
sql "\$db" "UPDATE SolicitacaoFuncaoNFe SET [Data da Solicitacao] = '$ontem', [Hora da Solicitacao] = '23:59:59' WHERE NSU < 1000"|127.0.0.1|Aviso: ninguém pegou esta solicitação ainda; a última do IP 127.0.0.1 foi analisada às .*
linha_analisada 1000 10.1.2.3 STATUS $hoje $agora 1|10.1.2.4|Aviso: nenhum Host analisou solicitações do IP 10.1.2.4 nesta raiz nos últimos 10 minutos (última: nenhuma)\. Confira se o Host roda com --raiz $raiz e se atende este IP (o arquivo INI desta raiz diz 127\.0\.0\.1)\. Atendidos nesse tempo: 10\.1\.2\.3 127\.0\.0\.1\.
FIM

# --- A user the folders refuse -----------------------------------------------------
# Permissions do not stop the superuser: as root the commands run as nobody.
usuario=$(id -un)
[ "$(id -u)" != 0 ] || { COMO="setpriv --reuid=nobody --regid=nogroup --clear-groups"; usuario=nobody; }
pasta=$(pasta_host "$raiz")
chmod 755 "$raiz" "$raiz/C" "$raiz/C/KorvanePafEcf" "$raiz/C/KorvanePafEcf/NFe" "$pasta"
chmod 644 "$pasta/VelantNFe.ini"
dono=$(stat -c %U "$pasta"); grupo=$(stat -c %G "$pasta")
junta="A fila do Host fica nessa pasta: entre no grupo $grupo (sudo adduser $usuario $grupo, vale a partir da próxima sessão) ou use PostgreSQL (seção SGBD do arquivo INI)"
# Modes that refuse the owner too, so that the same table holds as any user.
while IFS='|' read -r modos esperado; do
  chmod 755 "$pasta"; chmod 644 "$db" "$pasta/VelantNFe.ini"
  eval "$modos"
  # shellcheck disable=SC2086
  for acao in listar "enviar $raiz/atv.txt --espera 0"; do ac_diz 3 "velantnfe-ac: $esperado. $junta" $acao --raiz "$raiz"; done
done <<FIM
chmod 600 "\$pasta"|sem permissão de passagem em $pasta (dono $dono, grupo $grupo, modo 0600) para o usuário $usuario
chmod 200 "\$pasta/VelantNFe.ini"|sem permissão de leitura em $pasta/VelantNFe.ini (dono $dono, grupo $grupo, modo 0200) para o usuário $usuario
chmod 444 "\$db"|sem permissão de leitura e escrita em $db (dono $dono, grupo $grupo, modo 0444) para o usuário $usuario
chmod 666 "\$db"; chmod 555 "\$pasta"|sem permissão de escrita em $pasta (dono $dono, grupo $grupo, modo 0555) para o usuário $usuario
FIM
# enviar would create a missing database: the folder must let it.
chmod 755 "$pasta"; mv "$db" "$raiz/guardado.db"; chmod 555 "$pasta"
ac_diz 3 "velantnfe-ac: sem permissão de escrita em $pasta (dono $dono, grupo $grupo, modo 0555) para o usuário $usuario. $junta" \
  enviar "$raiz/atv.txt" --raiz "$raiz" --espera 0
echo "ac_fila: ok"
