"""Debian's Postfix and Exim on 127.0.0.1, each with a private configuration,
queue and Maildir in a temporary folder that STATE/mta links to, and a relay
listener without 8BITMIME that both forward "relay.example.org" to. Postfix
listens twice: as "postfix" without SMTPUTF8, as "postfix_smtputf8" with it;
Exim offers SMTPUTF8.

The programs come unpacked from the packages (scripts/fetch-mail-servers.sh)
into the folder that SMTPCLIENT_MAIL_SERVERS names. Each server runs in the
foreground as a child of this daemon and is stopped by its own process id.
Mail for any other domain is delivered to STATE/mta/<server>/delivered/Maildir/new/,
with a Delivered-To (Postfix) or Envelope-to (Exim) line naming the
recipient; relayed mail goes to STATE/mta/relayed/ as the test listeners
store theirs (N.eml, N.json).
"""

import asyncio
import contextlib
import os
import pathlib
import shutil
import pwd
import subprocess
import tempfile

from aiosmtpd.smtp import SMTP

from fixture import free_port, stop_processes, wait_for_port
from smtp_server import Handler, MailStore

RELAY_DOMAIN = "relay.example.org"
MAIL_USER = "nobody"

# Postfix works as an unprivileged user; it refuses one that is also the user
# of its delivery to commands (default_privs) or whose group is its set-group-ID
# group. Every domain but the relay's is delivered to the Maildir.
POSTFIX_MAIN = """\
compatibility_level = 3.6
mail_owner = nobody
setgid_group = mail
default_privs = daemon
queue_directory = {queue}
data_directory = {data}
daemon_directory = {root}/usr/lib/postfix/sbin
command_directory = {root}/usr/sbin
shlib_directory = {root}/usr/lib/postfix
meta_directory = {conf}
import_environment = MAIL_CONFIG TZ LANG=C LD_LIBRARY_PATH
maillog_file_prefixes = {log}
maillog_file = {log}
inet_interfaces = 127.0.0.1
inet_protocols = ipv4
myhostname = postfix.test
mydomain = postfix.test
mydestination =
mynetworks = 127.0.0.0/8
alias_maps =
local_recipient_maps =
smtputf8_enable = yes
relay_domains = {relay_domain}
transport_maps = inline:{{ {relay_domain}=smtp:[127.0.0.1]:{relay_port} }}
smtp_tls_security_level = none
virtual_mailbox_domains = regexp:{conf}/virtual_domains
virtual_mailbox_base = {delivered}
virtual_mailbox_maps = static:Maildir/
virtual_uid_maps = static:{uid}
virtual_gid_maps = static:{gid}
virtual_minimum_uid = 1
"""

# Two listeners: one that does not offer SMTPUTF8 ("postfix"), one that does
# ("postfix_smtputf8"); both deliver alike. Two more for bulk sending:
# "postfix_bulk" closes an idle connection after 2 s and knows no mailbox
# whose name begins with "unknown"; "postfix_limits" lets a client (even
# from 127.0.0.1) hold 2 connections at once and send 20 mails a minute.
POSTFIX_MASTER = """\
127.0.0.1:{port} inet n - n - - smtpd -o smtputf8_enable=no
127.0.0.1:{smtputf8_port} inet n - n - - smtpd
127.0.0.1:{bulk_port} inet n - n - - smtpd -o smtpd_timeout=2s
  -o virtual_mailbox_maps=regexp:{conf}/bulk_mailboxes
127.0.0.1:{limits_port} inet n - n - - smtpd -o smtpd_client_event_limit_exceptions=
  -o smtpd_client_connection_count_limit=2 -o smtpd_client_message_rate_limit=20
pickup    unix n - n 60 1 pickup
cleanup   unix n - n - 0 cleanup
qmgr      unix n - n 300 1 qmgr
rewrite   unix - - n - - trivial-rewrite
bounce    unix - - n - 0 bounce
defer     unix - - n - 0 bounce
trace     unix - - n - 0 bounce
verify    unix - - n - 1 verify
flush     unix n - n 1000? 0 flush
proxymap  unix - - n - - proxymap
smtp      unix - - n - - smtp
relay     unix - - n - - smtp
error     unix - - n - - error
retry     unix - - n - - error
discard   unix - - n - - discard
virtual   unix - n n - - virtual
anvil     unix - - n - 1 anvil
scache    unix - - n - 1 scache
postlog   unix-dgram n - n - 1 postlogd
"""

POSTFIX_QUEUE = ("incoming", "active", "deferred", "bounce", "defer", "trace", "flush",
                 "hold", "corrupt", "saved", "private", "public", "maildrop")

EXIM_CONF = """\
exim_path = {root}/usr/sbin/exim4
keep_environment = LD_PRELOAD : NSS_WRAPPER_PASSWD : NSS_WRAPPER_GROUP
primary_hostname = exim.test
qualify_domain = exim.test
exim_user = nobody
exim_group = nogroup
never_users = root
spool_directory = {spool}
log_file_path = {spool}/%slog
pid_file_path = {spool}/exim.pid
local_interfaces = 127.0.0.1
tls_advertise_hosts =
host_lookup =
rfc1413_hosts =
acl_smtp_rcpt = accept
acl_smtp_data = accept

begin routers
relay:
  driver = manualroute
  domains = {relay_domain}
  route_list = * 127.0.0.1
  self = send
  transport = relay_smtp
maildir:
  driver = accept
  transport = maildir_delivery

begin transports
relay_smtp:
  driver = smtp
  port = {relay_port}
  allow_localhost
  hosts_avoid_tls = *
maildir_delivery:
  driver = appendfile
  directory = {delivered}/Maildir
  maildir_format
  create_directory
  user = nobody
  group = nogroup
  envelope_to_add
"""


def _fresh(folder):
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    return folder


def _give_to_mail_user(*paths):
    for path in paths:
        shutil.chown(path, MAIL_USER, "nogroup")


def _postfix(root, folder, relay_port):
    """Writes the configuration and queue; returns (command, environment, ports)."""
    conf, queue, data, delivered = (_fresh(folder / name)
                                    for name in ("conf", "queue", "data", "delivered"))
    ports = {"postfix": free_port(), "postfix_smtputf8": free_port(),
             "postfix_bulk": free_port(), "postfix_limits": free_port()}
    user = pwd.getpwnam(MAIL_USER)
    (conf / "virtual_domains").write_text("!/^%s$/ OK\n" % RELAY_DOMAIN.replace(".", "\\."))
    (conf / "bulk_mailboxes").write_text("!/^unknown/ Maildir/\n")
    (conf / "main.cf").write_text(POSTFIX_MAIN.format(
        root=root, conf=conf, queue=queue, data=data, delivered=delivered,
        log=folder / "postfix.log", relay_domain=RELAY_DOMAIN, relay_port=relay_port,
        uid=user.pw_uid, gid=user.pw_gid))
    (conf / "master.cf").write_text(POSTFIX_MASTER.format(
        port=ports["postfix"], smtputf8_port=ports["postfix_smtputf8"],
        bulk_port=ports["postfix_bulk"], limits_port=ports["postfix_limits"], conf=conf))
    for name in POSTFIX_QUEUE:
        (queue / name).mkdir()
        _give_to_mail_user(queue / name)
    (queue / "pid").mkdir()
    shutil.chown(queue / "maildrop", group="mail")
    shutil.chown(queue / "public", group="mail")
    (queue / "maildrop").chmod(0o730)
    (queue / "public").chmod(0o710)
    _give_to_mail_user(data, delivered)
    environment = dict(os.environ, LD_LIBRARY_PATH=str(root / "usr/lib/postfix"),
                       MAIL_CONFIG=str(conf))
    command = [str(root / "usr/lib/postfix/sbin/master"), "-c", str(conf), "-d"]
    return command, environment, ports


def _exim(root, folder, relay_port):
    """Returns (command, environment, ports). Exim looks up its compiled-in user, Debian-exim, which only the package
    creates: nss_wrapper lends it from private copies of passwd and group."""
    spool, delivered = _fresh(folder / "spool"), _fresh(folder / "delivered")
    _give_to_mail_user(spool, delivered)
    user = pwd.getpwnam(MAIL_USER)
    passwd, group = folder / "passwd", folder / "group"
    passwd.write_text(pathlib.Path("/etc/passwd").read_text()
                      + f"Debian-exim:x:{user.pw_uid}:{user.pw_gid}::/nonexistent:/bin/false\n")
    group.write_text(pathlib.Path("/etc/group").read_text() + f"Debian-exim:x:{user.pw_gid}:\n")
    conf = folder / "exim.conf"
    conf.write_text(EXIM_CONF.format(root=root, spool=spool, delivered=delivered,
                                     relay_domain=RELAY_DOMAIN, relay_port=relay_port))
    port = free_port()
    environment = dict(os.environ, LD_PRELOAD="libnss_wrapper.so",
                       NSS_WRAPPER_PASSWD=str(passwd), NSS_WRAPPER_GROUP=str(group))
    command = [str(root / "usr/sbin/exim4"), "-C", str(conf), "-bdf", "-oX", str(port),
               "-oP", str(spool / "exim.pid")]
    return command, environment, {"exim": port}


class Without8BitMime(Handler):
    """The relay's handler: a server that takes 7-bit mail only."""

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        session.host_name = hostname
        return [line for line in responses if "8BITMIME" not in line]


@contextlib.asynccontextmanager
async def listeners(state):
    root = pathlib.Path(os.environ["SMTPCLIENT_MAIL_SERVERS"]).resolve() / "programs"
    # The servers work and deliver as the mail user, who may not reach the
    # build tree: their folders live in a temporary folder that STATE/mta
    # points to.
    folder = pathlib.Path(tempfile.mkdtemp(prefix="smtpclient-mta-"))
    folder.chmod(0o755)
    link = state / "mta"
    if link.is_symlink() or link.exists():
        link.unlink()
    link.symlink_to(folder)
    handler = Without8BitMime("relay", MailStore(folder / "relayed"))
    relay = await asyncio.get_running_loop().create_server(
        lambda: SMTP(handler, hostname="relay.test", timeout=60), "127.0.0.1", 0)
    relay_port = relay.sockets[0].getsockname()[1]
    processes, ports = [], {"relay": relay_port}
    try:
        for name, make in (("postfix", _postfix), ("exim", _exim)):
            command, environment, listening = make(root, _fresh(folder / name), relay_port)
            with open(folder / f"{name}.out", "wb") as output:
                process = subprocess.Popen(command, env=environment, stdin=subprocess.DEVNULL,
                                           stdout=output, stderr=subprocess.STDOUT)
            processes.append(process)
            for listener, port in listening.items():
                wait_for_port(listener, port, process)
            ports.update(listening)
        yield ports
    finally:
        stop_processes(processes)
        relay.close()
        link.unlink(missing_ok=True)
        shutil.rmtree(folder, ignore_errors=True)
