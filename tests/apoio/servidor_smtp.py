#!/usr/bin/python3
"""SMTP server for the tests, on 127.0.0.1 only.

STARTTLS (or implicit TLS with --tls-implicito) with the given certificate,
AUTH LOGIN/PLAIN required with one user and password. Every message
accepted goes to its own folder under --pasta, written whole before the
server answers the end of DATA (a folder named msg-NNNN appears at once,
by rename):

  mensagem.eml      the bytes received
  remetente         envelope sender (MAIL FROM)
  destinatarios     envelope recipients (RCPT TO), one a line
  assunto           Subject, decoded (UTF-8)
  de-nome, de-endereco     From: display name (decoded) and address
  para              To: addresses, one a line
  data-epoca        Date as seconds since 1970 (absent when it does not parse)
  id-mensagem       Message-ID as received
  versao-mime       MIME-Version as received
  corpo-tipo, corpo-charset, corpo     the text part: media type, charset, decoded bytes
  anexo-N-nome, anexo-N-tipo, anexo-N  each attachment: file name (decoded), media type, decoded bytes
  defeitos          what the parser of Python's email package found wrong, one a line

Usage (from a shell script too; the port file is written once it listens):
  /usr/bin/python3 tests/apoio/servidor_smtp.py --porta 0 --arquivo-porta F --pasta DIR --certificado C --chave K
                                                --usuario U --senha S [--tls-implicito] [--recusar ENDERECO]...
Stops on SIGTERM or SIGINT.
"""
import argparse
import asyncio
import email
import email.policy
import email.utils
import os
import signal
import ssl
import logging
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def grava(pasta, nome, conteudo):
    with open(os.path.join(pasta, nome), "wb") as f:
        f.write(conteudo.encode("utf-8") if isinstance(conteudo, str) else conteudo)


def grava_decodificado(pasta, envelope):
    bruto = envelope.original_content or envelope.content
    grava(pasta, "mensagem.eml", bruto)
    grava(pasta, "remetente", envelope.mail_from or "")
    grava(pasta, "destinatarios", "".join(r + "\n" for r in envelope.rcpt_tos))

    msg = email.message_from_bytes(bruto, policy=email.policy.default)
    defeitos = [repr(d) for d in msg.defects]
    for nome, cabecalho in (("assunto", "Subject"), ("id-mensagem", "Message-ID"), ("versao-mime", "MIME-Version")):
        grava(pasta, nome, str(msg.get(cabecalho, "")))
    de = msg.get("From")
    if de is not None and de.addresses:
        grava(pasta, "de-nome", de.addresses[0].display_name)
        grava(pasta, "de-endereco", de.addresses[0].addr_spec)
    para = msg.get("To")
    if para is not None:
        grava(pasta, "para", "".join(a.addr_spec + "\n" for a in para.addresses))
    if msg.get("Date") is not None:
        try:
            grava(pasta, "data-epoca", str(int(email.utils.parsedate_to_datetime(str(msg["Date"])).timestamp())))
        except (TypeError, ValueError):
            pass

    anexos = 0
    for parte in msg.walk():
        defeitos += [repr(d) for d in parte.defects]
        if parte.is_multipart():
            continue
        dados = parte.get_payload(decode=True) or b""
        if parte.get_content_disposition() == "attachment" or parte.get_filename() is not None:
            anexos += 1
            grava(pasta, f"anexo-{anexos}-nome", parte.get_filename() or "")
            grava(pasta, f"anexo-{anexos}-tipo", parte.get_content_type())
            grava(pasta, f"anexo-{anexos}", dados)
        elif parte.get_content_maintype() == "text" and not os.path.exists(os.path.join(pasta, "corpo")):
            grava(pasta, "corpo-tipo", parte.get_content_type())
            grava(pasta, "corpo-charset", parte.get_content_charset() or "")
            grava(pasta, "corpo", dados)
    grava(pasta, "defeitos", "".join(d + "\n" for d in defeitos))


class Guardiao:
    def __init__(self, pasta, recusar):
        self.pasta = pasta
        self.recusar = {r.lower() for r in recusar}
        self.contador = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.recusar:
            return "550 5.1.1 Destinatario recusado"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.contador += 1
        final = os.path.join(self.pasta, "msg-%04d" % self.contador)
        temporaria = final + ".parcial"
        os.makedirs(temporaria)
        grava_decodificado(temporaria, envelope)
        os.rename(temporaria, final)
        return "250 Message accepted for delivery"


def autenticador(usuario, senha):
    def autentica(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login == usuario.encode()
              and auth_data.password == senha.encode())
        # handled=False: aiosmtpd itself answers 535 to a refusal.
        return AuthResult(success=ok, handled=False, auth_data=auth_data)
    return autentica


async def principal(args):
    contexto = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    contexto.load_cert_chain(args.certificado, args.chave)
    guardiao = Guardiao(args.pasta, args.recusar)

    # With implicit TLS the whole session is already encrypted.
    def protocolo():
        return SMTP(guardiao, hostname="smtp.teste.invalid", tls_context=None if args.tls_implicito else contexto,
                    require_starttls=not args.tls_implicito, auth_required=True, auth_require_tls=not args.tls_implicito,
                    authenticator=autenticador(args.usuario, args.senha), timeout=30)

    laco = asyncio.get_running_loop()
    servidor = await laco.create_server(protocolo, "127.0.0.1", args.porta,
                                        ssl=contexto if args.tls_implicito else None)
    porta = servidor.sockets[0].getsockname()[1]
    if args.arquivo_porta:
        with open(args.arquivo_porta + ".tmp", "w") as f:
            f.write(str(porta))
        os.rename(args.arquivo_porta + ".tmp", args.arquivo_porta)
    print("servidor SMTP em 127.0.0.1:%d" % porta, flush=True)

    parar = asyncio.Event()
    for sinal in (signal.SIGTERM, signal.SIGINT):
        laco.add_signal_handler(sinal, parar.set)
    await parar.wait()
    servidor.close()
    await servidor.wait_closed()


def main():
    p = argparse.ArgumentParser(description="SMTP server of the tests (127.0.0.1 only)")
    p.add_argument("--porta", type=int, default=0, help="0: one the system chooses")
    p.add_argument("--arquivo-porta", help="file that receives the port once listening")
    p.add_argument("--pasta", required=True, help="where the received messages go")
    for obrigatorio in ("--certificado", "--chave", "--usuario", "--senha"):
        p.add_argument(obrigatorio, required=True)
    p.add_argument("--tls-implicito", action="store_true", help="TLS from the first byte (smtps)")
    p.add_argument("--recusar", action="append", default=[], help="recipient answered with 550")
    args = p.parse_args()
    # aiosmtpd warns about its own use of a deprecated session field at every login.
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    os.makedirs(args.pasta, exist_ok=True)
    asyncio.run(principal(args))
    return 0


if __name__ == "__main__":
    sys.exit(main())
