#!/usr/bin/python3
"""A small FTP server on 127.0.0.1 for pellion-sim and the tests.

Prints "listening ftp 127.0.0.1:PORT" on stdout once it accepts connections.
Every completed upload is appended (its path relative to the root) to the file
given with --received-log, so that a watcher knows a file arrived whole.
"""

import argparse
import logging
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--root", required=True, help="folder served as the FTP root")
    parser.add_argument("--port", type=int, default=0, help="control port; 0 picks a free one")
    parser.add_argument("--user", default="Corvane")
    parser.add_argument("--password", help="the user's password (the access code)")
    parser.add_argument("--password-file", help="file whose first line is the password")
    parser.add_argument("--anonymous", action="store_true", help="also accept anonymous logins (read only)")
    parser.add_argument("--received-log", help="append the name of every completed upload here")
    parser.add_argument("--exit-with-parent", action="store_true",
                        help="end when the process that started the server ends")
    args = parser.parse_args()

    if args.exit_with_parent:
        import ctypes
        import signal
        PR_SET_PDEATHSIG = 1
        ctypes.CDLL(None).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)

    password = args.password
    if args.password_file:
        with open(args.password_file, encoding="latin-1") as f:
            password = f.readline().rstrip("\r\n")

    logging.basicConfig(level=logging.CRITICAL)
    authorizer = DummyAuthorizer()
    if password is not None:
        authorizer.add_user(args.user, password, args.root, perm="elradfmwMT")
    if args.anonymous:
        authorizer.add_anonymous(args.root)

    root = os.path.realpath(args.root)

    class Handler(FTPHandler):
        def on_file_received(self, file):
            if args.received_log:
                with open(args.received_log, "a", encoding="utf-8") as log:
                    log.write(os.path.relpath(os.path.realpath(file), root) + "\n")

    Handler.authorizer = authorizer
    Handler.auth_failed_timeout = 0
    Handler.permit_foreign_addresses = False
    Handler.banner = "Pellion.net FTP server ready."

    server = FTPServer(("127.0.0.1", args.port), Handler)
    server.max_cons = 64
    print("listening ftp 127.0.0.1:%d" % server.address[1], flush=True)
    try:
        server.serve_forever(handle_exit=True)
    except KeyboardInterrupt:
        pass
    server.close_all()


if __name__ == "__main__":
    sys.exit(main())
