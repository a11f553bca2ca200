"""The vendor FTP server of the demo and the tests (pyftpdlib), started by vendor-ftp.sh.

    vendor_ftpd.py FOLDER PORT USER PASSWORD [--faults] [--tls CERTFILE]

Serves FOLDER/home to the one account on 127.0.0.1:PORT and logs every command to FOLDER/ftpd.log.

--tls offers explicit TLS (AUTH TLS) with the certificate and key in CERTFILE; clients that do not
ask for it are served in clear text as before.

--faults lets a test make the server misbehave: at every new connection the server reads
FOLDER/fault, one line "MODE [BYTES [FILE]]":
    silent        accepts the connection and never says a word, not even the greeting
    mute          greets, then never answers again
    stall BYTES   sends that much of the file, then keeps both connections open and stays silent
    cut BYTES     sends that much of the file, then closes the data connection (426)
    slow RATE     sends the file at RATE bytes a second, in bursts about a second apart
The file is setupkvr.exe unless FILE names another; other files are sent as usual. Without the
fault file, or with any other line, the server behaves.
"""
import logging
import os
import signal
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

INSTALLER = 'setupkvr.exe'


def main():
    folder, port, user, password = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    options = sys.argv[5:]
    faults = '--faults' in options
    certfile = options[options.index('--tls') + 1] if '--tls' in options else None

    logging.basicConfig(filename=os.path.join(folder, 'ftpd.log'), level=logging.DEBUG,
                        format='%(asctime)s %(message)s')
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, os.path.join(folder, 'home'), perm='elr')

    def read_fault():
        """(mode, bytes, file) of the fault file."""
        if not faults:
            return 'none', 0, INSTALLER
        try:
            with open(os.path.join(folder, 'fault')) as f:
                words = f.read().split()
        except OSError:
            return 'none', 0, INSTALLER
        if not words:
            return 'none', 0, INSTALLER
        return (words[0], int(words[1]) if len(words) > 1 else 0,
                words[2] if len(words) > 2 else INSTALLER)

    data_base = DTPHandler
    if certfile:
        from pyftpdlib.handlers import TLS_DTPHandler
        data_base = TLS_DTPHandler

    class DataHandler(data_base):
        """Sends the installer as the fault of the session says; everything else as usual."""

        def __init__(self, sock, cmd_channel):
            super().__init__(sock, cmd_channel)
            self.burst = 0
            self.cut_done = False

        def use_sendfile(self):
            return False  # every byte goes through send(), where the faults are made

        def readable(self):
            # A client may begin the TLS handshake of a data connection before it names the file;
            # the handshake has to be read then, or the client waits for it in vain.
            return getattr(self, '_ssl_accepting', False) or super().readable()

        def fault(self):
            # In passive mode the data connection exists before RETR names the file.
            mode, amount, target = self.cmd_channel.fault
            if self.cmd_channel.retrieving != target:
                return 'none', 0
            return mode, amount

        def pause(self, seconds):
            self.del_channel()
            if seconds is not None:
                self.ioloop.call_later(seconds, self.resume, _errback=self.handle_error)

        def resume(self):
            if not self._closed:
                self.add_channel(events=self.ioloop.WRITE)

        def send(self, data):
            mode, amount = self.fault()
            if mode in ('stall', 'cut'):
                data = data[:max(0, amount - self.tot_bytes_sent)]
            elif mode == 'slow':
                data = data[:amount - self.burst]
            if not data:
                return 0
            sent = super().send(data)
            if mode == 'stall' and self.tot_bytes_sent >= amount:
                self.pause(None)  # the socket stays open, nothing more is sent
            elif mode == 'slow':
                self.burst += sent
                if self.burst >= amount:
                    self.burst = 0
                    self.pause(1.0)
            return sent

        def handle_write(self):
            super().handle_write()
            mode, amount = self.fault()
            if mode == 'cut' and not self.cut_done and not self._closed and self.tot_bytes_sent >= amount:
                self.cut_done = True
                self.handle_close()  # the rest is still queued: the server answers 426

    base = FTPHandler
    if certfile:
        from pyftpdlib.handlers import TLS_FTPHandler
        base = TLS_FTPHandler

    class Handler(base):
        banner = 'Kvor vendor FTP ready.'
        # Active data connections go back only to the client's own address.
        permit_foreign_addresses = False
        dtp_handler = DataHandler

        def handle(self):
            self.fault = read_fault()
            self.retrieving = None
            if self.fault[0] == 'silent':
                return
            super().handle()

        def found_terminator(self):
            if self.fault[0] == 'mute' or (self.fault[0] == 'stall' and self.retrieving == self.fault[2]):
                self._in_buffer = []
                self._in_buffer_len = 0
                return
            super().found_terminator()

        def ftp_RETR(self, file):
            self.retrieving = os.path.basename(file)
            return super().ftp_RETR(file)

    if certfile:
        Handler.certfile = certfile
        Handler.tls_control_required = False
        Handler.tls_data_required = False

    Handler.authorizer = authorizer
    server = FTPServer(('127.0.0.1', port), Handler)
    signal.signal(signal.SIGTERM, lambda *_: server.close_all() or sys.exit(0))
    with open(os.path.join(folder, 'ftpd.pid'), 'w') as f:
        f.write(str(os.getpid()))
    server.serve_forever()


if __name__ == '__main__':
    main()
