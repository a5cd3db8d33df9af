#!/usr/bin/env bash
# make install and the Debian package put the executables, the schemas, the
# endpoint file, the SQL scripts, the guide and the systemd unit in place;
# the installed executables use the installed data; the unit passes
# systemd-analyze verify; the package carries its library dependencies and
# installs and removes cleanly into a folder of its own.
#   bash instalacao.sh <build-dir> <source-dir>
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
nova_raiz; TRABALHO=$RAIZ

# The files an installation under the prefix /usr has.
confere_arvore() {   # $1 root of the installed tree, $2 what it came from
  local r=$1 f
  for f in velantnfe velantnfe-ac velantnfe-autoridade; do [ -x "$r/usr/bin/$f" ] || falha "$2: falta usr/bin/$f"; done
  for f in share/velantnfe/schemas/PL_008i2/{nfe,procNFe}_v3.10.xsd share/velantnfe/schemas/evento/envEventoCancNFe_v1.00.xsd \
           share/velantnfe/dados/{servicos-nfe.ini,reforma-tributaria.txt} share/velantnfe/sql/{sqlite,postgresql}.sql \
           share/doc/velantnfe/{integracao.md,exemplos/03-nfe-venda.txt} lib/systemd/system/velantnfe.service
  do [ -f "$r/usr/$f" ] || falha "$2: falta usr/$f"; done
  cmp -s "$r/usr/share/velantnfe/dados/servicos-nfe.ini" "$FONTE/dados/servicos-nfe.ini" || falha "$2: servicos-nfe.ini difere"
  "$r/usr/bin/velantnfe" --help > /dev/null || falha "$2: velantnfe --help"
}

# The installed velantnfe validates against the installed schemas: with the
# installed invoice schema made to refuse everything, generation must fail.
confere_dados_instalados() {   # $1 root of the installed tree
  local r=$1 raiz="$TRABALHO/raiz-gerar" xsd="$1/usr/share/velantnfe/schemas/PL_008i2/nfe_v3.10.xsd" rc=0
  "$FONTE/scripts/preparar-certificados" "$BUILD" > /dev/null
  rm -rf "$raiz"; mkdir -p "$raiz"
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' '[HKEY_CURRENT_USER\nfe]' '"Ambiente"="2"' '"UnidadeFederada"="SP"' \
    '"UnidadeFederadaCodigo"="35"' '"CNPJ"="11222333000181"' '"VerProc"="6.07.01.1"' \
    "\"Certificado\"=\"$BUILD/certificados/emitente.pfx\"" '"SenhaCertificado"="1234"' > "$raiz/registro.reg"
  gerar() { env -u VELANT_ESQUEMAS "$r/usr/bin/velantnfe" gerar "$r/usr/share/doc/velantnfe/exemplos/03-nfe-venda.txt" \
    --raiz "$raiz" --registro "$raiz/registro.reg"; }
  gerar > "$raiz/saida" 2>&1 || falha "gerar com os esquemas instalados: $(tail -3 "$raiz/saida")"
  cp "$xsd" "$xsd.original"
  printf '<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema"/>\n' > "$xsd"
  gerar > "$raiz/saida2" 2>&1 || rc=$?
  mv "$xsd.original" "$xsd"
  [ "$rc" = 1 ] && grep -q '^validado  não$' "$raiz/saida2" \
    || falha "o velantnfe instalado não leu o esquema instalado (saída $rc): $(tail -3 "$raiz/saida2")"
}

# The service's folder in a root where the package was installed: the user
# and group velantnfe; the Host, run as the unit runs it (that user, its
# umask), serves a front end whose user is in the group, while a user outside
# it is told which folder refuses it; what both wrote stays in the group.
confere_pasta_servico() {   # $1 root of the installation
  local r=$1 unidade="$1/usr/lib/systemd/system/velantnfe.service"
  local uid gid pasta="$1/var/lib/velantnfe" umask_unidade rc dono grupo fora host
  uid=$(awk -F: '$1 == "velantnfe" {print $3}' "$r/etc/passwd")
  gid=$(awk -F: '$1 == "velantnfe" {print $3}' "$r/etc/group")
  [ -n "$uid" ] && [ -n "$gid" ] || falha "dpkg -i: sem o usuário e o grupo velantnfe"
  grep -qxF 'User=velantnfe' "$unidade" && grep -qxF 'Group=velantnfe' "$unidade" || falha "a unidade não roda como velantnfe"
  [ "$(stat -c '%a %u %g' "$pasta")" = "2770 $uid $gid" ] || falha "a pasta do serviço: $(stat -c '%a %u %g' "$pasta")"
  [ "$(id -u)" = 0 ] || { echo "instalacao: pasta do serviço não conferida com outros usuários (só como root)"; return 0; }
  umask_unidade=$(sed -n 's/^UMask=//p' "$unidade")
  chmod 755 "$TRABALHO"
  printf '%s\r\n' '000-000 - ATV' '001-000 - 1' '999-999 - ' > "$TRABALHO/atv.txt"; chmod 644 "$TRABALHO/atv.txt"
  (umask "$umask_unidade" && exec setpriv --reuid="$uid" --regid="$gid" --clear-groups \
     "$r/usr/bin/velantnfe" --raiz "$pasta" --registro "$pasta/registro.reg") > "$TRABALHO/host.out" 2>&1 &
  host=$!; PIDS+=("$host")
  espera_inicio "$pasta"
  # A front end in the group (its own umask), then one outside it.
  rc=0
  (umask 022 && exec setpriv --reuid=64911 --regid=64911 --groups="$gid" \
     "$r/usr/bin/velantnfe-ac" enviar "$TRABALHO/atv.txt" --raiz "$pasta" --espera 20) > "$TRABALHO/ac.out" 2>&1 || rc=$?
  [ "$rc" = 0 ] && grep -q '^Host ativo: ' "$TRABALHO/ac.out" || falha "AC do grupo: código $rc: $(cat "$TRABALHO/ac.out")"
  rc=0
  setpriv --reuid=64912 --regid=64912 --clear-groups "$r/usr/bin/velantnfe-ac" enviar "$TRABALHO/atv.txt" \
    --raiz "$pasta" --espera 1 > "$TRABALHO/fora.out" 2>&1 || rc=$?
  # This system's names for the numbers of that root, or the numbers.
  dono=$(getent passwd "$uid" | cut -d: -f1 || true); dono=${dono:-$uid}
  grupo=$(getent group "$gid" | cut -d: -f1 || true); grupo=${grupo:-$gid}
  [ "$rc" = 3 ] && grep -qF "velantnfe-ac: sem permissão de passagem em $pasta (dono $dono, grupo $grupo, modo 2770) para o usuário 64912. A fila do Host fica nessa pasta: entre no grupo $grupo" "$TRABALHO/fora.out" \
    || falha "AC fora do grupo: código $rc: $(cat "$TRABALHO/fora.out")"
  # While the Host holds the database open, its -wal and -shm files are there too.
  [ "$(find "$pasta" -name 'dvk_data.db-wal' -o -name 'dvk_data.db-shm' | wc -l)" = 2 ] || falha "o banco não está em WAL"
  fora=$(find "$pasta" ! -group "$gid" -o -type d ! -perm -2070 -o -name 'dvk_data.db*' ! -perm -0060)
  [ -z "$fora" ] || falha "fora do grupo, ou sem acesso dele: $(ls -ld $fora)"
  kill -TERM "$host"; wait "$host" || falha "o Host do serviço terminou com erro: $(tail -3 "$TRABALHO/host.out")"
}

# 1. make install with DESTDIR (the Makefile's rule is this command).
destino="$TRABALHO/destdir"
DESTDIR="$destino" cmake --install "$BUILD" --prefix /usr > "$TRABALHO/install.log" 2>&1 \
  || falha "cmake --install: $(tail -5 "$TRABALHO/install.log")"
confere_arvore "$destino" "make install"
confere_dados_instalados "$destino"

# 2. The unit: what the service needs, and systemd's own check against a root
# made of the installed tree and this system's units.
unidade="$destino/usr/lib/systemd/system/velantnfe.service"
for linha in 'ExecStart=/usr/bin/velantnfe --raiz /var/lib/velantnfe --registro /var/lib/velantnfe/registro.reg' \
             'StateDirectory=velantnfe' 'Restart=on-failure' 'KillSignal=SIGTERM' 'WantedBy=multi-user.target'
do grep -qxF "$linha" "$unidade" || falha "a unidade não tem: $linha"; done
grep -q -- '--janela' "$unidade" && falha "a unidade roda a janela"
verificacao="$TRABALHO/raiz-systemd"
mkdir -p "$verificacao/etc" && cp -a "$destino/." "$verificacao/"
cp -an /usr/lib/systemd/system/. "$verificacao/usr/lib/systemd/system/"
(cd / && systemd-analyze verify --root="$verificacao" /usr/lib/systemd/system/velantnfe.service) > "$TRABALHO/verify.log" 2>&1 \
  && [ ! -s "$TRABALHO/verify.log" ] || falha "systemd-analyze verify falhou ou reclamou: $(cat "$TRABALHO/verify.log")"

# 3. The Debian package.
cpack --config "$BUILD/CPackConfig.cmake" -B "$TRABALHO/pacote" > "$TRABALHO/cpack.log" 2>&1 \
  || falha "cpack: $(tail -5 "$TRABALHO/cpack.log")"
deb=$(ls "$TRABALHO"/pacote/velantnfe_*_amd64.deb)
depende=$(dpkg-deb -f "$deb" Depends)
for lib in libsqlite3-0 libpq5 libxml2 libxmlsec1-openssl libcurl4 libssl3 ca-certificates
do grep -q "\b$lib\b" <<<"$depende" || falha "o pacote não depende de $lib: $depende"; done
[ "$(dpkg-deb -f "$deb" Package)" = velantnfe ] || falha "nome do pacote"
grep -q ' ./usr/lib/systemd/system/velantnfe.service$' <(dpkg-deb -c "$deb") || falha "o pacote não traz a unidade"

# Installed and removed by dpkg into a root of its own (the maintainer
# scripts run outside it and leave this system's services alone, and make
# the service's user, group and folder inside it).
raiz_dpkg="$TRABALHO/raiz-dpkg"
mkdir -p "$raiz_dpkg/var/lib/dpkg/info" "$raiz_dpkg/var/lib/dpkg/updates" "$raiz_dpkg/etc" && : > "$raiz_dpkg/var/lib/dpkg/status"
dpkg --root="$raiz_dpkg" --force-depends --force-script-chrootless -i "$deb" > "$TRABALHO/dpkg-i.log" 2>&1 \
  || falha "dpkg -i: $(tail -5 "$TRABALHO/dpkg-i.log")"
[ "$(dpkg --root="$raiz_dpkg" -s velantnfe | sed -n 's/^Status: //p')" = "install ok installed" ] || falha "dpkg -s"
confere_arvore "$raiz_dpkg" "dpkg -i"
grep -qx 'ExecStart=/usr/bin/velantnfe .*' "$raiz_dpkg/usr/lib/systemd/system/velantnfe.service" \
  || falha "a unidade do pacote não chama /usr/bin/velantnfe"
confere_dados_instalados "$raiz_dpkg"
confere_pasta_servico "$raiz_dpkg"
dpkg --root="$raiz_dpkg" --force-script-chrootless -r velantnfe > "$TRABALHO/dpkg-r.log" 2>&1 \
  || falha "dpkg -r: $(tail -5 "$TRABALHO/dpkg-r.log")"
[ ! -e "$raiz_dpkg/usr/bin/velantnfe" ] || falha "dpkg -r deixou o executável"
echo "instalacao: ok ($(basename "$deb"), $(du -k "$deb" | cut -f1) KB)"
