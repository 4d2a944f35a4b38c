# A loopback FTP server for the FTP client's tests: serves ROOT to USER/PASSWORD on a free
# port of 127.0.0.1 and prints the port on its first line. Optional further arguments: a
# number slows downloads to that many bytes a second (0: full speed); "stock" answers
# "NLST -al" and "NLST -a" as pyftpdlib does (550: no such file), like servers that take no
# options to NLST; "nonames" refuses "NLST -a" alone; "refuse=PATH" answers a download of
# PATH (relative to ROOT) with 550; "die=PATH" ends the server without a word once 1 MiB of
# PATH went out (what was sent before stays sent), as a server that is killed. Otherwise
# "NLST -al" is answered like LIST, as servers that pass options to ls do.
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


class DyingFile:
    """A file that ends the whole server when its reader asks past the first MiB."""
    limit = 1 << 20

    def __init__(self, f):
        self.f = f
        self.name = f.name
        self.sent = 0

    def read(self, n=-1):
        if self.sent >= self.limit:
            os._exit(0)
        data = self.f.read(min(n, self.limit - self.sent) if n > 0 else self.limit - self.sent)
        self.sent += len(data)
        return data

    def close(self):
        self.f.close()

    @property
    def closed(self):
        return self.f.closed


class Files(AbstractedFS):
    dying = None

    def relative(self, path):
        return os.path.relpath(os.path.realpath(path), os.path.realpath(self.root))

    def open(self, filename, mode):
        f = super().open(filename, mode)
        if 'r' in mode and self.dying and self.relative(filename) == self.dying:
            return DyingFile(f)
        return f


class Handler(FTPHandler):
    stock = False
    nonames = False
    refused = None
    abstracted_fs = Files
    use_sendfile = False  # the dying file must be read through Python

    def ftp_RETR(self, file):
        if self.refused and self.fs.relative(file) == self.refused:
            self.respond('550 No such file or directory.')
            return
        return super().ftp_RETR(file)

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
        elif option.startswith('refuse='):
            Handler.refused = option[len('refuse='):]
        elif option.startswith('die='):
            Files.dying = option[len('die='):]
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
