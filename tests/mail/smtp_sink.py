#!/usr/bin/python3
"""SMTP server for the interoperability tests: aiosmtpd on 127.0.0.1, a free port chosen by
the system and printed on the first line of standard output. Every accepted message is
written as OUTDIR/message-N.eml (content as received after the server removed the dot
stuffing) with its envelope beside it as message-N.json. AUTH LOGIN accepts the user
"reporter" with the password "s3cret" without TLS (loopback only)."""
import asyncio
import warnings
import json
import os
import sys

from aiosmtpd.smtp import SMTP, AuthResult

OUTDIR = sys.argv[1]
warnings.simplefilter("ignore", DeprecationWarning)  # aiosmtpd notes its own API changes


class Handler:
    def __init__(self):
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(OUTDIR, "message-%d" % self.count)
        with open(base + ".json", "w") as meta:
            json.dump({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos}, meta)
        with open(base + ".tmp", "wb") as content:
            content.write(envelope.original_content)
        os.replace(base + ".tmp", base + ".eml")
        return "250 Message accepted for delivery"


class Server(SMTP):
    # The challenges most servers send (the client expects exactly these texts).
    AuthLoginUsernameChallenge = "Username:"
    AuthLoginPasswordChallenge = "Password:"


def authenticator(server, session, envelope, mechanism, auth_data):
    ok = (mechanism == "LOGIN" and auth_data.login == b"reporter"
          and auth_data.password == b"s3cret")
    return AuthResult(success=ok)


async def main():
    handler = Handler()
    loop = asyncio.get_running_loop()
    server = await loop.create_server(
        lambda: Server(handler, authenticator=authenticator, auth_require_tls=False,
                     hostname="sink.test"),
        "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


asyncio.run(main())
