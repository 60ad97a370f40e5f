#include "Options.h"

namespace SmtpSend {

const char* HelpText()
{
    return R"(Usage: smtpsend --server HOST --from ADDRESS --to ADDRESS [OPTION]...
Sends an e-mail message through an SMTP server.

ADDRESS is "addr@example.org" or "Display Name <addr@example.org>".
All arguments are read as UTF-8.

Server and connection:
  --server HOST            SMTP server host name or address (required)
  --port N                 server port (default 587, or 25 with --no-tls)
  --no-tls                 do not require TLS; by default the session must
                           switch to TLS with STARTTLS or it fails
  --tls-version V          any (default), 1.0, 1.1, 1.2 or 1.3; a version
                           other than any allows exactly that one
  --insecure               do not verify the server certificate (by default it
                           is checked against the system's trust store). The
                           cost: anyone on the network path can pose as the
                           server and read the password and the message; use
                           it only for a test server with a self-signed
                           certificate
  --verify-status          require a valid OCSP status answer for the server
                           certificate
  --proxy URL              connect through a SOCKS proxy, URL being
                           SCHEME://[USER:PASSWORD@]HOST:PORT with SCHEME one of
                           socks4, socks4a, socks5, socks5h (with socks4a and
                           socks5h the proxy resolves the server name);
                           write ':', '@' and '%' in USER and PASSWORD as %3A,
                           %40 and %25
  --connect-timeout S      give up connecting after S seconds

Login:
  --user NAME              login name
  --password-file FILE     read the password from the first line of FILE
  --password-env VAR       read the password from the environment variable VAR
                           With --user and neither of these (nor a token), the
                           password is asked for, without echo, when standard
                           input is a terminal. The password itself is never
                           taken from the command line.
  --oauth2-token TOKEN     log in with an OAuth 2.0 bearer token (XOAUTH2);
                           give the account with --user
  --oauth2-token-env VAR   read the bearer token from the environment
                           variable VAR

Message:
  --from ADDRESS           sender (required)
  --to ADDRESS             To recipient; repeatable
  --cc ADDRESS             Cc recipient; repeatable
  --bcc ADDRESS            Bcc recipient (envelope only); repeatable
                           At least one --to, --cc or --bcc is required.
  --subject TEXT           subject
  --text TEXT              plain-text body
  --html HTML              HTML body
  --text-file FILE         plain-text body read from FILE
  --html-file FILE         HTML body read from FILE
  --body-encoding ENC      encoding of body files: utf8 (default) or ansi (the
                           system's ANSI code page)
  --embed-images           with --html-file: send the local images that the
                           HTML names in <img src="PATH"> inline; each PATH
                           is taken relative to the current folder
  --attach FILE            attach FILE; repeatable
  --inline FILE=CID        add FILE as an inline image that the HTML shows
                           with <img src="cid:CID">; repeatable
  --priority P             normal (default), low or high
  --charset NAME           character set of headers and bodies (default UTF-8)

Sending and output:
  --log FILE               write the session log (the protocol trace) to FILE,
                           replacing it; not with --async
  --log-append             with --log: append to FILE instead
  --lang L                 language of the library's result messages: en
                           (default), ja, da, nl, fr, de, it, no, es, sv or zh
  --async                  send on the library's worker thread and wait for
                           the completion, then print the task id and the
                           result code, and for a failure the library's
                           message in the --lang language
  --repeat N               send the message N times (with --async, all N are
                           queued before the first completion is awaited) and
                           print a summary: delivered, failed, time and rate
  --keep-connection        keep the connection open from one send to the next
                           (with --repeat)
  --connections N          with --async: N connections (1 to 16) serve the
                           queued sends at once
  --max-per-connection N   with --keep-connection: close a connection after N
                           mails (0: no cap; the library's default is 100)
  --rate N                 send at most N mails a minute, over all
                           connections
  --partial                deliver to the accepted recipients when others are
                           refused, and name the refused ones
  --verbose                show libcurl's progress text of synchronous sends
                           on standard error
  -h, --help               show this help and exit
  --version                show the version and exit

Each send prints one line: its result code (1 for success, negative for a
failure) and this tool's English description of it. When a send fails, the
next lines say why: for a synchronous send the command the server refused
with the server's whole reply, or what went wrong when no reply came; with
--async the library's message for the code (the library gives its localized
messages to asynchronous sends only). With --async, a send that could not be
queued is reported as "send N: result -1: the send could not be queued". The
library echoes libcurl's progress text to standard error; it is shown only
with --verbose.

Exit status: 0 when every send succeeded, 1 when a send failed, 2 for a usage
error or refused input, in which case nothing was sent.
)";
}

} // namespace SmtpSend
