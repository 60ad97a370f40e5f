"""Credentials the AUTH-capable listeners accept: PLAIN and LOGIN against a
small user table, and XOAUTH2 with one fixed bearer token."""

import base64
import binascii

from aiosmtpd.smtp import AuthResult, LoginPassword, auth_mechanism

USERS = {
    b"alice": b"secret",
    "björn".encode(): "pässword".encode(),
}
OAUTH_USER = b"alice"
OAUTH_TOKEN = b"test-oauth-token"


def authenticate(server, session, envelope, mechanism, auth_data):
    if not isinstance(auth_data, LoginPassword):
        return AuthResult(success=False, handled=False)
    valid = USERS.get(auth_data.login) == auth_data.password
    return AuthResult(success=valid, handled=False, auth_data=auth_data)


def _oauth_user(initial_response):
    """The user of an XOAUTH2 response "user=U\\x01auth=Bearer T\\x01\\x01",
    or None unless it carries the accepted token for the accepted user."""
    fields = initial_response.split(b"\x01")
    if fields[-2:] != [b"", b""] or len(fields) != 4:
        return None
    user, auth = fields[0], fields[1]
    if user == b"user=" + OAUTH_USER and auth == b"auth=Bearer " + OAUTH_TOKEN:
        return OAUTH_USER
    return None


class OAuthMechanism:
    """Mixed into a handler, aiosmtpd offers XOAUTH2 besides PLAIN and LOGIN."""

    @auth_mechanism("XOAUTH2")
    async def auth_xoauth2(self, server, args):
        if len(args) == 1:
            response = await server.challenge_auth("")
        else:
            try:
                response = base64.b64decode(args[1], validate=True)
            except binascii.Error:
                await server.push("501 5.5.2 Can't decode base64")
                return AuthResult(success=False, handled=True)
        user = _oauth_user(response) if isinstance(response, bytes) else None
        if user is None:
            return AuthResult(success=False, handled=False)
        return AuthResult(success=True, auth_data=LoginPassword(user, b""))
