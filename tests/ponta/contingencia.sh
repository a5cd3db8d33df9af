#!/usr/bin/env bash
# Contingency by policy through the running Host, layout 4.00. Manual: the
# state's service paused, nothing switches and the answer says the
# authority is unavailable. Under "SVC": an invoice whose answer is lost
# just before the outage; then the service paused and 20 requests in a row,
# all authorised by SVC-AN under tpEmis 6 keys (the first one issued again
# in the request that met the outage), none lost or doubled, the period
# recorded; an SVC invoice is cancelled at SVC; the lost invoice is never
# issued again in contingency; SVC down too, the answer says so; the
# service back (SVC turned off), the Host leaves and every invoice ends with
# its one authorisation; the operator's switch opens a period under manual.
# Under "SVC+EPEC", SVC down too: the invoices go in EPEC (tpEmis 4, the
# summary registered at the national environment, the DANFE with the EPEC
# notice), and once the state's service is back the Host sends them, same
# keys, and they end authorised.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/emissao_apoio.inc"
ESQUEMA_PROC="$FONTE/schemas/PL_010e/procNFe_v4.00.xsd"

DIA_PEDIDO=$(date -d yesterday +%d/%m/%Y)   # 10:30 of today may be still to come
nova_raiz_emissao; raiz=$RAIZ
SIM_LEIAUTE='' inicia_simulador "$raiz/autoridade" --consultas-processamento 0
registro_host "$raiz" '"LeiauteNFe"="4.00"' "\"CertificadosConfiaveis\"=\"$CERTS/ac.pem\"" \
  '"Contingencia"="manual"' '"ContingenciaIntervaloStatus"="3600"'
inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"

periodos() { consulta "$raiz" "SELECT Modo, Fim IS NULL, [Motivo da Entrada], COALESCE([Motivo da Saida], '') FROM ContingenciaNFe"; }
chamadas_svc() { "$SIMULADOR" chamadas --banco "$SIM_DIR/autoridade.sqlite" | awk -F '\t' '$1 ~ /^\/svc-an\// && $2 == "NFeAutorizacao4"' | wc -l; }

# Manual: nothing switches, the answer names the unavailable authority.
controle 'paralisado=109'
emite 501
espera_resposta "Cancelado: Autoridade indisponível: serviço paralisado (109)" "manual"
[ -z "$(periodos)" ] || falha "manual: contingência iniciada: $(periodos)"
[ "$(chamadas_svc)" = 0 ] || falha "manual: envio à SVC"

# Under SVC: the answer to 502 is lost (the authority authorised it), then the state's service stops.
sed -i 's/"Contingencia"="manual"/"Contingencia"="SVC"/' "$raiz/registro.reg"
controle 'descartar=1'
emite 502
espera_resposta "Cancelado: Não foi possível enviar o lote" "resposta perdida"
controle 'paralisado=109'
for n in $(seq 503 522); do
  emite "$n"
  espera_resposta "Aprovado: Processamento de NFe OK!" "NF $n em contingência"
done
for n in $(seq 503 522); do
  confere_nota "$raiz" "$n"
  chave=$(sim_sql "SELECT chave FROM nota WHERE numero = $n")
  [ "${chave:34:1}" = 6 ] || falha "NF $n: chave $chave sem tpEmis 6 (SVC-AN)"
done
[ "$(chamadas_svc)" = 20 ] || falha "SVC: $(chamadas_svc) autorizações na SVC-AN"
# The first request met the outage: its row keeps the normal key it had.
anterior=$(consulta "$raiz" "SELECT [Chave Anterior] FROM MovimentoNFe WHERE Numero = 503")
chave=$(sim_sql "SELECT chave FROM nota WHERE numero = 503")
[ "${#anterior}" = 44 ] && [ "${anterior:34:1}" = 1 ] && [ "${anterior:6:28}" = "${chave:6:28}" ] \
  || falha "NF 503: chave anterior '$anterior', chave $chave"
[ "$(sim_sql "SELECT COUNT(*) FROM nota WHERE chave = '$anterior'")" = 0 ] || falha "NF 503: a chave normal foi autorizada"
[ "$(consulta "$raiz" "SELECT COUNT(*) FROM MovimentoNFe WHERE Numero BETWEEN 504 AND 522 AND [Chave Anterior] <> ''")" = 0 ] \
  || falha "chave anterior em notas emitidas já em contingência"
[ "$(periodos)" = "SVC-AN|1|Serviço paralisado: 109 - Serviço Paralisado sem Previsão|" ] \
  || falha "período de contingência: '$(periodos)'"
grep -q '^\[status\] Contingência SVC-AN iniciada em ' "$raiz/host.out" || falha "linha de status: $(grep status "$raiz/host.out" | tail -3)"

# An SVC invoice is cancelled at SVC while the period lasts.
chave=$(sim_sql "SELECT chave FROM nota WHERE numero = 522")
consulta "$raiz" "INSERT INTO MovimentoNFeSaidaCancelada (Empresa, Serie, [Numero da NFe]) VALUES (1, '1', '$chave')" > /dev/null
solicitacao "000-000 - CANCELAR NFE" "001-000 - 9" "040-000 - 1" "050-000 - $chave" \
  "051-000 - $(sim_sql "SELECT nProt FROM nota WHERE chave = '$chave'")" \
  "052-000 - Cancelamento por erro de digitacao" "111-000 - 522" "112-000 - 1" "999-999 - " > "$raiz/cancela.txt"
envia "$raiz" "$raiz/cancela.txt" 30
grep -q '^Aprovado pelo Host: [0-9:]* - NFe Cancelada com Sucesso!$' "$raiz/cancela.txt.out" \
  || falha "cancelamento na SVC: $(cat "$raiz/cancela.txt.out")"
[ "$("$SIMULADOR" chamadas --banco "$SIM_DIR/autoridade.sqlite" | awk -F '\t' '$1 == "/svc-an/ws/NFeRecepcaoEvento4.asmx" {print $4}')" = 128 ] \
  || falha "cancelamento fora da SVC"

# 502 may be at the state's service: it is asked about, never issued again in SVC.
emite 502
espera_resposta "Cancelado: 109 - Serviço Paralisado sem Previsão" "resposta perdida durante a contingência"
[ "$(sim_sql "SELECT COUNT(*) FROM nota WHERE numero = 502")" = 1 ] || falha "NF 502 emitida de novo"

# SVC down too: the answer says so.
controle 'paralisado=109' 'paralisado_svc=108'
emite 524
espera_resposta "Cancelado: Contingência indisponível: SVC paralisada (108)" "SVC também parada"

# The service is back and the state turns SVC off (114): the Host asks the
# status at once, leaves, and 523 goes to the state's service in the same
# request; 524 and 502 end with one authorisation each.
controle ''
emite 523
espera_resposta "Aprovado: Processamento de NFe OK!" "serviço de volta"
confere_nota "$raiz" 523
[ "$(sim_sql "SELECT substr(chave, 35, 1) FROM nota WHERE numero = 523")" = 1 ] || falha "NF 523 ainda em contingência"
[ "$(periodos)" = "SVC-AN|0|Serviço paralisado: 109 - Serviço Paralisado sem Previsão|Serviço em operação: 107 - Servico em Operacao" ] \
  || falha "fim da contingência: '$(periodos)'"
for n in 524 502; do
  emite $n
  espera_resposta "Aprovado: Processamento de NFe OK!" "NF $n com o serviço de volta"
  confere_nota "$raiz" $n
done
[ "$(lotes_da_nota 502)" = 1 ] || falha "NF 502: $(lotes_da_nota 502) lotes"

# The operator's switch, under manual: a period of its own, opened before the send.
sed -i 's/"Contingencia"="SVC"/"Contingencia"="manual"/' "$raiz/registro.reg"
printf '"ContingenciaForcada"="1"\r\n' >> "$raiz/registro.reg"
controle 'paralisado=109'
emite 525
espera_resposta "Aprovado: Processamento de NFe OK!" "contingência forçada"
confere_nota "$raiz" 525
[ "$(sim_sql "SELECT substr(chave, 35, 1) FROM nota WHERE numero = 525")" = 6 ] || falha "NF 525 fora da SVC"
[ "$(consulta "$raiz" "SELECT [Motivo da Entrada] FROM ContingenciaNFe WHERE Fim IS NULL")" = \
  "Contingência forçada pelo operador (ContingenciaForcada)" ] || falha "contingência forçada: '$(periodos)'"

# SVC+EPEC: the state's service and SVC down. 526 meets SVC down in the open
# period, which becomes EPEC's; 527 goes straight to EPEC.
sed -i -e 's/"Contingencia"="manual"/"Contingencia"="SVC+EPEC"/' -e '/"ContingenciaForcada"/d' "$raiz/registro.reg"
controle 'paralisado=109' 'paralisado_svc=108'
aviso_epec='DANFEimpressoemcontingência-EPECregularmenterecebidopelaReceitaFederaldoBrasil'
for n in 526 527; do
  emite $n
  espera_resposta "Aprovado: NFe em contingência EPEC: autorização pendente" "NF $n em EPEC"
  chave=$(consulta "$raiz" "SELECT [Numero da NFe] FROM MovimentoNFe WHERE Numero = $n")
  [ "${chave:34:1}" = 4 ] || falha "NF $n: chave $chave sem tpEmis 4"
  [ "$(sim_sql "SELECT COUNT(*) FROM evento WHERE chave = '$chave' AND tpEvento = '110140'")" = 1 ] \
    || falha "NF $n: EPEC não registrado no Ambiente Nacional"
  [ "$(sim_sql "SELECT COUNT(*) FROM nota WHERE numero = $n")" = 0 ] || falha "NF $n autorizada com a SEFAZ fora"
  pdftotext "$raiz/C/Dunmor/nfe/arquivos/PDF/$chave.pdf" - | tr -d ' \n' | grep -q "$aviso_epec" \
    || falha "NF $n: DANFE sem o aviso do EPEC"
done
[ "$(consulta "$raiz" "SELECT Modo, Fim IS NULL FROM ContingenciaNFe WHERE Modo = 'EPEC'")" = "EPEC|1" ] \
  || falha "período EPEC: '$(periodos)'"
[ "$(consulta "$raiz" "SELECT COUNT(*) FROM EpecPendenteNFe")" = 2 ] || falha "EPEC pendentes"
# The front end asks again for 526: the same answer, nothing issued again.
emite 526
espera_resposta "Aprovado: NFe em contingência EPEC: autorização pendente" "NF 526 pedida de novo"
[ "$(sim_sql "SELECT COUNT(*) FROM evento WHERE tpEvento = '110140'")" = 2 ] || falha "EPEC registrado de novo"

# The state's service back: the next request's status question ends the
# period, 526 and 527 go to the state's service under their EPEC keys.
sed -i 's/"ContingenciaIntervaloStatus"="3600"/"ContingenciaIntervaloStatus"="0"/' "$raiz/registro.reg"
controle ''
emite 528
espera_resposta "Aprovado: Processamento de NFe OK!" "serviço de volta depois do EPEC"
for n in 526 527 528; do confere_nota "$raiz" $n; done
for n in 526 527; do
  [ "$(sim_sql "SELECT substr(chave, 35, 1) FROM nota WHERE numero = $n")" = 4 ] || falha "NF $n autorizada fora do EPEC"
done
[ "$(consulta "$raiz" "SELECT COUNT(*) FROM EpecPendenteNFe")" = 0 ] || falha "EPEC ainda pendentes"
grep -q '^\[status\] NF-e emitida em EPEC autorizada: NFe' "$raiz/host.out" || falha "sem aviso da NF-e EPEC autorizada"

# Both down again, no period open: one request goes from the state's service
# to SVC to EPEC (two periods opened within the second), and ends authorised
# once the state is back; its row keeps the normal key it first had.
controle 'paralisado=109' 'paralisado_svc=108'
emite 529
espera_resposta "Aprovado: NFe em contingência EPEC: autorização pendente" "NF 529 de SEFAZ a SVC a EPEC"
controle ''
emite 530
espera_resposta "Aprovado: Processamento de NFe OK!" "NF 530 com o serviço de volta"
for n in 529 530; do confere_nota "$raiz" $n; done
anterior=$(consulta "$raiz" "SELECT [Chave Anterior] FROM MovimentoNFe WHERE Numero = 529")
[ "${anterior:34:1}" = 1 ] && [ "$(sim_sql "SELECT substr(chave, 35, 1) FROM nota WHERE numero = 529")" = 4 ] \
  || falha "NF 529: chave anterior '$anterior'"

para_host "$host" || falha "o Host terminou com erro"
echo "contingencia ($MOTOR): ok"
