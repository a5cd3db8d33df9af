#!/usr/bin/env bash
# "NFE3.10" from velantnfe-ac through the Host to the authority simulator:
# approved, repeated, and a hostile authority whose protocols are tampered
# with after signing. Each invoice ends authorised once, with its row at step
# 3 and a valid distribution file whose signatures hold. (The authority's
# faults are the component's tests against the simulator; what the Host does
# with each outcome, the lifecycle's batch tables.) MOTOR=pg runs it on
# PostgreSQL.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/emissao_apoio.inc"

nova_raiz_emissao; raiz=$RAIZ
inicia_simulador "$raiz/autoridade" --consultas-processamento 0
registro_host "$raiz" "\"CertificadosConfiaveis\"=\"$CERTS/ac.pem\""
inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"

etapa() { consulta "$raiz" "SELECT [Etapa Concluida], [Numero da Recepcao] > 0 FROM MovimentoNFe WHERE Numero = $1"; }

# Approved; the same request again sends nothing and says why.
emite 101
espera_resposta "Aprovado: Processamento de NFe OK!" "aprovada"
confere_nota "$raiz" 101
lotes=$(sim_sql "SELECT COUNT(*) FROM lote")
emite 101
protocolo=$(sim_sql "SELECT nProt FROM nota WHERE numero = 101")
espera_resposta "Cancelado: NFe já autorizada - Protocolo: $protocolo" "repetida"
[ "$(sim_sql "SELECT COUNT(*) FROM lote")" = "$lotes" ] || falha "repetida: um lote foi enviado"
confere_nota "$raiz" 101

# Tampered protocols are not believed: nothing stored, no distribution file,
# the reason as the answer; the genuine answer later finishes the invoice.
controle 'adulterar=protocolo'
emite 108
espera_resposta "Cancelado: Assinatura da autoridade inválida" "protocolo adulterado"
[ "$(etapa 108)" = "1|t" ] || [ "$(etapa 108)" = "1|1" ] || falha "protocolo adulterado: etapa $(etapa 108)"
[ "$(consulta "$raiz" "SELECT [Numero do Protocolo] FROM MovimentoNFe WHERE Numero = 108")" = 0 ] \
  || falha "protocolo adulterado: protocolo gravado"
! ls "$raiz/C/Dunmor/nfe/arquivos/procNFe/"*"$(printf '%09d' 108)"*-procNFe.xml > /dev/null 2>&1 \
  || falha "protocolo adulterado: arquivo de distribuição gravado"
controle 'adulterar=assinatura'
emite 108
espera_resposta "Cancelado: Resposta da autoridade sem assinatura" "protocolo sem assinatura"
controle ''
emite 108
espera_resposta "Aprovado: Processamento de NFe OK!" "protocolo adulterado e depois o verdadeiro"
[ "$(lotes_da_nota 108)" = 1 ] || falha "protocolo adulterado: $(lotes_da_nota 108) lotes"
confere_nota "$raiz" 108

para_host "$host" || falha "o Host terminou com erro"
echo "emissao_caminhos ($MOTOR): ok"
