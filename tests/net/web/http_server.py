# A loopback HTTP server for the web tests: serves FOLDER on a free port of 127.0.0.1 and says
# "port N" on its first line, then one line "GET /path" for each request. MODE "notime" sends
# no Last-Modified and answers every request whole (no 304), as a server that gives no time.
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    mode = ''

    def log_message(self, format, *args):
        pass

    def send_header(self, keyword, value):
        if self.mode == 'notime' and keyword == 'Last-Modified':
            return
        super().send_header(keyword, value)

    def do_GET(self):
        print('GET ' + self.path, flush=True)
        if self.mode == 'notime':
            del self.headers['If-Modified-Since']
        super().do_GET()


def main():
    folder, mode = sys.argv[1], (sys.argv[2] if len(sys.argv) > 2 else '')
    Handler.mode = mode
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(Handler, directory=folder))
    print('port %d' % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == '__main__':
    main()
