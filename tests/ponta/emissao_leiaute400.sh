#!/usr/bin/env bash
# Layout 4.00 through the running Host, against an authority that serves
# 4.00 only: an "NFE3.10" request as the front ends write it, with the
# registry at 4.00, is authorised in one synchronous call (no batch-result
# query) and its distribution file follows the 4.00 schema; "NFE4.00" gives
# a 4.00 invoice under a 3.10 registry; a 3.10 invoice is refused (239) with
# the reason in the answer; status, cancellation and voiding are answered
# by the 4.00 services, which judge every message by their schemas; and an
# issuer and a recipient with alphanumeric CNPJs.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/emissao_apoio.inc"

hoje=$(date -d yesterday +%d/%m/%Y)   # 10:30 of today may be still to come
inicia_host_400; raiz=$RAIZ; host=$HOST_PID

# Calls to a service (the second column of the call log) since line $2.
chamadas_de() { chamadas | tail -n +"$(( ${2:-0} + 1 ))" | awk -F '\t' -v s="$1" '$2 == s' | wc -l; }
n_chamadas() { chamadas | wc -l; }
emite() {   # $1 number, $2 command; the answer in RESPOSTA
  local arquivo="$raiz/nf$1.txt"
  pedido_nfe "$1" "$1" 1 "$hoje" | sed "1s/NFE3.10/$2/" > "$arquivo"
  envia "$raiz" "$arquivo" 90
  RESPOSTA=$(resposta "$arquivo")
}
versao_da_nota() {
  local chave
  chave=$(sim_sql "SELECT chave FROM nota WHERE serie = 1 AND numero = $1")
  xmllint --xpath "string(/*/*[local-name()='NFe']/*[local-name()='infNFe']/@versao)" \
    "$raiz/C/Dunmor/nfe/arquivos/procNFe/$chave-procNFe.xml"
}

# "NFE3.10" as the front ends send it, registry at 4.00: one synchronous call.
antes=$(n_chamadas)
emite 401 "NFE3.10"
[ "$RESPOSTA" = "Aprovado: Processamento de NFe OK!" ] || falha "NFE3.10 em 4.00: '$RESPOSTA' $(tail -5 "$raiz/host.out")"
confere_nota "$raiz" 401
[ "$(chamadas_de NFeAutorizacao4 "$antes")" = 1 ] || falha "NFE3.10 em 4.00: chamadas de autorização: $(chamadas)"
[ "$(chamadas_de NFeRetAutorizacao4 "$antes")" = 0 ] || falha "NFE3.10 em 4.00: consulta do recibo: $(chamadas)"
[ "$(versao_da_nota 401)" = 4.00 ] || falha "NFE3.10 em 4.00: versão $(versao_da_nota 401)"

# Status, voiding and cancellation: the 4.00 services answer them (a message
# off their schemas would get 215/225).
solicitacao "000-000 - STATUS SERVICO" "001-000 - 1" "999-999 - " > "$raiz/status.txt"
envia "$raiz" "$raiz/status.txt" 30
grep -q '^Aprovado pelo Host: [0-9:]* - Serviço de NFe Disponível$' "$raiz/status.txt.out" \
  || falha "status: $(cat "$raiz/status.txt.out")"
[ "$(chamadas | awk -F '\t' '$2 == "NFeStatusServico4" {print $4}')" = 107 ] || falha "status: $(chamadas)"

consulta "$raiz" "INSERT INTO MovimentoNFeSaidaInutilizada (Empresa, Serie, Numero) VALUES (1, '1', 450)" > /dev/null
solicitacao "000-000 - INUTILIZA NFE" "001-000 - 2" "040-000 - 1" "052-000 - Numeracao pulada por falha do sistema" \
  "110-000 - $hoje" "111-000 - 450" "112-000 - 1" "114-000 - $hoje" "999-999 - " > "$raiz/inutiliza.txt"
envia "$raiz" "$raiz/inutiliza.txt" 30
grep -q '^Aprovado pelo Host: [0-9:]* - Inutilização de número homologado$' "$raiz/inutiliza.txt.out" \
  || falha "inutilização: $(cat "$raiz/inutiliza.txt.out")"
[ "$(chamadas | awk -F '\t' '$2 == "NFeInutilizacao4" {print $4}')" = 102 ] || falha "inutilização: $(chamadas)"

chave=$(sim_sql "SELECT chave FROM nota WHERE numero = 401")
protocolo=$(sim_sql "SELECT nProt FROM nota WHERE numero = 401")
consulta "$raiz" "INSERT INTO MovimentoNFeSaidaCancelada (Empresa, Serie, [Numero da NFe]) VALUES (1, '1', '$chave')" > /dev/null
solicitacao "000-000 - CANCELAR NFE" "001-000 - 3" "040-000 - 1" "050-000 - $chave" "051-000 - $protocolo" \
  "052-000 - Cancelamento por erro de digitacao" "111-000 - 401" "112-000 - 1" "999-999 - " > "$raiz/cancela.txt"
envia "$raiz" "$raiz/cancela.txt" 30
grep -q '^Aprovado pelo Host: [0-9:]* - NFe Cancelada com Sucesso!$' "$raiz/cancela.txt.out" \
  || falha "cancelamento: $(cat "$raiz/cancela.txt.out")"
[ "$(chamadas | awk -F '\t' '$2 == "NFeRecepcaoEvento4" {print $4}')" = 128 ] || falha "cancelamento: $(chamadas)"
[ "$(sim_sql "SELECT cancelada FROM nota WHERE chave = '$chave'")" = 1 ] || falha "cancelamento: a autoridade não tem a nota cancelada"

# A 3.10 invoice to an authority that no longer takes it: 239, named in the answer.
sed -i 's/"LeiauteNFe"="4.00"/"LeiauteNFe"="3.10"/' "$raiz/registro.reg"
para_host "$host" || falha "o Host terminou com erro"
inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"
emite 402 "NFE3.10"
case "$RESPOSTA" in
  "Cancelado: 239 - Rejeição: Cabeçalho - Versão do arquivo XML"*) ;;   # the answer field cuts it
  *) falha "3.10 sem o serviço 3.10: '$RESPOSTA'" ;;
esac
[ "$(sim_sql "SELECT COUNT(*) FROM nota WHERE numero = 402")" = 0 ] || falha "3.10: nota autorizada"

# "NFE4.00" under the 3.10 registry: a 4.00 invoice.
emite 403 "NFE4.00"
[ "$RESPOSTA" = "Aprovado: Processamento de NFe OK!" ] || falha "NFE4.00 em 3.10: '$RESPOSTA'"
confere_nota "$raiz" 403
[ "$(versao_da_nota 403)" = 4.00 ] || falha "NFE4.00 em 3.10: versão $(versao_da_nota 403)"

para_host "$host" || falha "o Host terminou com erro"

# Alphanumeric CNPJs: an issuer whose certificate (under the test CA) carries
# one, selling to a company that has one; the key holds the issuer's letters
# and a sound check digit. In production (an authority of its own), as
# homologation puts its fixed recipient in place of the real one.
cnpj_alfa=12ABC34501DE35 cnpj_dest_alfa=9XYZ8W7V000131
nova_raiz_emissao; raiz_alfa=$RAIZ
( cd "$raiz_alfa"
  openssl req -newkey rsa:2048 -nodes -keyout alfa.key -out alfa.csr \
    -subj "/C=BR/O=ICP-Brasil/OU=Teste/CN=EMPRESA ALFA LTDA:$cnpj_alfa"
  openssl x509 -req -in alfa.csr -CA "$CERTS/ac.pem" -CAkey "$CERTS/ac.key" -CAcreateserial \
    -CAserial alfa.srl -days 2 -out alfa.pem
  openssl pkcs12 -export -inkey alfa.key -in alfa.pem -out alfa.pfx -passout pass:1234 -name alfa
) > "$raiz_alfa/openssl.txt" 2>&1 || falha "certificado alfanumérico: $(cat "$raiz_alfa/openssl.txt")"
para_simulador
SIM_LEIAUTE='' inicia_simulador "$raiz_alfa/autoridade" --consultas-processamento 0 --ambiente 1
registro_host "$raiz_alfa" '"LeiauteNFe"="4.00"' "\"CertificadosConfiaveis\"=\"$CERTS/ac.pem\""
sed -i -e "s/\"CNPJ\"=\"11222333000181\"/\"CNPJ\"=\"$cnpj_alfa\"/" -e 's/"Ambiente"="2"/"Ambiente"="1"/' \
  -e "s|$CERTS/emitente.pfx|$raiz_alfa/alfa.pfx|" "$raiz_alfa/registro.reg"
raiz=$raiz_alfa
inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"
arquivo="$raiz/nf404.txt"
pedido_nfe 404 404 1 "$hoje" | sed "s/^219-000 - .*/219-000 - $cnpj_dest_alfa\r/" > "$arquivo"
envia "$raiz" "$arquivo" 90
RESPOSTA=$(resposta "$arquivo")
[ "$RESPOSTA" = "Aprovado: Processamento de NFe OK!" ] || falha "CNPJ alfanumérico: '$RESPOSTA' $(tail -5 "$raiz/host.out")"
confere_nota "$raiz" 404
chave=$(sim_sql "SELECT chave FROM nota WHERE numero = 404 AND cnpj = '$cnpj_alfa'")
[ "${chave:6:14}" = "$cnpj_alfa" ] || falha "CNPJ alfanumérico: chave $chave"
# The key's check digit: modulo 11 over the 43 characters, each worth its code minus 48.
soma=0 peso=2
for ((i = 42; i >= 0; i--)); do
  c=$(printf '%d' "'${chave:i:1}")
  soma=$((soma + (c - 48) * peso)); peso=$((peso == 9 ? 2 : peso + 1))
done
resto=$((soma % 11)); dv=$((resto < 2 ? 0 : 11 - resto))
[ "${chave:43:1}" = "$dv" ] || falha "CNPJ alfanumérico: dígito da chave $chave, esperado $dv"
proc="$raiz/C/Dunmor/nfe/arquivos/procNFe/$chave-procNFe.xml"
[ "$(xpath "$proc" nfeProc NFe infNFe dest CNPJ)" = "$cnpj_dest_alfa" ] || falha "CNPJ alfanumérico: destinatário"
para_host "$host" || falha "o Host terminou com erro"
echo "emissao_leiaute400 ($MOTOR): ok"
