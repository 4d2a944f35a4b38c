# A loopback FTP server for the FTP client's tests: serves ROOT to USER/PASSWORD on a free
# port of 127.0.0.1 and prints the port on its first line. Optional further arguments: a
# number slows downloads to that many bytes a second (0: full speed); "stock" answers
# "NLST -al" and "NLST -a" as pyftpdlib does (550: no such file), like servers that take no
# options to NLST; "nonames" refuses "NLST -a" alone. Otherwise "NLST -al" is answered like
# LIST, as servers that pass options to ls do.
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


class Handler(FTPHandler):
    stock = False
    nonames = False

    def pre_process_command(self, line, cmd, arg):
        if cmd == 'NLST' and arg.lower() == '-a' and self.nonames:
            self.respond('550 Names are not available.')
            return
        if not self.stock and cmd == 'NLST' and arg.lower() in ('-al', '-la', '-l'):
            return super().pre_process_command('LIST -al', 'LIST', '-al')
        if not self.stock and cmd == 'NLST' and arg.lower() == '-a':
            return super().pre_process_command('NLST', 'NLST', '')
        return super().pre_process_command(line, cmd, arg)


def main():
    root, user, password = sys.argv[1:4]
    for option in sys.argv[4:]:
        if option == 'stock':
            Handler.stock = True
        elif option == 'nonames':
            Handler.nonames = True
        elif int(option) > 0:  # bytes a second sent to the client, to make transfers slow
            ThrottledDTPHandler.write_limit = int(option)
            Handler.dtp_handler = ThrottledDTPHandler
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm='elradfmwMT')
    Handler.authorizer = authorizer
    Handler.passive_ports = None
    server = FTPServer(('127.0.0.1', 0), Handler)
    print(server.address[1], flush=True)
    server.serve_forever()


if __name__ == '__main__':
    import logging
    logging.basicConfig(level=logging.CRITICAL)
    main()
