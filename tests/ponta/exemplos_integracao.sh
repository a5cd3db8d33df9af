#!/usr/bin/env bash
# The integrator's examples (exemplos/*.txt, docs/integracao.md) sent as they
# are through velantnfe-ac to a Host that talks to the authority simulator:
# each one must get the answer the guide documents for it. Nothing in them
# depends on the simulator's history or the year: it has authorised another
# invoice before, they go in an order other than the story's, and the
# cancellation carries the protocol read from the invoice's row as the guide
# shows.
#   bash exemplos_integracao.sh <build-dir> <source-dir>
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/cups_apoio.inc"
source "$(dirname "$0")/smtp_apoio.inc"
source "$(dirname "$0")/simulador_apoio.inc"
EXEMPLOS="$FONTE/exemplos"

# exemplos_integracao.tsv: one example per row, in the order they are sent (not the story's: the
# refused texts first, the mail before the print, the correction letter and
# then the cancellation before both), with the answer the guide gives for it:
#   ativo                    claimed at once, no answer stamp (the liveness check)
#   aprovada: MESSAGE        [Hora da Aprovacao] and Mensagem
#   cancelada: MESSAGE       [Hora Cancelamento Host] and Mensagem
# 04-06 print and mail: the Host's registry points them at a CUPS scheduler
# and an SMTP server that this test starts.
TABELA=$(tail -n +2 "$(dirname "$0")/exemplos_integracao.tsv")
# The message of velantnfe-ac's answer line "<kind>: HH:MM:SS - <message>".
resposta_ac() { sed -n "s/^$1: [0-9:]* - //p" "$2"; }

# Every example has its row, and is CR LF throughout (the last one on purpose ends without).
for f in "$EXEMPLOS"/*.txt; do
  nome=${f##*/}; grep -q "^$nome"$'\t' <<<"$TABELA" || falha "$nome sem linha na tabela"
  [ "$(tr -cd '\n' < "$f" | wc -c)" = "$(grep -c $'\r$' "$f")" ] || falha "$nome: linha sem CR LF"
done
[ "$(wc -l <<<"$TABELA")" = "$(ls "$EXEMPLOS"/*.txt | wc -l)" ] || falha "linha da tabela sem exemplo"

# The simulator; another invoice takes its first protocol of the year before the examples.
nova_raiz; raiz=$RAIZ
inicia_simulador "$raiz/autoridade"
# The registry of the guide's section on the simulator, with the DANFE
# printer and the mail server of 04-06.
registro_host "$raiz" '"TempoLimiteConexao"="5"' '"TempoLimiteLeitura"="10"' '"TempoLimiteTotal"="20"' \
  '"ImpressoraDanfe"="DANFE"' '"EmailNomeRemetente"="Boa Vista"' '"TelefoneSuporte"="(19) 3232-1000"'
inicia_cups DANFE
SENHA_SMTP='Senha-Smtp#Exemplos-5521'
inicia_smtp "$raiz/smtp" nfe@boavista.com.br "$SENHA_SMTP" "$raiz/registro.reg"

# The example invoice becomes (on a root of its own) a signed document that
# Debian's tools accept, and its key is the one the examples after it name.
nova_raiz; gerar=$RAIZ
"$HOST" gerar "$EXEMPLOS/03-nfe-venda.txt" --raiz "$gerar" --registro "$raiz/registro.reg" > "$gerar/gerar.out" 2>&1 \
  || falha "velantnfe gerar 03-nfe-venda.txt: $(tail -5 "$gerar/gerar.out")"
chave=$(awk '$1 == "chave" {print $2}' "$gerar/gerar.out")
assinado=$(find "$gerar" -name "NFe$chave-assinado.xml"); assinado_vale "$assinado"
for f in 04-imprimir-danfe.txt 05-enviar-email.txt 07-cancelar-nfe.txt 12-carta-correcao.txt; do
  grep -q "^050-000 - $chave"$'\r$' "$EXEMPLOS/$f" || falha "$f não traz a chave $chave da nota do exemplo"
done
inicia_host "$raiz"; host=$HOST_PID; db=$(banco "$raiz")
# What the front end prepares before a cancellation, a voiding and the accountant's mail.
sql "$db" "INSERT INTO MovimentoNFeSaidaCancelada (Empresa, Serie, [Numero da NFe]) VALUES (1, '1', '$chave');
           INSERT INTO MovimentoNFeSaidaInutilizada (Empresa, Serie, Numero) VALUES (1, '1', 1002);"
(contador="$raiz/C/Dunmor/nfe/arquivos/contador"; mkdir -p "$contador" && cp "$assinado" "$contador" && cd "$contador" && \
  python3 -c "import zipfile,glob; z=zipfile.ZipFile('NFe-2026-11.zip','w'); [z.write(f) for f in glob.glob('*.xml')]")

"$AC" enviar "$FONTE/dados/exemplo-nfe3.10.txt" --raiz "$raiz" --espera 60 > "$raiz/outra-nota.out" 2>&1 \
  || falha "a outra nota: $(cat "$raiz/outra-nota.out")"
primeiro=$("$AC" consultar 1 --serie 1 --valor protocolo --raiz "$raiz") || falha "protocolo da outra nota"

# What the guide has the front end do before some examples: the cancellation
# carries the invoice's protocol from its row; the mail needs the DANFE's PDF,
# which the print writes and which velantnfe danfe writes without printing.
antes_de() {
  case "$1" in
    07-cancelar-nfe.txt)
      protocolo=$("$AC" consultar 1001 --serie 1 --valor protocolo --raiz "$raiz") || falha "07: sem o protocolo da nota"
      [ "$protocolo" != "$primeiro" ] || falha "07: a nota do exemplo teve o primeiro protocolo"
      EXTRA=(--campo "051-000=$protocolo") ;;
    05-enviar-email.txt)
      local procnfe pdf="$raiz/C/Dunmor/nfe/arquivos/PDF/$chave.pdf"
      procnfe=$(find "$raiz" -ipath "*/nfe/arquivos/procNFe/$chave-procNFe.xml" | head -1); mkdir -p "$(dirname "$pdf")"
      "$HOST" danfe "$procnfe" "$pdf" > "$raiz/danfe.out" 2>&1 || falha "05: velantnfe danfe: $(cat "$raiz/danfe.out")" ;;
  esac
}

while IFS=$'\t' read -r arquivo resposta; do
  EXTRA=(); antes_de "$arquivo"; rc=0
  "$AC" enviar "$EXEMPLOS/$arquivo" --raiz "$raiz" --espera 60 "${EXTRA[@]}" > "$raiz/$arquivo.out" 2>&1 || rc=$?
  nsu=$(sed -n 's/^NSU \([0-9]*\) incluído.*/\1/p' "$raiz/$arquivo.out")
  [ -n "$nsu" ] || falha "$arquivo não foi incluído: $(cat "$raiz/$arquivo.out")"
  linha=$(sql "$db" "SELECT [Hora da Analise] IS NOT NULL, [Hora da Aprovacao] IS NOT NULL,
                            [Hora Cancelamento Host] IS NOT NULL, Mensagem FROM SolicitacaoFuncaoNFe WHERE NSU = $nsu")
  # The exit code, the AC's answer line and the row: claimed, approved, cancelled, message.
  saida="$raiz/$arquivo.out"; mensagem=${resposta#*: }
  case "$resposta" in
    ativo) esperado="0|1|0|0|"; grep -q '^Host ativo: ' "$saida" || falha "$arquivo: $(cat "$saida")" ;;
    "aprovada: "*) esperado="0|1|1|0|$mensagem"; [ "$(resposta_ac "Aprovado pelo Host" "$saida")" = "$mensagem" ] || falha "$arquivo: $(cat "$saida")" ;;
    "cancelada: "*) esperado="1|1|0|1|$mensagem"; [ "$(resposta_ac "Cancelado pelo Host" "$saida")" = "$mensagem" ] || falha "$arquivo: $(cat "$saida")" ;;
    *) falha "resposta desconhecida na tabela: $resposta" ;;
  esac
  [ "$rc|$linha" = "$esperado" ] || falha "$arquivo: código e linha da fila $rc|$linha, esperados $esperado: $(cat "$saida")"
  # An authorised invoice: the key and protocol the examples after it need.
  [ "$arquivo" != 03-nfe-venda.txt ] || grep -qxE "Nota 1001 série 1: chave $chave, protocolo [0-9]{15}" "$saida" \
    || falha "03: sem a chave e o protocolo: $(cat "$saida")"
  echo "ok: $arquivo -> $resposta"
done <<<"$TABELA"

# What 04-06 did reached the printer and the mail server: one DANFE job; the
# XML and the PDF to the customer and to the accountant, and the accountant's file.
# The cancellation went with the invoice's own protocol: the authority took it.
[ "$(sql "$db" "SELECT [Etapa Concluida] FROM MovimentoNFeSaidaCancelada WHERE [Numero da NFe] = '$chave'")" = 3 ] \
  || falha "07: a linha do cancelamento não está na etapa 3"
espera_trabalhos DANFE 1
pdftotext "$CUPS_SAIDA" - | tr -d ' \n' | grep -q "$chave" || falha "04: o trabalho impresso não é o DANFE"
# Who got which subject and text (line breaks as ~), byte for byte, against
# exemplos_integracao_mensagens.txt: the five messages the guide promises,
# {chave} for the invoice's key.
recebidas=$(for m in $(mensagens_smtp); do
  printf '%s|%s|%s\n' "$(tr -d '\n' < "$m/destinatarios")" "$(cat "$m/assunto")" "$(tr '\r\n' '~~' < "$m/corpo")"
done | sort)
[ "$recebidas" = "$(sed "s/{chave}/$chave/" "$(dirname "$0")/exemplos_integracao_mensagens.txt" | sort)" ] \
  || falha "05-06: mensagens recebidas: $recebidas"

para_host "$host" || falha "o Host terminou com erro"
# The SMTP password is in the registry file and nowhere else the test wrote.
vazou=$(grep -rlF -- "$SENHA_SMTP" "$raiz" | grep -vxF "$raiz/registro.reg" || true)
[ -z "$vazou" ] || falha "a senha SMTP aparece em: $vazou"
echo "exemplos_integracao: ok"
