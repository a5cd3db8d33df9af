#!/usr/bin/env bash
# Start-up of the real executable: the first run writes this computer's IP
# and creates the database; a second process on the same installation and a
# computer the INI file does not name end with exit 1 and the box. (The INI
# keys, the title and the refusals' texts are the manager's unit tests.)
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"

# First run on an empty root: the IP of this computer and the embedded database are written.
nova_raiz; vazia=$RAIZ
rm -f "$(pasta_host "$vazia")/VelantNFe.ini"
"$HOST" --raiz "$vazia" --registro "$vazia/registro.reg" --uma-vez > "$vazia/host.out" 2>&1 || falha "primeira execução: $(cat "$vazia/host.out")"
ip=$(sed -n 's/^IP deste PC:  //p' "$vazia/host.out")
tr -d '\r' < "$(pasta_host "$vazia")/VelantNFe.ini" | grep -qx "IP do Computador a ser processado=$ip" \
  || falha "INI sem o IP $ip: $(cat "$(pasta_host "$vazia")/VelantNFe.ini")"
[ -f "$(banco "$vazia")" ] || falha "o banco SQLite não foi criado"

# A second copy on the same root.
nova_raiz; raiz=$RAIZ
inicia_host "$raiz"; host=$HOST_PID
rc=0; "$HOST" --raiz "$raiz" --registro "$raiz/registro.reg" --uma-vez > "$raiz/segunda.out" 2>&1 || rc=$?
[ "$rc" = 1 ] && grep -qx '\[caixa\] Gerenciador Padrão NFe já está aberto!: Atenção! Este Programa já encontra-se aberto!' \
  "$raiz/segunda.out" || falha "segunda cópia: código $rc: $(cat "$raiz/segunda.out")"
kill -0 "$host" || falha "a primeira cópia parou"
para_host "$host" || falha "a primeira cópia terminou com erro"
# Once the first copy is gone, the installation starts again.
"$HOST" --raiz "$raiz" --registro "$raiz/registro.reg" --uma-vez > "$raiz/terceira.out" 2>&1 || falha "depois da primeira cópia"

# The INI file names another computer.
nova_raiz; outro=$RAIZ
printf '[Local]\r\nIP do Computador a ser processado=10.255.255.1\r\n' > "$(pasta_host "$outro")/VelantNFe.ini"
rc=0; "$HOST" --raiz "$outro" --registro "$outro/registro.reg" --uma-vez > "$outro/host.out" 2>&1 || rc=$?
ip=$(sed -n 's/^IP deste PC:  //p' "$outro/host.out")
[ "$rc" = 1 ] && grep -qxF "[caixa] IP Divergente!: O IP deste computador é: $ip / e não confere com o IP a ser processado: 10.255.255.1 / Favor configurar no arquivo de configuração / C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini" \
  "$outro/host.out" || falha "IP divergente: código $rc: $(cat "$outro/host.out")"
[ ! -e "$(banco "$outro")" ] || falha "IP divergente: o banco foi aberto"
echo "gerente_inicio: ok"
